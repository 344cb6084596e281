// The library against the real server, over TCP on 127.0.0.1.
#include <gtest/gtest.h>

#include <array>
#include <optional>

#include "jeu_client.h"
#include "support/attente.h"
#include "support/processus.h"

namespace jeu_client {
namespace {

using namespace std::chrono_literals;
using s = erreur::sorte;
using jeu::test::processus;

constexpr couleur_t rouge = 0xFF0000;

template <class Appel>
std::optional<s> sorte_erreur(Appel&& appel) {
  try {
    appel();
  } catch (const erreur& e) {
    return e.quoi();
  }
  ADD_FAILURE() << "no error";
  return std::nullopt;
}

class Serveur : public ::testing::Test {
 protected:
  void SetUp() override {
    port_ = jeu::test::port_libre();
    serveur_.emplace(SERVEUR_JEU_BINAIRE, std::vector<std::string>{std::to_string(port_)});
    ASSERT_TRUE(jeu::test::attend_ecoute(port_, 10s));
  }
  void TearDown() override {
    if (arrete_) return;
    EXPECT_EQ(serveur_->attend_fin(0ms), std::nullopt) << "the server must still be running";
    serveur_->collecte(50ms);
    EXPECT_EQ(serveur_->erreur(), "");
  }
  // A slow machine (sanitizers, other jobs) must not make a test fail.
  connexion ouvre() { return connexion::ouvre("127.0.0.1", port_, 20s); }

