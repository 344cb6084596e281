// Judging a capacity search's steps, and what it prints.
#include <gtest/gtest.h>

#include <string>

#include "charge/capacite.h"
#include "charge/tableau.h"

namespace jeu::charge {
namespace {

constexpr std::uint64_t ms = 1'000'000;

mesure etape(std::uint64_t p99, std::optional<double> ticks_bas, std::uint64_t erreurs = 0) {
  mesure m;
  m.p99 = p99;
  if (ticks_bas) m.ticks = resume_ticks{*ticks_bas, 39.8};
  m.erreurs = erreurs;
  return m;
}

struct cas_juge {
  const char* nom;
  mesure m;
  bool latence, ticks, erreurs;
};

void PrintTo(const cas_juge& c, std::ostream* os) { *os << c.nom; }

class Juge : public testing::TestWithParam<cas_juge> {};

TEST_P(Juge, Limits) {
  const cas_juge& c = GetParam();
  const verdict v = juge(c.m, 25, 39);
  EXPECT_EQ(v.latence, c.latence);
  EXPECT_EQ(v.ticks, c.ticks);
  EXPECT_EQ(v.erreurs, c.erreurs);
  EXPECT_EQ(v.dans_les_limites(), !c.latence && !c.ticks && !c.erreurs);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Juge,
    testing::Values(cas_juge{"within", etape(3 * ms, 39.5), false, false, false},
                    cas_juge{"p99_at_the_limit", etape(25 * ms, 39.0), false, false, false},
                    cas_juge{"p99_past", etape(25 * ms + 1, 39.5), true, false, false},
                    cas_juge{"ticks_past", etape(3 * ms, 38.9), false, true, false},
                    cas_juge{"both", etape(40 * ms, 30.0), true, true, false},
                    cas_juge{"no_tick_figures", etape(3 * ms, std::nullopt), false, false, false},
                    cas_juge{"errors", etape(3 * ms, 39.5, 2), false, false, true}),
    [](const auto& info) { return std::string(info.param.nom); });

bilan_capacite recherche(std::vector<palier_mesure> paliers) {
  bilan_capacite b;
  b.paliers = std::move(paliers);
  for (const palier_mesure& p : b.paliers) {
    b.dernier = juge(p.m, 25, 39);
    if (!b.dernier.dans_les_limites()) break;
    b.capacite = p.joueurs;
  }
  return b;
}

struct cas_conclusion {
  const char* nom;
  std::vector<palier_mesure> paliers;
  std::vector<std::string> attendus;
};

void PrintTo(const cas_conclusion& c, std::ostream* os) { *os << c.nom; }

class Conclusion : public testing::TestWithParam<cas_conclusion> {};

TEST_P(Conclusion, SaysWhyItStoppedAndTheCapacity) {
  options o;
  const std::string texte = conclusion(o, recherche(GetParam().paliers));
  for (const std::string& attendu : GetParam().attendus) {
    EXPECT_NE(texte.find(attendu), std::string::npos) << attendu << "\nin\n" << texte;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, Conclusion,
    testing::Values(
        cas_conclusion{"last_step_within",
                       {{100, etape(2 * ms, 39.6), {}}, {200, etape(4 * ms, 39.5), {}}},
                       {"last step (200 players) within limits", "capacity: at least 200 players"}},
        cas_conclusion{"latency",
                       {{100, etape(2 * ms, 39.6), {}}, {200, etape(31 * ms, 39.5), {}}},
                       {"stopped at 200 players: frame p99 31.00 ms > 25 ms",
                        "capacity: 100 players"}},
        cas_conclusion{"ticks_and_latency",
                       {{300, etape(26 * ms, 37.2), {}}},
                       {"frame p99 26.00 ms > 25 ms, lowest second 37.2 ticks < 39",
                        "capacity: below 300 players"}},
        cas_conclusion{"errors", {{100, etape(2 * ms, 39.6, 3), {}}}, {"3 errors"}}),
    [](const auto& info) { return std::string(info.param.nom); });

TEST(Conclusion, IdleMemoryPerPlayer) {
  bilan_capacite b = recherche({{100, etape(2 * ms, 39.6), {}}});
  b.rss_vide_ko = 4000;
  b.inactifs = 100;
  b.rss_inactifs_ko = 6050;
  EXPECT_NE(conclusion(options{}, b).find("idle: 100 players registered, no frame: VmRSS 6050 KiB, "
                                           "20.5 KiB per player over the 4000 KiB with none"),
            std::string::npos);
}

TEST(Tableau, RowsLineUpUnderTheHeader) {
  mesure m = etape(1'234'000, 39.4);
  m.p50 = 120'000;
  m.p999 = 9'870'000;
  m.trames_demandees_s = 4000.2;
  m.trames_servies_s = 3999.7;
  m.cpu_serveur = 35.4;
  m.rss_ko = 10080;
  m.balles = 98;
  m.cpu_charge = 40.2;
  const std::string connu = ligne_tableau({200, m, 30.9});
  const std::string inconnu = ligne_tableau({200, mesure{}, std::nullopt});
  EXPECT_EQ(connu,
            "    200     4000     4000    0.12    1.23    9.87   39.4   39.8     35    10080    "
            "30.9      98     40      0\n");
  EXPECT_EQ(inconnu,
            "    200        0        0    0.00    0.00    0.00      -      -      -        -       "
            "-       -      0      0\n");
  const std::string entete = entete_tableau();
  const std::size_t fin_premiere = entete.find('\n');
  EXPECT_EQ(entete.size() - fin_premiere - 1, connu.size()) << entete;
}

}  // namespace
}  // namespace jeu::charge
