// What a session does with each line, on a world built here: replies and log
// text byte for byte, and the effect on the world.
#include <gtest/gtest.h>

#include <atomic>
#include <barrier>
#include <string>
#include <thread>
#include <vector>

#include "geometry/cube_field.h"
#include "net/protocole.h"
#include "net/traitement.h"
#include "support/protocole_essai.h"
#include "world/flotte.h"
#include "world/munitions.h"

namespace jeu {
namespace {

using namespace std::string_literals;
using essai::ligne_cube;
using essai::ligne_vaisseau;
using essai::traite;

constexpr couleur_t rouge = 0xFF0000;

// Registers `couleur` and returns the session's player; fails the test
// otherwise.
joueur inscrit(monde& m, couleur_t couleur, bool journalise) {
  const issue_enregistrement issue =
      enregistre(m, "PUT COULEUR VAISSEAU " + std::to_string(couleur) + "\r", journalise);
  EXPECT_EQ(issue.reponse, "VAISSEAU ENREGISTRE\r\n");
  EXPECT_TRUE(issue.id.has_value());
  return joueur(issue.id.value_or(identite{couleur, 0}), journalise);
}

TEST(Traitement, ColourNamesAndPrefix) {
  const std::vector<std::pair<couleur_t, std::string>> noms{
      {0, "noir"},          {16711680, "rouge"}, {65280, "vert"},
      {255, "bleu"},        {16776960, "jaune"}, {65535, "cyan"},
      {16711935, "magenta"}, {-5, "-5"},         {8421504, "8421504"},
      {16711680 + (1LL << 40), "1099528339456"}};
  for (const auto& [couleur, nom] : noms) EXPECT_EQ(nom_couleur(couleur), nom) << couleur;
  EXPECT_EQ(prefixe_client(0), "Le client noir ");
  EXPECT_EQ(prefixe_client(8421504), "Le client 8421504 ");
}

TEST(Traitement, RegistrationRepliesLogsAndWorld) {
  monde m(1);
  // A bad line: refused and logged as received, even without debug.
  issue_enregistrement issue = enregistre(m, "GET STATUT\r", false);
  EXPECT_EQ(issue.reponse, "ERREUR SYNTAXE\r\n");
  EXPECT_EQ(issue.journal, "erreur client: GET STATUT\r\n");
  EXPECT_FALSE(issue.id);
  issue = enregistre(m, "PUT COULEUR VAISSEAU 007\r\0"s, true);
  EXPECT_EQ(issue.journal, "erreur client: PUT COULEUR VAISSEAU 007\\x0d\\x00\n") << "escaped";

  issue = enregistre(m, "PUT COULEUR VAISSEAU 16711680\r", true);
  EXPECT_EQ(issue.reponse, "VAISSEAU ENREGISTRE\r\n");
  EXPECT_EQ(issue.journal, "Oh, un nouveau client (rouge)\n");
  ASSERT_TRUE(issue.id);
  {
    VerrouGarde garde(m.verrou_monde);
    ASSERT_EQ(m.vaisseaux.size(), 1u);
    EXPECT_EQ(m.vaisseaux.front().couleur, rouge);
    EXPECT_EQ(m.vaisseaux.front().serie, issue.id->serie);
    EXPECT_EQ(issue.id->couleur, rouge);
  }
  // Taken: refused, logged even without debug, world unchanged.
  issue = enregistre(m, "PUT COULEUR VAISSEAU 16711680\r", false);
  EXPECT_EQ(issue.reponse, "ERREUR COULEUR UTILISEE\r\n");
  EXPECT_EQ(issue.journal, "erreur client: la couleur est deja utilisee\n");
  EXPECT_FALSE(issue.id);
  // Without debug a success logs nothing; negative and huge colours are fine.
  issue = enregistre(m, "PUT COULEUR VAISSEAU -9223372036854775808\r", false);
  EXPECT_EQ(issue.reponse, "VAISSEAU ENREGISTRE\r\n");
  EXPECT_EQ(issue.journal, "");
  VerrouGarde garde(m.verrou_monde);
  EXPECT_EQ(m.vaisseaux.size(), 2u);
}

TEST(Traitement, FullArenaIsRefusedWithItsOwnLogLine) {
  monde m(2);
  {
    VerrouGarde garde(m.verrou_monde);
    // Ships 17 apart everywhere: no place is 18 away from all of them.
    couleur_t c = 1000;
    for (double x = 0; x < 990; x += 17) {
      for (double y = 0; y < 990; y += 17) {
        place_vaisseau(m, {x, y, 0.0, 0.0, 5, c++, 0});
      }
    }
  }
  const issue_enregistrement issue = enregistre(m, "PUT COULEUR VAISSEAU 1\r", false);
  EXPECT_EQ(issue.reponse, "ERREUR COULEUR UTILISEE\r\n");
  EXPECT_EQ(issue.journal, "erreur client: plus de place dans l'arene\n");
  EXPECT_FALSE(issue.id);
}

TEST(Traitement, ActionsChangeTheOwnShipAndSayOk) {
  monde m(4);
  joueur j = inscrit(m, 255, true);
  VerrouGarde garde(m.verrou_monde);
  vaisseau& v = m.vaisseaux.front();
  deplace_vaisseau(m, v, 100.0, 200.0);
  v.angle = 0.0;
  const std::vector<std::pair<std::string, std::string>> cas{
      {"PUT ACTION ACCELERE\r", "demande une acceleration"},
      {"PUT ACTION GAUCHE\r", "demande une rotation gauche"},
      {"PUT ACTION GAUCHE\r", "demande une rotation gauche"},
      {"PUT ACTION DROITE\r", "demande une rotation droite"},
      {"PUT ACTION DECELERE\r", "demande une deceleration"},
      {"PUT ACTION DECELERE\r", "demande une deceleration"},
      {"PUT ACTION TIRE\r", "demande a tirer une balle"}};
  for (const auto& [ligne, texte] : cas) {
    const auto issue = traite(j, m, ligne);
    EXPECT_EQ(issue.reponse, "OK\r\n");
    EXPECT_EQ(issue.journal, "Le client bleu " + texte + "\n  OK\n");
    EXPECT_FALSE(issue.fin);
  }
  EXPECT_NEAR(v.angle, 0.15, 1e-12);
  EXPECT_NEAR(v.vitesse, -0.1, 1e-12);
  ASSERT_EQ(m.balles.size(), 1u);
  EXPECT_EQ(m.balles.front().couleur, 255);
}

TEST(Traitement, ListRepliesFollowTheWorldOrderAndAreLoggedWhole) {
  monde m(5);
  {
    VerrouGarde garde(m.verrou_monde);
    m.cubes = cree_cubes(m, 200);
  }
  joueur a = inscrit(m, rouge, true);
  joueur b = inscrit(m, 8421504, false);
  VerrouGarde garde(m.verrou_monde);
  // Newest first: b, then a.
  const std::string ships = "PUT VAISSEAUX 2\r\n" + ligne_vaisseau(m.vaisseaux[0]) +
                            ligne_vaisseau(m.vaisseaux[1]);
  EXPECT_EQ(m.vaisseaux[0].couleur, 8421504);
  auto issue = traite(a, m, "GET VAISSEAUX\r");
  EXPECT_EQ(issue.reponse, ships);
  std::string log = "Le client rouge demande la liste des vaisseaux\n";
  for (std::size_t debut = 0; debut < ships.size();) {
    const std::size_t fin = ships.find('\n', debut) + 1;
    log += "  " + ships.substr(debut, fin - debut);
    debut = fin;
  }
  EXPECT_EQ(issue.journal, log);
  // The same request from a session without debug logs nothing.
  issue = traite(b, m, "GET VAISSEAUX\r");
  EXPECT_EQ(issue.reponse, ships);
  EXPECT_EQ(issue.journal, "");

  issue = traite(a, m, "GET BALLES\r");
  EXPECT_EQ(issue.reponse, "PUT BALLES 0\r\n");
  EXPECT_EQ(issue.journal, "Le client rouge demande la liste des balles\n  PUT BALLES 0\r\n");
  ajoute_balle(m, {10.5, 20.9, 0.0, 1});
  ajoute_balle(m, {30.0, 40.0, 0.0, 2});
  issue = traite(a, m, "GET BALLES\r");
  EXPECT_EQ(issue.reponse, "PUT BALLES 2\r\n30 40 2\r\n10 20 1\r\n");
  EXPECT_EQ(issue.journal,
            "Le client rouge demande la liste des balles\n  PUT BALLES 2\r\n  30 40 2\r\n"
            "  10 20 1\r\n");

  std::string cubes = "PUT CUBES 200\r\n";
  std::string cubes_log = "Le client rouge demande la liste des cubes\n  PUT CUBES 200\r\n";
  for (const cube& c : m.cubes) {
    cubes += ligne_cube(c);
    cubes_log += "  " + ligne_cube(c);
  }
  for (int fois = 0; fois < 2; ++fois) {  // the second reply comes from the cache
    issue = traite(a, m, "GET CUBES\r");
    EXPECT_EQ(issue.reponse, cubes);
    EXPECT_EQ(issue.journal, cubes_log);
    issue = traite(b, m, "GET CUBES\r");
    EXPECT_EQ(issue.reponse, cubes);
    EXPECT_EQ(issue.journal, "");
  }
}

TEST(Traitement, UnknownLinesAndQuit) {
  monde m(6);
  joueur j = inscrit(m, 0, true);
  VerrouGarde garde(m.verrou_monde);
  // Logged as received, but for the bytes that are not printable.
  for (const auto& [ligne, journalisee] : std::vector<std::pair<std::string, std::string>>{
           {"GET STATUT", "GET STATUT"}, {"get statut\r", "get statut\r"},
           {"GET STATUT \r", "GET STATUT \r"}, {"GET  STATUT\r", "GET  STATUT\r"},
           {"\r", "\r"}, {"", ""}, {"GET STATUT\r\0"s, "GET STATUT\\x0d\\x00"},
           {"\x1b[2J\r", "\\x1b[2J\r"}, {"PUT COULEUR VAISSEAU 0\r", "PUT COULEUR VAISSEAU 0\r"}}) {
    const auto issue = traite(j, m, ligne);
    EXPECT_EQ(issue.reponse, "ERREUR SYNTAXE\r\n");
    EXPECT_EQ(issue.journal, "Le client noir fait une demande incorrecte : " + journalisee + "\n");
    EXPECT_FALSE(issue.fin);
  }
  EXPECT_EQ(m.vaisseaux.size(), 1u);
  const auto issue = traite(j, m, "PUT ACTION QUITTE\r");
  EXPECT_EQ(issue.reponse, "OK\r\n");
  EXPECT_EQ(issue.journal, "Le client noir s'est barre\n  OK\n");
  EXPECT_TRUE(issue.fin);
  EXPECT_TRUE(m.vaisseaux.empty());
}

// List replies are copied under the lock and formatted after it: what a
// tick does in between does not show. An overlong line is refused whatever
// its beginning, in both phases.
TEST(Traitement, RepliesShowTheWorldAsItWasUnderTheLockAndOverlongLinesAreRefused) {
  monde m(9);
  joueur j = inscrit(m, rouge, false);
  std::string attendu;
  {
    VerrouGarde garde(m.verrou_monde);
    deplace_vaisseau(m, m.vaisseaux.front(), 100.0, 200.0);
    attendu = "PUT VAISSEAUX 1\r\n" + ligne_vaisseau(m.vaisseaux.front());
    j.traite_requete(m, "GET VAISSEAUX\r");
  }
  {
    VerrouGarde garde(m.verrou_monde);
    deplace_vaisseau(m, m.vaisseaux.front(), 300.0, 200.0);
    ajoute_balle(m, {1.0, 2.0, 0.0, 3});
  }
  std::string sortie;
  j.ajoute_reponse(sortie);
  EXPECT_EQ(sortie, attendu);
  {
    VerrouGarde garde(m.verrou_monde);
    j.traite_requete(m, "GET BALLES\r");
    vide_balles(m);
  }
  sortie.clear();
  j.ajoute_reponse(sortie);
  EXPECT_EQ(sortie, "PUT BALLES 1\r\n1 2 3\r\n");

  joueur bavard(j.id(), true);
  const issue_requete issue = bavard.refuse_ligne("GET STATUT\r");
  EXPECT_EQ(issue.journal, "Le client rouge fait une demande incorrecte : GET STATUT\r\n");
  sortie.clear();
  bavard.ajoute_reponse(sortie);
  EXPECT_EQ(sortie, "ERREUR SYNTAXE\r\n");
  const issue_enregistrement refus = refuse_enregistrement("PUT COULEUR VAISSEAU 5\r");
  EXPECT_EQ(refus.reponse, "ERREUR SYNTAXE\r\n");
  EXPECT_EQ(refus.journal, "erreur client: PUT COULEUR VAISSEAU 5\r\n");
  EXPECT_FALSE(refus.id.has_value());
}

// Threads registering one colour at the same moment: exactly one wins.
TEST(Traitement, RegistrationRaceHasOneWinner) {
  constexpr int concurrents = 4;
  constexpr int manches = 100;
  monde m(8);
  std::barrier depart(concurrents);
  std::atomic<int> gagnants[manches] = {};
  std::vector<std::thread> fils;
  for (int t = 0; t < concurrents; ++t) {
    fils.emplace_back([&] {
      for (int k = 0; k < manches; ++k) {
        depart.arrive_and_wait();
        const issue_enregistrement issue =
            enregistre(m, "PUT COULEUR VAISSEAU " + std::to_string(k) + "\r", false);
        if (issue.id) {
          ++gagnants[k];
        } else {
          EXPECT_EQ(issue.reponse, "ERREUR COULEUR UTILISEE\r\n");
        }
      }
    });
  }
  for (std::thread& f : fils) f.join();
  for (int k = 0; k < manches; ++k) EXPECT_EQ(gagnants[k].load(), 1) << "colour " << k;
  VerrouGarde garde(m.verrou_monde);
  EXPECT_EQ(m.vaisseaux.size(), static_cast<std::size_t>(manches));
}

}  // namespace
}  // namespace jeu
