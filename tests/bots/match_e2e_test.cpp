// A match: 20 robots for about 20 seconds against the real server, watched
// by a spectator.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <set>
#include <string>

#include "bots/equipe.h"
#include "jeu_client.h"
#include "commun/attente.h"
#include "commun/processus.h"

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
  // The table: 20 robot lines, then the total of lives, seconds alive and shots.
  std::smatch total;
  ASSERT_TRUE(std::regex_search(bots.sortie(), total,
                                std::regex(R"(\ntotal +(\d+) +([\d.]+) +(\d+) +(\d+)\n)")))
      << bots.sortie();
  EXPECT_GT(std::stoi(total[1]), 20) << "destroyed robots come back on new connections";
  EXPECT_GT(std::stoll(total[3]), 0);
  EXPECT_EQ(std::count(bots.sortie().begin(), bots.sortie().end(), '\n'), 1 + 20 + 1 + 1);

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

}  // namespace
}  // namespace jeu::test
