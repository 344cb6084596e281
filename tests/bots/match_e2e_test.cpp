// A match: 20 robots for about 20 seconds against the real server, watched
// by a spectator.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <map>
#include <regex>
#include <set>
#include <string>

#include "bots/equipe.h"
#include "jeu_client.h"
#include "commun/attente.h"
#include "commun/processus.h"
#include "support/reglage.h"

namespace jeu::test {

using namespace commun;
using namespace std::chrono_literals;
namespace {

TEST(Match, TwentyRobotsFightComeBackAndLeaveTheServerServing) {
  const int port = port_libre();
  processus serveur(SERVEUR_JEU_BINAIRE, {std::to_string(port)});
  ASSERT_TRUE(attend_ecoute(port, 10s));
  jeu_client::connexion spectateur = jeu_client::connexion::ouvre("127.0.0.1", port);
  spectateur.devient_spectateur();

  processus bots(JEU_BOTS_BINAIRE, {"127.0.0.1", std::to_string(port), "-n", "20", "-d", "20", "-q"});
  const auto couleurs = bots::couleurs_robots(20);  // the first colour of each robot
  const std::set<jeu_client::couleur_t> attendues(couleurs.begin(), couleurs.end());
  std::set<jeu_client::couleur_t> vues;
  bool touche = false;
  int joueurs_max = 0;
  // Every robot shows up, and some ship loses life points.
  EXPECT_TRUE(attend_jusqua(
      [&] {
        for (const jeu_client::vaisseau& v : spectateur.vaisseaux()) {
          vues.insert(v.couleur);
          touche = touche || v.pt_vie < 5;
        }
        joueurs_max = std::max(joueurs_max, static_cast<int>(spectateur.stats().joueurs));
        return vues == attendues && touche && joueurs_max == 20;
      },
      25s, 20ms))
      << vues.size() << " colours seen, touched: " << touche << ", players " << joueurs_max;

  ASSERT_EQ(bots.attend_fin(60s), 0) << bots.erreur();
  bots.collecte(100ms);
  // The table: 20 robot lines, then the total of lives, seconds alive, shots,
  // frames, and the server's kills, deaths, hits given and taken.
  std::smatch total;
  ASSERT_TRUE(std::regex_search(
      bots.sortie(), total,
      std::regex(R"(\ntotal +(\d+) +([\d.]+) +(\d+) +(\d+) +(\d+) +(\d+) +(\d+) +(\d+) +[\d.]+\n)")))
      << bots.sortie();
  EXPECT_GT(std::stoi(total[1]), 20) << "destroyed robots come back on new connections";
  EXPECT_GT(std::stoll(total[3]), 0);
  EXPECT_EQ(std::count(bots.sortie().begin(), bots.sortie().end(), '\n'), 1 + 20 + 1 + 1);
  // Only robots played: their columns add up to the whole server table.
  std::int64_t victoires = 0, morts = 0, donnees = 0, recues = 0;
  for (const jeu_client::score& s : spectateur.scores()) {
    victoires += s.victoires;
    morts += s.morts;
    donnees += s.touches_donnees;
    recues += s.touches_recues;
  }
  EXPECT_GT(morts, 0);
  EXPECT_EQ(std::stoll(total[5]), victoires) << bots.sortie();
  EXPECT_EQ(std::stoll(total[6]), morts) << bots.sortie();
  EXPECT_EQ(std::stoll(total[7]), donnees) << bots.sortie();
  EXPECT_EQ(std::stoll(total[8]), recues) << bots.sortie();

  // Every robot has quit; the server still serves.
  EXPECT_TRUE(attend_jusqua([&] { return spectateur.vaisseaux().empty(); }, 10s, 20ms));
  jeu_client::connexion joueur = jeu_client::connexion::ouvre("127.0.0.1", port);
  joueur.enregistre(couleurs.front());
  EXPECT_EQ(joueur.etat(), jeu_client::statut::vivant);
  const jeu_client::statistiques s = spectateur.stats();
  EXPECT_EQ(s.joueurs, 1);
  EXPECT_EQ(s.spectateurs, 1);
  EXPECT_GT(s.ticks_par_seconde, 0);
  EXPECT_EQ(serveur.attend_fin(0ms), std::nullopt);
}

// The long form, by hand: MATCH_MINUTES=5 tests/bots/match_e2e_test
// --gtest_filter='*Minute*'. 20 robots play that many minutes; a spectator
// polling the ships 50 times a second counts, each minute, the life points
// lost and the ships destroyed, and which ships moved or turned in the
// minute's last 10 s. Every minute must see hits: a match that froze (each
// robot aiming at a ship it cannot reach) would not.
TEST(Match, HitsInEveryMinute) {
  const long minutes = reglage("MATCH_MINUTES", 0);
  if (minutes == 0) GTEST_SKIP() << "set MATCH_MINUTES to play that many minutes";
  const int port = port_libre();
  processus serveur(SERVEUR_JEU_BINAIRE, {std::to_string(port)});
  ASSERT_TRUE(attend_ecoute(port, 10s));
  jeu_client::connexion spectateur = jeu_client::connexion::ouvre("127.0.0.1", port);
  spectateur.devient_spectateur();
  processus bots(JEU_BOTS_BINAIRE, {"127.0.0.1", std::to_string(port), "-n", "20", "-d",
                                    std::to_string(minutes * 60 + 5), "-q"});
  ASSERT_TRUE(attend_jusqua([&] { return spectateur.vaisseaux().size() == 20; }, 10s, 20ms));

  std::map<jeu_client::couleur_t, jeu_client::vaisseau> avant;
  const auto debut = std::chrono::steady_clock::now();
  for (long m = 0; m < minutes; ++m) {
    long touches = 0;
    long detruits = 0;
    std::set<jeu_client::couleur_t> bougent;  // in the minute's last 10 s
    const auto fin = debut + std::chrono::minutes(m + 1);
    std::size_t balles = 0;
    while (std::chrono::steady_clock::now() < fin) {
      std::map<jeu_client::couleur_t, jeu_client::vaisseau> maintenant;
      for (const jeu_client::vaisseau& v : spectateur.vaisseaux()) maintenant[v.couleur] = v;
      const bool fin_de_minute = fin - std::chrono::steady_clock::now() < 10s;
      for (const auto& [c, v] : avant) {
        const auto apres = maintenant.find(c);
        if (apres == maintenant.end()) {
          ++detruits;
          ++touches;
          continue;
        }
        touches += std::max(0, v.pt_vie - apres->second.pt_vie);
        if (fin_de_minute && (v.x != apres->second.x || v.y != apres->second.y ||
                              v.angle != apres->second.angle)) {
          bougent.insert(c);
        }
      }
      avant = std::move(maintenant);
      if (fin_de_minute) balles = spectateur.balles().size();
      std::this_thread::sleep_for(20ms);
    }
    std::cout << "minute " << m + 1 << ": " << touches << " life points lost, " << detruits
              << " ships destroyed, " << bougent.size()
              << " ships moved or turned in its last 10 s, " << balles << " bullets at its end\n";
    EXPECT_GT(touches, 0) << "minute " << m + 1;
    EXPECT_GT(bougent.size(), 2u) << "minute " << m + 1;
  }
  EXPECT_EQ(bots.attend_fin(60s), 0) << bots.erreur();
}

}  // namespace
}  // namespace jeu::test
