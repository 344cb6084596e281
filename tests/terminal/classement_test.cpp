#include "terminal/classement.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace jeu::terminal {
namespace {

jeu_client::score score_de(jeu_client::couleur_t c, std::int64_t victoires, std::int64_t morts,
                           std::int64_t touches, std::int64_t tirs) {
  jeu_client::score s;
  s.couleur = c;
  s.victoires = victoires;
  s.morts = morts;
  s.touches_donnees = touches;
  s.tirs = tirs;
  return s;
}

TEST(Classement, PanelLines) {
  const std::string entete = " # colour   kills deaths  acc";
  const std::vector<jeu_client::score> deux{score_de(0xff1400, 3, 1, 9, 20),
                                            score_de(-1, 12345, 0, 0, 0)};
  const std::vector<jeu_client::score> cinq(5, score_de(0xc0, 1, 2, 1, 3));
  const struct {
    std::optional<std::vector<jeu_client::score>> scores;
    bool servis;
    std::size_t lignes_max;
    std::vector<std::string> attendu;
  } cas[] = {
      {std::nullopt, true, 12, {entete, " reading the scores..."}},
      {std::nullopt, false, 12, {entete, " this server keeps no scores"}},
      {std::vector<jeu_client::score>{}, true, 12, {entete, " no player yet"}},
      // Accuracy rounded; "-" before a shot; the low 24 bits as the colour.
      {deux, true, 12,
       {entete, " 1 #ff1400      3      1  45%", " 2 #ffffff  12345      0    -"}},
      {cinq, true, 6,
       {entete, " 1 #0000c0      1      2  33%", " 2 #0000c0      1      2  33%",
        " 3 #0000c0      1      2  33%", " 4 #0000c0      1      2  33%",
        " 5 #0000c0      1      2  33%"}},
      {cinq, true, 5,
       {entete, " 1 #0000c0      1      2  33%", " 2 #0000c0      1      2  33%",
        " 3 #0000c0      1      2  33%", " and 2 more"}},
      {cinq, true, 1, {entete}},
  };
  for (const auto& c : cas) {
    const panneau p = panneau_classement(c.scores, c.servis, c.lignes_max);
    EXPECT_EQ(p.lignes, c.attendu);
    ASSERT_EQ(p.couleurs.size(), p.lignes.size());
    for (std::size_t i = 0; i < p.lignes.size(); ++i) {
      // A colour exactly where a rank's colour field is.
      EXPECT_EQ(p.couleurs[i].has_value(), p.lignes[i].size() > colonne_couleur &&
                                               p.lignes[i][colonne_couleur] == '#')
          << p.lignes[i];
    }
  }
  EXPECT_EQ(panneau_classement(deux, true, 12).couleurs[1], 0xff1400);
}

}  // namespace
}  // namespace jeu::terminal
