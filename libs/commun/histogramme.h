#pragma once

// Latency recording in constant memory: a log-linear histogram. Values
// below 256 are counted exactly; above, each power of two is cut into 128
// equal buckets, so a bucket is narrower than 1/128 of its values and a
// percentile read from it (its middle) is within 0.4% of the true value.

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>

namespace jeu::commun {

class histogramme {
 public:
  // Counts one value.
  void enregistre(std::uint64_t valeur);
  // Adds every value counted by `autre`.
  void fusionne(const histogramme& autre);

  std::uint64_t nombre() const { return nombre_; }
  // Smallest and largest values counted, exact; 0 when empty.
  std::uint64_t min() const { return nombre_ ? min_ : 0; }
  std::uint64_t max() const { return max_; }
  // The nearest-rank percentile, p in [0, 100]: the value at rank
  // ceil(p/100 * n) (at least 1) of the sorted values, to within the bucket
  // precision and never outside [min, max]. 0 when empty.
  std::uint64_t percentile(double p) const;

  // Bucket of a value, and the range of values [bas, haut] it holds.
  static std::size_t seau(std::uint64_t valeur);
  static std::uint64_t bas(std::size_t seau);
  static std::uint64_t haut(std::size_t seau);

 private:
  static constexpr int bits_exacts = 8;     // values < 256 exact
  static constexpr int bits_mantisse = 7;   // 128 buckets per power of two
  static constexpr std::size_t nb_seaux =
      (std::size_t{1} << bits_exacts) + (64 - bits_exacts) * (std::size_t{1} << bits_mantisse);

  std::array<std::uint64_t, nb_seaux> comptes_{};
  std::uint64_t nombre_ = 0;
  std::uint64_t min_ = std::numeric_limits<std::uint64_t>::max();
  std::uint64_t max_ = 0;
};

}  // namespace jeu::commun
