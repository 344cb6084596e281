// A spectator's requests on a world built here: the players' replies, its
// own status and figures, and nothing that changes the world.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "geometry/cube_field.h"
#include "net/session_spectateur.h"
#include "net/traitement.h"
#include "support/protocole_essai.h"
#include "world/comptes.h"
#include "world/munitions.h"

namespace jeu {
namespace {

using namespace std::string_literals;

std::string demande(spectateur& s, const monde& m, std::string_view ligne, bool* fin = nullptr)
    REQUIRES(m.verrou_monde) {
  const issue_requete issue = s.traite_requete(m, ligne);
  EXPECT_EQ(issue.journal, "") << "spectators are not logged";
  if (fin) *fin = issue.fin;
  std::string reponse;
  s.ajoute_reponse(reponse);
  return reponse;
}

TEST(Spectateur, RegistrationMakesNoShipAndPlayersGetNoStats) {
  monde m(3);
  issue_enregistrement issue = enregistre(m, "PUT SPECTATEUR\r", true);
  EXPECT_EQ(issue.reponse, "SPECTATEUR ENREGISTRE\r\n");
  EXPECT_EQ(issue.journal, "");
  EXPECT_TRUE(issue.spectateur);
  EXPECT_FALSE(issue.id);
  for (const std::string& ligne : {"PUT SPECTATEUR"s, "PUT SPECTATEUR \r"s, "put spectateur\r"s}) {
    issue = enregistre(m, ligne, false);
    EXPECT_EQ(issue.reponse, "ERREUR SYNTAXE\r\n") << ligne;
    EXPECT_FALSE(issue.spectateur) << ligne;
  }
  issue = enregistre(m, "PUT COULEUR VAISSEAU 5\r", false);
  ASSERT_TRUE(issue.id);
  joueur j(*issue.id, false);
  VerrouGarde garde(m.verrou_monde);
  EXPECT_EQ(m.vaisseaux.size(), 1u);
  // For a player, both are unknown lines.
  for (const char* ligne : {"GET STATS\r", "PUT SPECTATEUR\r", "GET SCORES\r", "GET EVENEMENTS\r"}) {
    EXPECT_EQ(essai::traite(j, m, ligne).reponse, "ERREUR SYNTAXE\r\n") << ligne;
  }
}

TEST(Spectateur, SeesWhatPlayersSeeAndChangesNothing) {
  monde m(4);
  {
    VerrouGarde garde(m.verrou_monde);
    m.cubes = cree_cubes(m, 200);
  }
  const issue_enregistrement issue = enregistre(m, "PUT COULEUR VAISSEAU 255\r", false);
  ASSERT_TRUE(issue.id);
  joueur j(*issue.id, false);
  spectateur s;
  VerrouGarde garde(m.verrou_monde);
  ajoute_balle(m, {30.0, 40.0, 0.0, 2});
  for (const char* ligne : {"GET VAISSEAUX\r", "GET BALLES\r", "GET CUBES\r", "GET CUBES\r",
                            "GET TAILLE PLATEAU\r", "GET RAYON VAISSEAU\r", "GET RAYON BALLE\r",
                            "GET MAX PT VIE\r"}) {
    EXPECT_EQ(demande(s, m, ligne), essai::traite(j, m, ligne).reponse) << ligne;
  }
  EXPECT_EQ(demande(s, m, "GET STATUT\r"), "PUT STATUT spectateur\r\n");

  const vaisseau avant = m.vaisseaux.front();
  for (const std::string& ligne :
       {"PUT ACTION ACCELERE\r"s, "PUT ACTION DECELERE\r"s, "PUT ACTION GAUCHE\r"s,
        "PUT ACTION DROITE\r"s, "PUT ACTION TIRE\r"s, "PUT COULEUR VAISSEAU 7\r"s,
        "PUT SPECTATEUR\r"s, "GET STATS"s, ""s, "GET STATS\r\0"s}) {
    EXPECT_EQ(demande(s, m, ligne), "ERREUR SYNTAXE\r\n") << ligne;
  }
  EXPECT_EQ(demande(s, m, "GET VAISSEAUX\r"), "PUT VAISSEAUX 1\r\n" + essai::ligne_vaisseau(avant));
  EXPECT_EQ(m.balles.size(), 1u);
  EXPECT_EQ(m.vaisseaux.front().vitesse, avant.vitesse);

  bool fin = false;
  EXPECT_EQ(demande(s, m, "PUT ACTION QUITTE\r", &fin), "OK\r\n");
  EXPECT_TRUE(fin);
  EXPECT_EQ(m.vaisseaux.size(), 1u) << "a spectator leaving removes no ship";
}

TEST(Spectateur, StatsReportTheWorldTheCountersAndTheTicks) {
  monde m(5);
  ASSERT_TRUE(enregistre(m, "PUT COULEUR VAISSEAU 1\r", false).id);
  ASSERT_TRUE(enregistre(m, "PUT COULEUR VAISSEAU 2\r", false).id);
  m.compteurs.joueurs = 3;
  m.compteurs.spectateurs = 1;
  m.compteurs.fermes_delai = 4;
  m.compteurs.fermes_adresse = 3;
  m.compteurs.fermes_place = 2;
  m.compteurs.fermes_ecriture = 1;
  spectateur s;
  VerrouGarde garde(m.verrou_monde);
  ajoute_balle(m, {30.0, 40.0, 0.0, 2});
  EXPECT_EQ(demande(s, m, "GET STATS\r"),
            "PUT STATS ticks_s=0.0 tick_us=0 tick_p99_us=0 joueurs=3 spectateurs=1 vaisseaux=2 "
            "balles=1 requetes_s=0 fermes_delai=4 fermes_adresse=3 fermes_place=2 "
            "fermes_ecriture=1\r\n");
  const horloge::time_point t = horloge::now();
  m.ticks.note_tick(t - std::chrono::milliseconds(25), std::chrono::microseconds(70), 0);
  m.ticks.note_tick(t, std::chrono::microseconds(85), 10);
  const etat_serveur e = etat_du_serveur(m, t);
  EXPECT_DOUBLE_EQ(e.ticks_par_seconde, 40.0);
  EXPECT_EQ(e.duree_tick_us, 85);
  EXPECT_EQ(e.p99_tick_us, 85);
}

// Scores ranked by kills, then fewer deaths, then hits, then colour; events
// from when the spectator began watching, each once, and what the journal
// lost before this spectator read it.
TEST(Spectateur, ScoresRankedAndEventsEachOnce) {
  monde m(6);
  spectateur s;
  VerrouGarde garde(m.verrou_monde);
  m.evenements.redimensionne(8);
  compte_arrivee(m, 1);  // before the spectator: not sent
  s.commence(m);
  m.numero_tick = 7;
  for (couleur_t c : {2, 3, 4, -5}) compte_arrivee(m, c);
  compte_touche(m, 2, 3, 4);
  compte_touche(m, 2, 3, 0);   // 2: one kill
  compte_touche(m, 4, -5, 0);  // 4: one kill, as many hits as 2 less one
  compte_touche(m, 1, 2, 2);   // 1: a hit, no kill
  compte_touche(m, -5, 1, 3);  // -5: same figures as 1 but dead; ranks after
  compte_tir(m, 2);
  m.numero_tick = 9;
  compte_depart(m, 2, raison_depart::quitte);
  EXPECT_EQ(demande(s, m, "GET SCORES\r"),
            "PUT SCORES 5\r\n"
            "2 1 0 2 1 0 1 1 2 1 0\r\n"
            "4 1 0 1 0 0 0 1 2 1 1\r\n"
            "1 0 0 1 1 0 0 1 9 0 1\r\n"
            "-5 0 1 1 1 0 0 1 0 0 0\r\n"
            "3 0 1 0 2 0 0 1 0 0 0\r\n");
  // 4 arrivals, 2 + 3 + 1 + 1 events of hits, 1 departure: 14 events, the
  // journal holds the last 8.
  EXPECT_EQ(demande(s, m, "GET EVENEMENTS\r"),
            "PUT EVENEMENTS 8 6\r\n"
            "7 DETRUIT 2 3\r\n"
            "7 PART 3 detruit\r\n"
            "7 TOUCHE 4 -5 0\r\n"
            "7 DETRUIT 4 -5\r\n"
            "7 PART -5 detruit\r\n"
            "7 TOUCHE 1 2 2\r\n"
            "7 TOUCHE -5 1 3\r\n"
            "9 PART 2 quitte\r\n");
  EXPECT_EQ(demande(s, m, "GET EVENEMENTS\r"), "PUT EVENEMENTS 0 0\r\n");
  compte_depart(m, 1, raison_depart::deconnecte);
  compte_arrivee(m, 0x7fffffffffffffff);
  EXPECT_EQ(demande(s, m, "GET EVENEMENTS\r"),
            "PUT EVENEMENTS 2 0\r\n9 PART 1 deconnecte\r\n9 ARRIVE 9223372036854775807\r\n");
}

TEST(Spectateur, StatsLineFormat) {
  const std::vector<std::pair<etat_serveur, std::string>> cas{
      {{39.84, 85, 140, 20, 1, 18, 40, 812, 7, 0, 12, 3},
       "ticks_s=39.8 tick_us=85 tick_p99_us=140 joueurs=20 spectateurs=1 vaisseaux=18 balles=40 "
       "requetes_s=812 fermes_delai=7 fermes_adresse=0 fermes_place=12 fermes_ecriture=3"},
      {{40.0, 0, 0, 0, 0, 0, 0, 0},
       "ticks_s=40.0 tick_us=0 tick_p99_us=0 joueurs=0 spectateurs=0 vaisseaux=0 balles=0 "
       "requetes_s=0 fermes_delai=0 fermes_adresse=0 fermes_place=0 fermes_ecriture=0"},
      {{std::numeric_limits<double>::quiet_NaN(), 1, 2, 3, 4, 5, 6, 1234567, 18446744073709551615u,
        1, 2, 3},
       "ticks_s=0.0 tick_us=1 tick_p99_us=2 joueurs=3 spectateurs=4 vaisseaux=5 balles=6 "
       "requetes_s=1234567 fermes_delai=18446744073709551615 fermes_adresse=1 fermes_place=2 "
       "fermes_ecriture=3"}};
  for (const auto& [etat, champs] : cas) {
    std::string ligne;
    ajoute_stats(ligne, etat);
    EXPECT_EQ(ligne, "PUT STATS " + champs + "\r\n");
  }
}

}  // namespace
}  // namespace jeu
