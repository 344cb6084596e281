// jeu-charge against the real server, over real sockets: what only a run
// shows (connects, registration, pipelined list replies, the report).
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "commun/processus.h"

namespace jeu::test {

using namespace commun;
using namespace std::chrono_literals;
namespace {

const std::string serveur_jeu = SERVEUR_JEU_BINAIRE;
const std::string jeu_charge = JEU_CHARGE_BINAIRE;

// "name  value" lines: the name ends at the first two spaces after it starts.
std::map<std::string, std::string> lit_rapport(const std::string& texte) {
  std::map<std::string, std::string> r;
  std::istringstream flux(texte);
  std::string ligne;
  while (std::getline(flux, ligne)) {
    const std::size_t debut = ligne.find_first_not_of(' ');
    if (debut == std::string::npos) continue;
    const std::size_t sep = ligne.find("  ", debut);
    if (sep == std::string::npos) continue;
    r[ligne.substr(debut, sep - debut)] = ligne.substr(ligne.find_first_not_of(' ', sep));
  }
  return r;
}

std::uint64_t nombre(const std::map<std::string, std::string>& r, const std::string& cle) {
  const auto it = r.find(cle);
  if (it == r.end()) {
    ADD_FAILURE() << "no \"" << cle << "\" in the report";
    return 0;
  }
  return std::stoull(it->second);
}

TEST(JeuCharge, PipelinedMixAgainstTheServer) {
  const int port = port_libre();
  processus serveur(serveur_jeu, {std::to_string(port)});
  ASSERT_TRUE(attend_ecoute(port, 10s));

  processus charge(jeu_charge, {"-p", std::to_string(port), "-c", "5", "-d", "1", "-k", "4",
                                "-r", "GET VAISSEAUX", "-r", "PUT ACTION TIRE", "-r",
                                "GET BALLES", "-r", "GET STATUT", "-r", "GET CUBES"});
  ASSERT_EQ(charge.attend_fin(60s), 0) << charge.erreur();
  const auto r = lit_rapport(charge.sortie());
  EXPECT_GT(nombre(r, "requests"), 0u) << charge.sortie();
  EXPECT_EQ(nombre(r, "requests"), nombre(r, "requests sent"));
  EXPECT_EQ(nombre(r, "errors"), 0u) << charge.sortie();
  EXPECT_EQ(nombre(r, "failed connections"), 0u) << charge.sortie();
  EXPECT_EQ(nombre(r, "connect samples"), 5u);
  EXPECT_EQ(nombre(r, "registration samples"), 5u);
  EXPECT_EQ(nombre(r, "latency samples"), nombre(r, "requests"));
  EXPECT_NE(charge.erreur().find("5/5 connections up"), std::string::npos) << charge.erreur();
  EXPECT_EQ(serveur.attend_fin(0ms), std::nullopt) << "the server must still run";
}

double decimal(const std::map<std::string, std::string>& r, const std::string& cle) {
  const auto it = r.find(cle);
  if (it == r.end() || it->second == "-") {
    ADD_FAILURE() << "no figure for \"" << cle << "\" in the report";
    return 0;
  }
  return std::stod(it->second);
}

const std::vector<std::string> trame = {"--trame", "GET VAISSEAUX", "--trame", "GET BALLES",
                                        "--trame", "PUT ACTION GAUCHE"};

std::vector<std::string> avec_trame(std::vector<std::string> args) {
  args.insert(args.end(), trame.begin(), trame.end());
  return args;
}

// Four players, two of them shooting in every second frame, for 2 s: every
// frame answered whole, and the server's figures read during the run.
TEST(JeuCharge, FramesAgainstTheServer) {
  const int port = port_libre();
  processus serveur(serveur_jeu, {std::to_string(port)});
  ASSERT_TRUE(attend_ecoute(port, 10s));

  processus charge(jeu_charge, avec_trame({"-p", std::to_string(port), "-c", "4", "-d", "2",
                                           "--tireurs", "50", "--tir-chaque", "2", "-q"}));
  ASSERT_EQ(charge.attend_fin(60s), 0) << charge.erreur();
  const auto r = lit_rapport(charge.sortie());
  EXPECT_EQ(nombre(r, "errors"), 0u) << charge.sortie();
  EXPECT_EQ(nombre(r, "requests"), nombre(r, "requests sent"));
  // 4 players, a frame each every 25 ms, whatever the server's speed.
  EXPECT_NEAR(decimal(r, "frames/s asked"), 160, 10) << charge.sortie();
  const double trames = static_cast<double>(nombre(r, "frame samples"));
  EXPECT_GT(trames, 0);
  // Three requests a frame, and a shot in half the frames of two players.
  const double requetes = static_cast<double>(nombre(r, "requests sent"));
  EXPECT_GT(requetes, 3 * trames);
  EXPECT_LE(requetes, 3.3 * trames);
  EXPECT_EQ(r.count("latency samples"), 0u) << "frames are timed instead";
  EXPECT_GT(decimal(r, "ticks/s median"), 0);
  EXPECT_GE(decimal(r, "server CPU (%)"), 0);
  EXPECT_GT(decimal(r, "server VmRSS (KiB)"), 0);
  EXPECT_GE(decimal(r, "bullets median"), 0);
}

// The smallest search: 2 then 4 players, each step a fraction of a second.
TEST(JeuCharge, CapacitySearchPrintsARowPerStep) {
  const int port = port_libre();
  processus serveur(serveur_jeu, {std::to_string(port)});
  ASSERT_TRUE(attend_ecoute(port, 10s));

  processus charge(jeu_charge,
                   avec_trame({"-p", std::to_string(port), "--capacite", "2:2:4",
                               "--stabilisation", "0.2", "--palier", "0.6", "-q"}));
  ASSERT_EQ(charge.attend_fin(60s), 0) << charge.erreur();
  const std::string& sortie = charge.sortie();
  std::vector<std::string> rangees;
  std::istringstream flux(sortie);
  for (std::string ligne; std::getline(flux, ligne);) {
    std::istringstream champs(ligne);
    int joueurs = 0;
    if (champs >> joueurs) rangees.push_back(ligne);
  }
  ASSERT_FALSE(rangees.empty()) << sortie;
  EXPECT_EQ(rangees[0].rfind("      2 ", 0), 0u) << sortie;
  EXPECT_NE(sortie.find("idle: 2 players registered"), std::string::npos) << sortie;
  EXPECT_NE(sortie.find("capacity: "), std::string::npos) << sortie;
  EXPECT_NE(sortie.find("errors over the whole run: 0"), std::string::npos) << sortie;
  // On a busy machine either step may be past the limits; a step past them
  // still prints its row, and the search goes no further.
  if (sortie.find("stopped at 2 players") != std::string::npos) {
    EXPECT_EQ(rangees.size(), 1u) << sortie;
  } else {
    ASSERT_EQ(rangees.size(), 2u) << sortie;
    EXPECT_EQ(rangees[1].rfind("      4 ", 0), 0u) << sortie;
    EXPECT_TRUE(sortie.find("stopped: last step") != std::string::npos ||
                sortie.find("stopped at 4 players") != std::string::npos)
        << sortie;
  }
}

// Nothing listens on the port: every connect fails, and the run still ends.
TEST(JeuCharge, RefusedConnectsAreCountedAsFailures) {
  const int port = port_libre();
  processus charge(jeu_charge, {"-p", std::to_string(port), "-c", "3", "-d", "0.2", "-q"});
  ASSERT_EQ(charge.attend_fin(30s), 0) << charge.erreur();
  const auto r = lit_rapport(charge.sortie());
  EXPECT_EQ(nombre(r, "failed connections"), 3u) << charge.sortie();
  EXPECT_EQ(nombre(r, "connect failed"), 3u);
  EXPECT_EQ(nombre(r, "errors"), 3u);
  EXPECT_EQ(nombre(r, "requests"), 0u);
}

}  // namespace
}  // namespace jeu::test
