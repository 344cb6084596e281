// jeu-charge against the real server, over real sockets: what only a run
// shows (connects, registration, pipelined list replies, the report).
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <sstream>
#include <string>

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
