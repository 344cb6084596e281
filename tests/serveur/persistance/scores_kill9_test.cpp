// The scores' database against the worst stop: the server killed with
// SIGKILL at a random moment of a robots' game, then started again on the
// same file. Every figure a spectator saw more than one second before the
// kill must be there, none lower. Short here; as long as asked with
// JEU_SCORES_REDEMARRAGES (rounds) and JEU_SCORES_ROBOTS, for instance 20
// and 200.
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <thread>
#include <string>
#include <vector>

#include "commun/client_tcp.h"
#include "commun/processus.h"
#include "commun/protocole_client.h"
#include "support/reglage.h"

namespace jeu::test {
namespace {

using namespace commun;
using namespace std::chrono_literals;
using horloge = std::chrono::steady_clock;
using figures = std::array<std::int64_t, 9>;  // the ten numbers after the colour, but `alive`
using tableau = std::map<std::int64_t, figures>;

std::optional<tableau> lit_scores(client_tcp& c) {
  const auto lignes = demande_liste(c, "GET SCORES");
  if (!lignes) return std::nullopt;
  tableau t;
  for (const std::string& l : *lignes) {
    std::istringstream in(l);
    std::int64_t couleur = 0;
    figures f{};
    in >> couleur;
    for (std::int64_t& n : f) in >> n;
    if (!in) return std::nullopt;
    t[couleur] = f;
  }
  return t;
}

// A server on the database `base`, and once it listens, a spectator of it
// that has read the scores it started with.
struct serveur_sur_base {
  explicit serveur_sur_base(const std::string& base)
      : port(port_libre()), p(SERVEUR_JEU_BINAIRE, {std::to_string(port), "--scores", base}) {}
  void attend_scores() {
    ASSERT_TRUE(attend_ecoute(port, 10s)) << p.erreur();
    spectateur = std::make_unique<client_tcp>(port);
    ASSERT_EQ(spectateur->demande("PUT SPECTATEUR"), "SPECTATEUR ENREGISTRE\r\n");
    au_depart = lit_scores(*spectateur);
    ASSERT_TRUE(au_depart);
  }
  int port;
  processus p;
  std::unique_ptr<client_tcp> spectateur;
  std::optional<tableau> au_depart;
};

TEST(ScoresKill9, FiguresSeenASecondBeforeTheKillSurviveIt) {
  const long tours = reglage("JEU_SCORES_REDEMARRAGES", 3);
  const long robots = reglage("JEU_SCORES_ROBOTS", 60);
  std::mt19937 alea(static_cast<unsigned>(reglage("JEU_GRAINE", static_cast<long>(getpid()))));
  const std::filesystem::path dossier =
      std::filesystem::temp_directory_path() / ("scores_kill9_" + std::to_string(getpid()));
  std::filesystem::create_directories(dossier);
  const std::string base = (dossier / "scores.db").string();

  std::int64_t destructions_verifiees = 0;
  std::int64_t figures_verifiees = 0;
  for (long tour = 0; tour < tours; ++tour) {
    serveur_sur_base s(base);
    ASSERT_NO_FATAL_FAILURE(s.attend_scores());
    processus bots(JEU_BOTS_BINAIRE, {"127.0.0.1", std::to_string(s.port), "-n",
                                      std::to_string(robots), "-q"});
    const auto debut = horloge::now();
    const auto duree = std::chrono::milliseconds(std::uniform_int_distribution<int>(1500, 3500)(alea));
    std::vector<std::pair<horloge::time_point, tableau>> vus;
    while (horloge::now() - debut < duree) {
      const std::optional<tableau> t = lit_scores(*s.spectateur);
      ASSERT_TRUE(t);
      vus.emplace_back(horloge::now(), *t);
      std::this_thread::sleep_for(50ms);
    }
    const auto tue_a = horloge::now();
    s.p.tue();
    bots.tue();
    // The last view the database must hold: seen a second before the kill.
    const tableau* reference = &*s.au_depart;
    for (const auto& [quand, t] : vus) {
      if (quand <= tue_a - 1s) reference = &t;
    }

    // What it kept is all there before anyone plays.
    serveur_sur_base apres(base);
    ASSERT_NO_FATAL_FAILURE(apres.attend_scores());
    const tableau& relu = *apres.au_depart;
    destructions_verifiees = 0;
    for (const auto& [couleur, f] : *reference) {
      const auto it = relu.find(couleur);
      ASSERT_NE(it, relu.end()) << "colour " << couleur << " lost, round " << tour;
      for (std::size_t k = 0; k < f.size(); ++k) {
        EXPECT_GE(it->second[k], f[k]) << "colour " << couleur << ", field " << k + 1
                                       << ", round " << tour;
        ++figures_verifiees;
      }
      destructions_verifiees += f[0];
    }
  }
  std::filesystem::remove_all(dossier);
  RecordProperty("figures_verifiees", static_cast<int>(figures_verifiees));
  RecordProperty("destructions_verifiees", static_cast<int>(destructions_verifiees));
  std::printf("%ld rounds, %ld robots: %lld figures checked; the last view checked held %lld kills\n", tours,
              robots, static_cast<long long>(figures_verifiees),
              static_cast<long long>(destructions_verifiees));
  EXPECT_GT(figures_verifiees, 0) << "the robots played for less than a second each round";
}

}  // namespace
}  // namespace jeu::test
