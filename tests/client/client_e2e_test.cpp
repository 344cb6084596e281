// The library against the real server, over TCP on 127.0.0.1.
#include <gtest/gtest.h>

#include <array>
#include <optional>

#include "jeu_client.h"
#include "commun/attente.h"
#include "commun/processus.h"

namespace jeu_client {
namespace {

using namespace std::chrono_literals;
using s = erreur::sorte;

constexpr couleur_t rouge = 0xFF0000;
constexpr std::array lectures{
    requete::taille_plateau, requete::rayon_vaisseau, requete::rayon_balle, requete::max_pt_vie,
    requete::statut,         requete::vaisseaux,      requete::balles,      requete::cubes};

template <class Appel>
std::optional<s> sorte_erreur(Appel&& appel) {
  try {
    appel();
  } catch (const erreur& e) {
    return e.quoi();
  }
  return std::nullopt;
}

// The replies to `lectures` that never change, and the ships' colours.
void verifie_lectures(const std::vector<reponse>& r, statut attendu, std::size_t vaisseaux) {
  ASSERT_EQ(r.size(), lectures.size());
  EXPECT_EQ(std::get<taille_plateau>(r[0]).largeur, 990);
  EXPECT_EQ(std::get<int>(r[1]), 9);
  EXPECT_EQ(std::get<int>(r[2]), 4);
  EXPECT_EQ(std::get<int>(r[3]), 5);
  EXPECT_EQ(std::get<statut>(r[4]), attendu);
  EXPECT_EQ(std::get<std::vector<vaisseau>>(r[5]).size(), vaisseaux);
  for (const vaisseau& v : std::get<std::vector<vaisseau>>(r[5])) EXPECT_EQ(v.pt_vie, 5);
  for (const balle& b : std::get<std::vector<balle>>(r[6])) EXPECT_EQ(b.couleur, rouge);
  for (const cube& c : std::get<std::vector<cube>>(r[7])) EXPECT_EQ(c.x2 - c.x1, 22);
  EXPECT_EQ(std::get<std::vector<cube>>(r[7]).size(), 200u);
}

class Serveur : public ::testing::Test {
 protected:
  void SetUp() override {
    port_ = jeu::commun::port_libre();
    serveur_.emplace(SERVEUR_JEU_BINAIRE, std::vector<std::string>{std::to_string(port_)});
    ASSERT_TRUE(jeu::commun::attend_ecoute(port_, 10s));
  }
  void TearDown() override {
    if (arrete_) return;
    EXPECT_EQ(serveur_->attend_fin(0ms), std::nullopt) << "the server must still be running";
  }
  // A slow machine (sanitizers, other jobs) must not make a test fail.
  connexion ouvre() { return connexion::ouvre("127.0.0.1", port_, 20s); }

  int port_ = 0;
  std::optional<jeu::commun::processus> serveur_;
  bool arrete_ = false;
};

TEST_F(Serveur, PlayerFramesAndRefusals) {
  connexion a = ouvre();
  a.enregistre(rouge);
  constexpr std::array actions{requete::accelere, requete::decelere, requete::gauche,
                               requete::droite, requete::tire};
  for (int tour = 0; tour < 3; ++tour) {
    verifie_lectures(a.trame(lectures), statut::vivant, 1);
    for (const reponse& r : a.trame(actions)) EXPECT_TRUE(std::holds_alternative<ok>(r));
  }
  EXPECT_EQ(sorte_erreur([&] { a.stats(); }), s::syntaxe) << "stats are for spectators";

  connexion b = ouvre();
  EXPECT_EQ(sorte_erreur([&] { b.enregistre(rouge); }), s::couleur_utilisee);
  b.enregistre(255);
  EXPECT_EQ(sorte_erreur([&] { b.enregistre(256); }), s::syntaxe);
  EXPECT_EQ(sorte_erreur([&] { b.devient_spectateur(); }), s::syntaxe);
  EXPECT_EQ(b.vaisseaux().size(), 2u);
}

TEST_F(Serveur, ServerClosing) {
  connexion a = ouvre();
  a.enregistre(rouge);
  a.quitte();
  EXPECT_EQ(a.descripteur(), -1);
  connexion b = ouvre();
  b.enregistre(rouge);
  arrete_ = true;
  serveur_->tue();
  EXPECT_EQ(sorte_erreur([&] { b.vaisseaux(); }), s::fermee);
}

TEST_F(Serveur, Spectator) {
  connexion joueur = ouvre();
  joueur.enregistre(rouge);
  connexion spectateur = ouvre();
  spectateur.devient_spectateur();
  verifie_lectures(spectateur.trame(lectures), statut::spectateur, 1);
  const statistiques st = spectateur.stats();
  EXPECT_EQ(st.joueurs, 1);
  EXPECT_EQ(st.spectateurs, 1);
  EXPECT_EQ(st.vaisseaux, 1);
  // Ticks per second are counted over a whole second of the server's life.
  EXPECT_TRUE(jeu::commun::attend_jusqua([&] { return spectateur.stats().ticks_par_seconde > 0; },
                                       10s, 100ms));

  // A spectator has no ship and never gets one.
  EXPECT_EQ(sorte_erreur([&] { spectateur.action(requete::tire); }), s::syntaxe);
  EXPECT_EQ(sorte_erreur([&] { spectateur.enregistre(255); }), s::syntaxe);
  EXPECT_EQ(sorte_erreur([&] { spectateur.devient_spectateur(); }), s::syntaxe);
  EXPECT_EQ(sorte_erreur([&] { joueur.devient_spectateur(); }), s::syntaxe);
  EXPECT_EQ(joueur.vaisseaux().size(), 1u);
  spectateur.quitte();
}

}  // namespace
}  // namespace jeu_client
