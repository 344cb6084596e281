// Percentiles read from the histogram agree with those of the sorted values.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <random>
#include <vector>

#include "commun/histogramme.h"

namespace jeu::commun {
namespace {

// Nearest rank, with the percentile in thousandths so the rank is exact.
std::uint64_t percentile_trie(const std::vector<std::uint64_t>& tries, std::uint64_t milliemes) {
  const std::uint64_t n = tries.size();
  const std::uint64_t rang = std::max<std::uint64_t>(1, (milliemes * n + 99'999) / 100'000);
  return tries[rang - 1];
}

struct distribution {
  const char* nom;
  std::size_t taille;
  std::function<std::uint64_t(std::mt19937_64&)> tire;
};

void PrintTo(const distribution& d, std::ostream* os) { *os << d.nom; }

const std::vector<distribution> distributions = {
    {"small_exact", 5000, [](auto& g) { return std::uniform_int_distribution<std::uint64_t>(0, 255)(g); }},
    {"uniform_ms", 100'000,
     [](auto& g) { return std::uniform_int_distribution<std::uint64_t>(0, 5'000'000)(g); }},
    {"log_uniform_ns_to_minutes", 200'000,
     [](auto& g) {
       return static_cast<std::uint64_t>(std::exp(std::uniform_real_distribution<double>(0, 25)(g)));
     }},
    {"exponential_latency", 100'000,
     [](auto& g) {
       return static_cast<std::uint64_t>(std::exponential_distribution<double>(1.0 / 80'000)(g));
     }},
    {"two_modes", 50'001,
     [](auto& g) {
       return std::bernoulli_distribution(0.98)(g)
                  ? std::uniform_int_distribution<std::uint64_t>(40'000, 60'000)(g)
                  : std::uniform_int_distribution<std::uint64_t>(40'000'000, 45'000'000)(g);
     }},
    {"few_samples", 7,
     [](auto& g) { return std::uniform_int_distribution<std::uint64_t>(1000, 1'000'000)(g); }},
    {"huge_values", 10'000,
     [](auto& g) {
       return std::uniform_int_distribution<std::uint64_t>(
           std::uint64_t{1} << 62, std::numeric_limits<std::uint64_t>::max())(g);
     }},
};

class Percentiles : public testing::TestWithParam<distribution> {};

TEST_P(Percentiles, WithinOnePercentOfTheSortedValues) {
  std::mt19937_64 generateur(20240611);
  histogramme h;
  std::vector<std::uint64_t> valeurs(GetParam().taille);
  for (std::uint64_t& v : valeurs) {
    v = GetParam().tire(generateur);
    h.enregistre(v);
  }
  std::sort(valeurs.begin(), valeurs.end());
  EXPECT_EQ(h.nombre(), valeurs.size());
  EXPECT_EQ(h.min(), valeurs.front());
  EXPECT_EQ(h.max(), valeurs.back());
  for (const std::uint64_t milliemes : {0, 1'000, 25'000, 50'000, 90'000, 99'000, 99'900, 99'990, 100'000}) {
    const double p = static_cast<double>(milliemes) / 1000.0;
    const std::uint64_t attendu = percentile_trie(valeurs, milliemes);
    const std::uint64_t lu = h.percentile(p);
    const double ecart = std::abs(static_cast<double>(lu) - static_cast<double>(attendu));
    EXPECT_LE(ecart, 0.01 * static_cast<double>(attendu))
        << "p" << p << ": histogram " << lu << ", sorted values " << attendu;
  }
}

INSTANTIATE_TEST_SUITE_P(Donnees, Percentiles, testing::ValuesIn(distributions),
                         [](const auto& info) { return std::string(info.param.nom); });

TEST(Histogramme, BucketsCoverEveryValueNarrowly) {
  std::vector<std::uint64_t> valeurs = {0, 1, 127, 255, 256, 257, 383, 384, 511, 512, 1000,
                                        (std::uint64_t{1} << 40) - 1, std::uint64_t{1} << 40,
                                        std::numeric_limits<std::uint64_t>::max()};
  std::mt19937_64 generateur(7);
  for (int k = 0; k < 10000; ++k) valeurs.push_back(generateur() >> (generateur() % 64));
  for (const std::uint64_t v : valeurs) {
    const std::size_t s = histogramme::seau(v);
    EXPECT_LE(histogramme::bas(s), v) << v;
    EXPECT_GE(histogramme::haut(s), v) << v;
    if (v < 256) {
      EXPECT_EQ(histogramme::bas(s), histogramme::haut(s)) << v;
    } else {
      EXPECT_LE(static_cast<double>(histogramme::haut(s) - histogramme::bas(s)),
                static_cast<double>(histogramme::bas(s)) / 128.0)
          << v;
    }
  }
}

// n - 1 small values and one huge one: the percentile at rank n - 1 must
// not slip to rank n through a rounding error in p/100 * n.
TEST(Histogramme, RankJustBelowTheTop) {
  const std::vector<std::pair<std::size_t, double>> table = {
      {10, 90.0}, {100, 99.0}, {1000, 99.9}, {10000, 99.99}, {3, 200.0 / 3}};
  for (const auto& [n, p] : table) {
    histogramme h;
    for (std::size_t k = 0; k + 1 < n; ++k) h.enregistre(200);  // below 256: read exactly
    h.enregistre(1'000'000'000);
    EXPECT_EQ(h.percentile(p), 200u) << "n " << n << ", p" << p;
    EXPECT_EQ(h.percentile(100), 1'000'000'000u);
  }
}

TEST(Histogramme, EmptyReadsZero) {
  const histogramme h;
  EXPECT_EQ(h.nombre(), 0u);
  EXPECT_EQ(h.percentile(50), 0u);
  EXPECT_EQ(h.min(), 0u);
  EXPECT_EQ(h.max(), 0u);
}

TEST(Histogramme, MergingEqualsRecordingEverything) {
  std::mt19937_64 generateur(11);
  histogramme a, b, tout;
  for (int k = 0; k < 20000; ++k) {
    const std::uint64_t v = generateur() % 10'000'000;
    (k % 3 == 0 ? a : b).enregistre(v);
    tout.enregistre(v);
  }
  a.fusionne(b);
  EXPECT_EQ(a.nombre(), tout.nombre());
  EXPECT_EQ(a.min(), tout.min());
  EXPECT_EQ(a.max(), tout.max());
  for (const double p : {1.0, 50.0, 99.0, 99.9}) EXPECT_EQ(a.percentile(p), tout.percentile(p)) << p;
}

}  // namespace
}  // namespace jeu::commun
