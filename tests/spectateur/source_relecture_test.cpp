// A recording replayed: the commands, what each frame shows after them, and
// the end of the recording.
#include "spectateur/source_relecture.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "enregistrement/ecrivain.h"

namespace jeu::spectateur {
namespace {

class SourceRelecture : public ::testing::Test {
 protected:
  void SetUp() override {
    fichier_ = ::testing::TempDir() + "source-relecture-" + std::to_string(getpid()) + ".jfx";
    std::remove(fichier_.c_str());
    enregistrement::ecrivain e(fichier_);
    // Ticks 11 to 400 (the first ten were not recorded): one ship at x = tick.
    for (int t = 11; t <= 400; ++t) {
      const std::string n = std::to_string(t);
      e.ajoute(static_cast<std::uint64_t>(t), "TICK " + n + " 0\r\nPUT VAISSEAUX 1\r\n" + n +
                                                  " 7 0. 5 255\r\nPUT BALLES 0\r\nFIN TICK " + n +
                                                  "\r\n");
    }
    e.termine();
  }
  void TearDown() override { std::remove(fichier_.c_str()); }
  std::string fichier_;
};

TEST_F(SourceRelecture, CommandsAndWhatTheFramesShow) {
  source_relecture s(fichier_);
  EXPECT_TRUE(s.ouvre().cubes.empty());
  image i = s.trame();
  ASSERT_TRUE(i.relecture);
  EXPECT_EQ(i.relecture->premier, 11u);
  EXPECT_EQ(i.relecture->dernier, 400u);
  EXPECT_GE(i.tick, 11u);

  const struct {
    const char* nom;
    const char* valeur;
    std::string refus;       // "" when accepted
    std::uint64_t tick = 0;  // then the frame's tick (0: not checked)
  } etapes[] = {
      {"pause", "1", ""},
      {"tick", "250", "", 250},
      {"tick", "250", "", 250},
      {"tick", "5", "", 11},      // before the first: the first
      {"tick", "9999", "", 400},  // after the last: the last
      {"tick", "-1", "tick takes a tick number"},
      {"tick", "", "tick takes a tick number"},
      {"vitesse", "0.25", ""},
      {"vitesse", "16", ""},
      {"vitesse", "32", "vitesse takes 0.25 to 16"},
      {"vitesse", "0.1", "vitesse takes 0.25 to 16"},
      {"vitesse", "x", "vitesse takes 0.25 to 16"},
      {"pause", "2", "pause takes 0 or 1"},
      {"avance", "1", "unknown command avance"},
      {"tick", "123", "", 123},
  };
  for (const auto& e : etapes) {
    SCOPED_TRACE(std::string(e.nom) + "=" + e.valeur);
    EXPECT_EQ(s.commande(e.nom, e.valeur), e.refus);
    if (e.tick == 0) continue;
    i = s.trame();
    EXPECT_EQ(i.tick, e.tick);
    ASSERT_EQ(i.vaisseaux.size(), 1u);
    EXPECT_EQ(i.vaisseaux[0].x, static_cast<double>(e.tick));
    EXPECT_TRUE(i.relecture->pause);
  }
  EXPECT_EQ(i.relecture->vitesse, 16) << "the last speed accepted";

  // Played at 16x from the second to last tick: a frame later (25 ms: 16
  // ticks), the end, paused on the last frame.
  EXPECT_EQ(s.commande("tick", "399"), "");
  EXPECT_EQ(s.commande("pause", "0"), "");
  i = s.trame();
  EXPECT_EQ(i.tick, 400u);
  EXPECT_TRUE(i.relecture->pause);
  // Play again after the end: from the start.
  EXPECT_EQ(s.commande("pause", "0"), "");
  i = s.trame();
  EXPECT_LT(i.tick, 100u);
  EXPECT_FALSE(i.relecture->pause);
}

TEST(SourceRelectureFichier, RefusesWhatIsNotARecording) {
  EXPECT_THROW(source_relecture("/nonexistent/x.jfx"), std::runtime_error);
}

}  // namespace
}  // namespace jeu::spectateur
