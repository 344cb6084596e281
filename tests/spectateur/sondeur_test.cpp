// The reading thread against a source that fails: what the viewers and the
// program's log are told, and that reading resumes.
#include "spectateur/sondeur.h"

#include <gtest/gtest.h>

#include <mutex>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <vector>

#include "commun/attente.h"

namespace jeu::spectateur {
namespace {

using namespace std::chrono_literals;

// Refuses the first two connections, breaks after the third frame.
class source_essai : public source {
 public:
  plateau ouvre() override {
    std::lock_guard garde(verrou);
    if (++ouvertures <= 2) throw std::runtime_error("refused");
    plateau p;
    p.taille = {990, 990};
    p.cubes.resize(ouvertures);
    return p;
  }
  image trame() override {
    std::lock_guard garde(verrou);
    if (++trames == 3) throw std::runtime_error("closed");
    image i;
    i.vaisseaux.resize(1);
    return i;
  }
  std::string nom() const override { return "essai:1"; }

  std::mutex verrou;
  int ouvertures = 0;
  int trames = 0;
};

TEST(Sondeur, ReportsEachFailureOnceAndReconnects) {
  source_essai s;
  diffusion d;
  std::mutex verrou;
  std::vector<std::pair<bool, std::string>> journal;
  {
    sondeur lecteur(s, d, cadence{1ms, 5ms}, [&](bool connecte, const std::string& texte) {
      std::lock_guard garde(verrou);
      journal.emplace_back(connecte, texte);
    });
    ASSERT_TRUE(commun::attend_jusqua(
        [&] {
          std::lock_guard garde(s.verrou);
          return s.trames >= 6;
        },
        10s));
  }
  const std::vector<std::pair<bool, std::string>> attendu{
      {false, "connecting to the game server essai:1"},
      {false, "the game server essai:1: refused; trying again every 5 ms"},
      {true, "watching the game server essai:1"},
      {false, "the game server essai:1: closed; trying again every 5 ms"},
      {true, "watching the game server essai:1"},
  };
  EXPECT_EQ(journal, attendu);

  // A viewer arriving now: the second arena, the last status, a frame whose
  // number went on counting across the reconnection.
  diffusion::curseur c;
  const std::string texte = d.attend(c, 0ms).value();
  const auto donnees = [&](const std::string& nom) {
    const std::string debut = "event: " + nom + "\ndata: ";
    const std::size_t i = texte.find(debut);
    EXPECT_NE(i, std::string::npos) << texte;
    const std::size_t j = i + debut.size();
    return nlohmann::json::parse(texte.substr(j, texte.find('\n', j) - j));
  };
  EXPECT_EQ(donnees("plateau")["cubes"].size(), 4u);
  EXPECT_EQ(donnees("statut")["connecte"], true);
  EXPECT_GE(donnees("image")["n"], 4);
}

// A game whose every frame brings a score table, and one frame a kill; or a
// server that keeps no scores.
class source_scores : public source {
 public:
  explicit source_scores(bool servis) : servis_(servis) {}
  plateau ouvre() override { return {}; }
  image trame() override {
    std::lock_guard garde(verrou);
    image i;
    i.scores_servis = servis_;
    if (!servis_) return i;
    jeu_client::score s;
    s.couleur = 255;
    s.victoires = trames >= 2 ? 1 : 0;
    i.scores = std::vector{s};
    if (++trames == 2) {
      jeu_client::evenement e;
      e.quoi = jeu_client::evenement::sorte::detruit;
      e.tick = 40;
      e.tireur = 255;
      e.couleur = 16711680;
      i.evenements = {e};
    }
    return i;
  }
  std::string nom() const override { return "essai:2"; }

  std::mutex verrou;
  int trames = 0;

 private:
  bool servis_;
};

TEST(Sondeur, PublishesScoresAndTheKillFeed) {
  for (const bool servis : {true, false}) {
    source_scores s(servis);
    diffusion d;
    diffusion::curseur c;
    std::string recu;
    {
      sondeur lecteur(s, d, cadence{1ms, 5ms});
      ASSERT_TRUE(commun::attend_jusqua(
          [&] {
            recu += d.attend(c, 0ms).value();
            return recu.find("event: scores") != std::string::npos &&
                   (!servis || recu.find("event: fil") != std::string::npos);
          },
          10s));
    }
    if (servis) {
      EXPECT_NE(recu.find("event: fil\n" R"(data: {"manques":0,"victimes":[[40,"#0000ff","255","#ff0000","16711680"]]})"),
                std::string::npos)
          << recu;
      EXPECT_NE(recu.find(R"("lignes":[["#0000ff","255",1,)"), std::string::npos) << recu;
    } else {
      EXPECT_NE(recu.find("event: scores\n" R"(data: {"lignes":[],"servis":false,"total":0})"),
                std::string::npos)
          << recu;
      EXPECT_EQ(recu.find("event: fil"), std::string::npos) << recu;
    }
  }
}

}  // namespace
}  // namespace jeu::spectateur
