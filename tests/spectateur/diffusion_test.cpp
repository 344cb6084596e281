// The events every viewer is handed: only the newest of each kind, in the
// order plateau, statut, image, scores, fil, each viewer at its own pace. (Waking a
// waiting viewer and closing are seen through the HTTP test's streams.)
#include "spectateur/diffusion.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace jeu::spectateur {
namespace {

using namespace std::chrono_literals;

TEST(Diffusion, EachViewerGetsTheNewestOfEachKindInOrder) {
  diffusion d;
  diffusion::curseur a, b;
  const auto publie = [&](char genre, const char* donnees) {
    if (genre == 'p') d.publie_plateau(donnees);
    if (genre == 's') d.publie_statut(donnees);
    if (genre == 'i') d.publie_image(donnees);
    if (genre == 'c') d.publie_scores(donnees);
    if (genre == 'f') d.publie_fil(donnees);
  };
  // Publications, then what viewer a (and, where given, b) is handed.
  const struct {
    std::vector<std::pair<char, const char*>> publications;
    std::string pour_a;
    std::optional<std::string> pour_b;
  } etapes[] = {
      {{}, "", ""},
      {{{'i', "1"}, {'s', "s1"}, {'i', "2"}, {'p', "p1"}},
       "event: plateau\ndata: p1\n\nevent: statut\ndata: s1\n\nevent: image\ndata: 2\n\n",
       std::nullopt},
      {{}, "", std::nullopt},
      {{{'i', "3"}}, "event: image\ndata: 3\n\n", std::nullopt},
      // b comes late: the newest of each kind, nothing older.
      {{{'s', "s2"}, {'i', "4"}},
       "event: statut\ndata: s2\n\nevent: image\ndata: 4\n\n",
       "event: plateau\ndata: p1\n\nevent: statut\ndata: s2\n\nevent: image\ndata: 4\n\n"},
      {{{'p', "p2"}}, "event: plateau\ndata: p2\n\n", "event: plateau\ndata: p2\n\n"},
      {{{'f', "f1"}, {'c', "c1"}, {'i', "5"}, {'f', "f2"}},
       "event: image\ndata: 5\n\nevent: scores\ndata: c1\n\nevent: fil\ndata: f2\n\n",
       "event: image\ndata: 5\n\nevent: scores\ndata: c1\n\nevent: fil\ndata: f2\n\n"},
  };
  int n = 0;
  for (const auto& e : etapes) {
    for (const auto& [genre, donnees] : e.publications) publie(genre, donnees);
    EXPECT_EQ(d.attend(a, 0ms), e.pour_a) << "step " << n;
    if (e.pour_b) {
      EXPECT_EQ(d.attend(b, 0ms), *e.pour_b) << "step " << n;
    }
    ++n;
  }
}

}  // namespace
}  // namespace jeu::spectateur
