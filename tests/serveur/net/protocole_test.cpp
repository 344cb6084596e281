// Request recognition and the exact bytes of every reply and item line.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "net/protocole.h"
#include "support/protocole_essai.h"

namespace jeu {
namespace {

using namespace std::string_literals;
using namespace essai;

TEST(Protocole, RecognisesOnlyTheWholeLiteralLines) {
  const std::vector<std::pair<std::string, requete>> connues{
      {"GET BALLES\r", requete::balles},
      {"GET CUBES\r", requete::cubes},
      {"GET VAISSEAUX\r", requete::vaisseaux},
      {"GET MAX PT VIE\r", requete::max_pt_vie},
      {"GET RAYON BALLE\r", requete::rayon_balle},
      {"GET RAYON VAISSEAU\r", requete::rayon_vaisseau},
      {"GET TAILLE PLATEAU\r", requete::taille_plateau},
      {"GET STATUT\r", requete::statut},
      {"PUT ACTION ACCELERE\r", requete::accelere},
      {"PUT ACTION DECELERE\r", requete::decelere},
      {"PUT ACTION DROITE\r", requete::droite},
      {"PUT ACTION GAUCHE\r", requete::gauche},
      {"PUT ACTION TIRE\r", requete::tire},
      {"PUT ACTION QUITTE\r", requete::quitte},
      {"GET STATS\r", requete::stats}};
  for (const auto& [ligne, attendue] : connues) {
    EXPECT_EQ(reconnait_requete(ligne), attendue) << ligne;
    // The same bytes with anything removed or added are not a request.
    EXPECT_EQ(reconnait_requete(ligne.substr(0, ligne.size() - 1)), requete::inconnue) << ligne;
    EXPECT_EQ(reconnait_requete(ligne + "\r"), requete::inconnue) << ligne;
    EXPECT_EQ(reconnait_requete(ligne + '\0'), requete::inconnue) << ligne;
    EXPECT_EQ(reconnait_requete(ligne + '\0' + "GET"), requete::inconnue) << ligne;
    EXPECT_EQ(reconnait_requete(" " + ligne), requete::inconnue) << ligne;
  }
  for (const std::string& ligne :
       {""s, "\r"s, "get statut\r"s, "GET STATUT \r"s, "GET  STATUT\r"s, "GET STATUT\r\n"s,
        "GET\0STATUT\r"s, "GET STATU\0\r"s, "PUT ACTION\r"s, "PUT COULEUR VAISSEAU 5\r"s}) {
    EXPECT_EQ(reconnait_requete(ligne), requete::inconnue) << ::testing::PrintToString(ligne);
  }
}

TEST(Protocole, RegistrationNeedsTheCanonicalIntegerText) {
  const std::vector<std::pair<std::string, couleur_t>> acceptees{
      {"PUT COULEUR VAISSEAU 255\r", 255},
      {"PUT COULEUR VAISSEAU -5\r", -5},
      {"PUT COULEUR VAISSEAU 0\r", 0},
      {"PUT COULEUR VAISSEAU 16711680\r", 16711680},
      {"PUT COULEUR VAISSEAU 16777216\r", 16777216},
      {"PUT COULEUR VAISSEAU 9223372036854775807\r", std::numeric_limits<couleur_t>::max()},
      {"PUT COULEUR VAISSEAU -9223372036854775808\r", std::numeric_limits<couleur_t>::min()}};
  for (const auto& [ligne, couleur] : acceptees) {
    EXPECT_EQ(lit_enregistrement(ligne), couleur) << ligne;
  }
  for (const std::string& ligne : {
           "PUT COULEUR VAISSEAU +1\r"s, "PUT COULEUR VAISSEAU 00\r"s,
           "PUT COULEUR VAISSEAU 007\r"s, "PUT COULEUR VAISSEAU -0\r"s,
           "PUT COULEUR VAISSEAU -007\r"s, "PUT COULEUR VAISSEAU  5\r"s,
           "PUT COULEUR VAISSEAU 5 \r"s, "PUT COULEUR VAISSEAU 5"s, "PUT COULEUR VAISSEAU 5\r\r"s,
           "PUT COULEUR VAISSEAU 5\rX"s, "PUT COULEUR VAISSEAU 5\r\0"s,
           "PUT COULEUR VAISSEAU 5\0\r"s, "PUT COULEUR VAISSEAU \0" "5\r"s,
           "PUT COULEUR VAISSEAU \r"s, "PUT COULEUR VAISSEAU -\r"s, "PUT COULEUR VAISSEAU\r"s,
           "PUT COULEUR VAISSEAU 0x10\r"s, "PUT COULEUR VAISSEAU 1e3\r"s,
           "PUT COULEUR VAISSEAU 5.0\r"s, "put couleur vaisseau 5\r"s,
           "PUT COULEUR  VAISSEAU 5\r"s, " PUT COULEUR VAISSEAU 5\r"s,
           // One past each end of the 64-bit range.
           "PUT COULEUR VAISSEAU 9223372036854775808\r"s,
           "PUT COULEUR VAISSEAU -9223372036854775809\r"s,
           "PUT COULEUR VAISSEAU 99999999999999999999999\r"s, ""s}) {
    EXPECT_EQ(lit_enregistrement(ligne), std::nullopt) << ::testing::PrintToString(ligne);
  }
}

TEST(Protocole, IntegerAndTruncatedTexts) {
  EXPECT_EQ(texte_entier(0), "0");
  EXPECT_EQ(texte_entier(-5), "-5");
  EXPECT_EQ(texte_entier(16711680), "16711680");
  EXPECT_EQ(texte_entier(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");

  EXPECT_EQ(texte_tronque(9.7), "9");
  EXPECT_EQ(texte_tronque(-9.7), "-9");
  EXPECT_EQ(texte_tronque(-0.7), "0");
  EXPECT_EQ(texte_tronque(-0.0), "0");
  EXPECT_EQ(texte_tronque(12.99), "12");
  EXPECT_EQ(texte_tronque(21.999), "21");
  EXPECT_EQ(texte_tronque(990.0), "990");
  // Beyond 64 bits: the exact digits, not a wrapped or saturated value.
  EXPECT_EQ(texte_tronque(1e20), "100000000000000000000");
  EXPECT_EQ(texte_tronque(-1e20), "-100000000000000000000");
  EXPECT_EQ(texte_tronque(9.3e18), "9300000000000000000");
  EXPECT_EQ(texte_tronque(-9.3e18), "-9300000000000000000");
  const std::string enorme = texte_tronque(std::numeric_limits<double>::max());
  EXPECT_EQ(enorme.size(), 309u);
  EXPECT_EQ(enorme.substr(0, 6), "179769");
  EXPECT_EQ(texte_tronque(std::numeric_limits<double>::quiet_NaN()), "0");
  EXPECT_EQ(texte_tronque(-std::numeric_limits<double>::infinity()), "0");
}

TEST(Protocole, AngleTextAlwaysReadsAsAFloat) {
  EXPECT_EQ(texte_angle(0.0), "0.");
  EXPECT_EQ(texte_angle(2.0), "2.");
  EXPECT_EQ(texte_angle(3.0), "3.");
  EXPECT_EQ(texte_angle(-3.0), "-3.");
  EXPECT_EQ(texte_angle(-0.0), "-0.");
  EXPECT_EQ(texte_angle(1.5), "1.5");
  EXPECT_EQ(texte_angle(6.28), "6.28");
  EXPECT_EQ(texte_angle(std::acos(0.0)), "1.57079632679");
  EXPECT_EQ(texte_angle(3 * std::acos(0.0)), "4.71238898038");
  EXPECT_EQ(texte_angle(-0.15), "-0.15");
  EXPECT_EQ(texte_angle(-0.45), "-0.45");
  EXPECT_EQ(texte_angle(0.00001), "1e-05");
  EXPECT_EQ(texte_angle(123456789012.0), "123456789012.");
  EXPECT_EQ(texte_angle(1e12), "1e+12");
  // Never reduced to a range: 42 left turns from 0.
  double angle = 0.0;
  for (int k = 0; k < 42; ++k) angle += 0.15;
  EXPECT_EQ(texte_angle(angle), "6.3");
}

TEST(Protocole, AngleTextIsPrintfsTwelveDigitGeneralForm) {
  // The angle text must be exactly what "%.12g" prints, whatever the value:
  // compare on random headings, long turning histories, tiny and huge values,
  // and values near the boundaries between fixed and exponent forms.
  std::mt19937_64 hasard(11);
  std::uniform_real_distribution<double> cap(-50.0, 50.0);
  std::uniform_int_distribution<int> exposant(-30, 30);
  std::vector<double> valeurs{1e-4, 9.99999999999e-5, 0.0001, 999999999999.0, 999999999999.5,
                              1e12, -1e-5, 5e-324, std::numeric_limits<double>::max(),
                              0.1 + 0.2, 2.5, 1.0 / 3.0};
  for (int k = 0; k < 100000; ++k) {
    valeurs.push_back(cap(hasard));
    valeurs.push_back(cap(hasard) * std::pow(10.0, exposant(hasard)));
  }
  for (const double v : valeurs) {
    char attendu[64];
    std::snprintf(attendu, sizeof attendu, "%.12g", v);
    std::string texte = attendu;
    if (texte.find_first_not_of("0123456789-") == std::string::npos) texte += '.';
    ASSERT_EQ(texte_angle(v), texte) << v;
  }
}

TEST(Protocole, ItemLines) {
  EXPECT_EQ(ligne_vaisseau({511.8, 300.6, 1.57, 2.5, 5, 16711680, 1}),
            "512 301 1.57 5 16711680\r\n");
  EXPECT_EQ(ligne_vaisseau({12.5, 12.49, 3.0, 0.0, 1, -5, 2}), "13 12 3. 1 -5\r\n");
  EXPECT_EQ(ligne_vaisseau({511.5, 511.49, -0.45, 0.0, 3, 255, 3}), "512 511 -0.45 3 255\r\n");
  EXPECT_EQ(ligne_balle({524.9, 313.2, 2.0, 16711680}), "524 313 16711680\r\n");
  EXPECT_EQ(ligne_balle({12.99, -0.5, 0.0, 0}), "12 0 0\r\n");
  EXPECT_EQ(ligne_cube({352.7, 88.2, 374.7, 110.2}), "352 88 374 110\r\n");
  EXPECT_EQ(ligne_cube({0.0, 21.999, 22.0, 43.999}), "0 21 22 43\r\n");


  // Whole replies: appended, header first, items in the order given.
  std::string reponse = "avant\r\n";
  const std::vector<vaisseau> navires{{1.0, 2.0, 0.0, 0.0, 5, 7, 1}, {3.0, 4.0, 1.5, 0.0, 2, 8, 2}};
  ajoute_liste(reponse, std::span<const vaisseau>(navires));
  const std::vector<balle> balles{{3.0, 4.0, 0.0, 7}};
  ajoute_liste(reponse, std::span<const balle>(balles));
  const std::vector<cube> cubes;
  ajoute_liste(reponse, std::span<const cube>(cubes));
  EXPECT_EQ(reponse,
            "avant\r\nPUT VAISSEAUX 2\r\n1 2 0. 5 7\r\n3 4 1.5 2 8\r\nPUT BALLES 1\r\n3 4 7\r\n"
            "PUT CUBES 0\r\n");
}

TEST(Protocole, ConstantRepliesAndListHeaders) {
  EXPECT_EQ(reponse_constante(requete::max_pt_vie), "PUT MAX PT VIE 5\r\n");
  EXPECT_EQ(reponse_constante(requete::rayon_balle), "PUT RAYON BALLE 4\r\n");
  EXPECT_EQ(reponse_constante(requete::rayon_vaisseau), "PUT RAYON VAISSEAU 9\r\n");
  EXPECT_EQ(reponse_constante(requete::taille_plateau), "PUT TAILLE PLATEAU 990 990\r\n");
  EXPECT_EQ(reponse_constante(requete::statut), "");
  std::string entete;
  ajoute_liste(entete, std::span<const cube>(std::vector<cube>(200, cube{0, 0, 22, 22})));
  EXPECT_EQ(entete.substr(0, entete.find('\n') + 1), "PUT CUBES 200\r\n");
}

}  // namespace
}  // namespace jeu
