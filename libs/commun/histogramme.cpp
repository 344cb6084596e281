#include "commun/histogramme.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace jeu::commun {

std::size_t histogramme::seau(std::uint64_t valeur) {
  const int largeur = std::bit_width(valeur);
  if (largeur <= bits_exacts) return static_cast<std::size_t>(valeur);
  // The top bits_exacts bits, leading 1 included, pick the bucket.
  const int decalage = largeur - bits_exacts;
  const std::uint64_t mantisse = valeur >> decalage;  // in [128, 256)
  return (std::size_t{1} << bits_exacts) +
         static_cast<std::size_t>(decalage - 1) * (std::size_t{1} << bits_mantisse) +
         static_cast<std::size_t>(mantisse - (std::uint64_t{1} << bits_mantisse));
}

std::uint64_t histogramme::bas(std::size_t s) {
  constexpr std::size_t exacts = std::size_t{1} << bits_exacts;
  if (s < exacts) return s;
  const std::size_t reste = s - exacts;
  const int decalage = static_cast<int>(reste >> bits_mantisse) + 1;
  const std::uint64_t mantisse =
      (std::uint64_t{1} << bits_mantisse) + (reste & ((std::size_t{1} << bits_mantisse) - 1));
  return mantisse << decalage;
}

std::uint64_t histogramme::haut(std::size_t s) {
  if (s + 1 >= nb_seaux) return std::numeric_limits<std::uint64_t>::max();
  return bas(s + 1) - 1;
}

void histogramme::enregistre(std::uint64_t valeur) {
  ++comptes_[seau(valeur)];
  ++nombre_;
  min_ = std::min(min_, valeur);
  max_ = std::max(max_, valeur);
}

void histogramme::fusionne(const histogramme& autre) {
  for (std::size_t s = 0; s < nb_seaux; ++s) comptes_[s] += autre.comptes_[s];
  nombre_ += autre.nombre_;
  min_ = std::min(min_, autre.min_);
  max_ = std::max(max_, autre.max_);
}

std::uint64_t histogramme::percentile(double p) const {
  if (nombre_ == 0) return 0;
  p = std::clamp(p, 0.0, 100.0);
  // 99.9% of 1000 must be rank 999, not 1000 from a rounding error.
  const double exact = p / 100.0 * static_cast<double>(nombre_);
  const auto rang =
      std::max<std::uint64_t>(1, static_cast<std::uint64_t>(std::ceil(exact * (1 - 1e-12))));
  std::uint64_t cumul = 0;
  for (std::size_t s = 0; s < nb_seaux; ++s) {
    cumul += comptes_[s];
    if (cumul >= rang) {
      const std::uint64_t b = bas(s);
      const std::uint64_t milieu = b + (haut(s) - b) / 2;
      return std::clamp(milieu, min(), max_);
    }
  }
  return max_;
}

}  // namespace jeu::commun