  int port_ = 0;
  std::optional<processus> serveur_;
  bool arrete_ = false;
};

TEST_F(Serveur, PlayerRequests) {
  connexion a = ouvre();
  a.enregistre(rouge);
  EXPECT_EQ(a.taille().largeur, 990);
  EXPECT_EQ(a.taille().hauteur, 990);
  EXPECT_EQ(a.rayon_vaisseau(), 9);
  EXPECT_EQ(a.rayon_balle(), 4);
  EXPECT_EQ(a.max_pt_vie(), 5);
  EXPECT_EQ(a.etat(), statut::vivant);
  const auto cubes = a.cubes();
  ASSERT_EQ(cubes.size(), 200u);
  for (const cube& c : cubes) {
    EXPECT_EQ(c.x2 - c.x1, 22);
    EXPECT_EQ(c.y2 - c.y1, 22);
  }
  const auto vaisseaux = a.vaisseaux();
  ASSERT_EQ(vaisseaux.size(), 1u);
  EXPECT_EQ(vaisseaux[0].couleur, rouge);
  EXPECT_EQ(vaisseaux[0].pt_vie, 5);
  EXPECT_TRUE(a.balles().empty());
  for (const requete r : {requete::accelere, requete::decelere, requete::gauche, requete::droite,
                          requete::tire}) {
    a.action(r);
  }
  EXPECT_EQ(sorte_erreur([&] { a.stats(); }), s::syntaxe) << "stats are for spectators";
  EXPECT_EQ(a.etat(), statut::vivant);
}

TEST_F(Serveur, RegistrationRefusals) {
  connexion a = ouvre();
  a.enregistre(rouge);
  connexion b = ouvre();
  EXPECT_EQ(sorte_erreur([&] { b.enregistre(rouge); }), s::couleur_utilisee);
  b.enregistre(255);
  EXPECT_EQ(sorte_erreur([&] { b.enregistre(256); }), s::syntaxe);
  EXPECT_EQ(sorte_erreur([&] { b.devient_spectateur(); }), s::syntaxe);
  EXPECT_EQ(b.etat(), statut::vivant);
  EXPECT_EQ(b.vaisseaux().size(), 2u);
}

TEST_F(Serveur, FrameOfEveryPlayRequest) {
  connexion a = ouvre();
  a.enregistre(rouge);
  constexpr std::array trame{requete::taille_plateau, requete::rayon_vaisseau, requete::rayon_balle,
                             requete::max_pt_vie,     requete::statut,         requete::accelere,
                             requete::decelere,       requete::gauche,         requete::droite,
                             requete::tire,           requete::balles,         requete::vaisseaux,
                             requete::cubes};
  for (int tour = 0; tour < 3; ++tour) {
    const auto r = a.trame(trame);
    ASSERT_EQ(r.size(), trame.size());
    EXPECT_EQ(std::get<taille_plateau>(r[0]).largeur, 990);
    EXPECT_EQ(std::get<int>(r[1]), 9);
    EXPECT_EQ(std::get<int>(r[2]), 4);
    EXPECT_EQ(std::get<int>(r[3]), 5);
    EXPECT_EQ(std::get<statut>(r[4]), statut::vivant);
    for (std::size_t i = 5; i < 10; ++i) EXPECT_TRUE(std::holds_alternative<ok>(r[i])) << i;
    for (const balle& b : std::get<std::vector<balle>>(r[10])) EXPECT_EQ(b.couleur, rouge);
    ASSERT_EQ(std::get<std::vector<vaisseau>>(r[11]).size(), 1u);
    EXPECT_EQ(std::get<std::vector<vaisseau>>(r[11])[0].couleur, rouge);
    EXPECT_EQ(std::get<std::vector<cube>>(r[12]).size(), 200u);
  }
}

TEST_F(Serveur, ServerClosing) {
  connexion a = ouvre();
  a.enregistre(rouge);
  a.quitte();
  EXPECT_EQ(a.descripteur(), -1);
  EXPECT_EQ(sorte_erreur([&] { a.etat(); }), s::fermee);

  connexion b = ouvre();
  b.enregistre(rouge + 1);
  arrete_ = true;
  serveur_->tue();
  EXPECT_EQ(sorte_erreur([&] { b.vaisseaux(); }), s::fermee);
  EXPECT_EQ(b.descripteur(), -1);
}

TEST_F(Serveur, Spectator) {
  connexion joueur = ouvre();
  joueur.enregistre(rouge);
  connexion spectateur = ouvre();
  spectateur.devient_spectateur();
  EXPECT_EQ(spectateur.etat(), statut::spectateur);

  constexpr std::array trame{requete::taille_plateau, requete::rayon_vaisseau, requete::rayon_balle,
                             requete::max_pt_vie,     requete::statut,         requete::vaisseaux,
                             requete::balles,         requete::cubes,          requete::stats};
  const auto r = spectateur.trame(trame);
  ASSERT_EQ(r.size(), trame.size());
  EXPECT_EQ(std::get<taille_plateau>(r[0]).hauteur, 990);
  EXPECT_EQ(std::get<int>(r[1]), 9);
  EXPECT_EQ(std::get<int>(r[2]), 4);
  EXPECT_EQ(std::get<int>(r[3]), 5);
  EXPECT_EQ(std::get<statut>(r[4]), statut::spectateur);
  ASSERT_EQ(std::get<std::vector<vaisseau>>(r[5]).size(), 1u);
  EXPECT_EQ(std::get<std::vector<vaisseau>>(r[5])[0].couleur, rouge);
  EXPECT_TRUE(std::get<std::vector<balle>>(r[6]).empty());
  EXPECT_EQ(std::get<std::vector<cube>>(r[7]).size(), 200u);
  const auto& st = std::get<statistiques>(r[8]);
  EXPECT_EQ(st.joueurs, 1);
  EXPECT_EQ(st.spectateurs, 1);
  EXPECT_EQ(st.vaisseaux, 1);
  EXPECT_EQ(st.balles, 0);
  EXPECT_GE(st.champs.size(), 8u);
  // Ticks per second are counted over a whole second of the server's life.
  EXPECT_TRUE(jeu::test::attend_jusqua([&] { return spectateur.stats().ticks_par_seconde > 0; },
                                       10s, 100ms));

  // A spectator has no ship and never gets one.
  EXPECT_EQ(sorte_erreur([&] { spectateur.action(requete::tire); }), s::syntaxe);
  EXPECT_EQ(sorte_erreur([&] { spectateur.enregistre(255); }), s::syntaxe);
  EXPECT_EQ(sorte_erreur([&] { spectateur.devient_spectateur(); }), s::syntaxe);
  EXPECT_EQ(sorte_erreur([&] { joueur.devient_spectateur(); }), s::syntaxe);
  EXPECT_EQ(joueur.vaisseaux().size(), 1u);
  spectateur.quitte();
  EXPECT_EQ(spectateur.descripteur(), -1);
}

}  // namespace
}  // namespace jeu_client
