// The log of refused registrations, as the real server writes it: a
// client's bytes escaped, and each connection's refusals within a budget.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commun/client_tcp.h"
#include "commun/processus.h"
#include "commun/protocole_client.h"

namespace jeu::test {

using namespace commun;
using namespace std::chrono_literals;
using namespace std::string_literals;
namespace {

const std::string programme = SERVEUR_JEU_BINAIRE;
const std::string plus_journalises =
    "erreur client: trop de refus, les suivants de cette connexion ne sont pas journalises\n";

class Journal : public ::testing::Test {
 protected:
  void SetUp() override {
    port_ = port_libre();
    serveur_.emplace(programme, std::vector<std::string>{std::to_string(port_)});
    ASSERT_TRUE(attend_ecoute_de(serveur_->pid(), port_, 10s));
  }
  // Everything written on standard output once `dernier` is there.
  std::string journal(const std::string& dernier) {
    EXPECT_TRUE(serveur_->attend_sortie(dernier, 5s)) << serveur_->sortie();
    serveur_->collecte(100ms);
    return serveur_->sortie();
  }

  int port_ = 0;
  std::optional<processus> serveur_;
};

// A line that would clear and recolour the host's terminal and forge a log
// line, and bytes that are not UTF-8, are logged escaped on one line.
TEST_F(Journal, ControlBytesAndInvalidUtf8AreLoggedEscaped) {
  client_tcp c(port_);
  const std::vector<std::pair<std::string, std::string>> lignes{
      {"\x1b[2J\x1b[31m...\rerreur client: forged\r",
       "erreur client: \\x1b[2J\\x1b[31m...\\x0derreur client: forged\r\n"},
      {"PUT COULEUR VAISSEAU \xff\xfe\xc3(\r", "erreur client: PUT COULEUR VAISSEAU \\xff\\xfe\\xc3(\r\n"},
      {"GET \xc3\xa9t\xc3\xa9\x7f\r", "erreur client: GET \xc3\xa9t\xc3\xa9\\x7f\r\n"},
      {"\0\t\x08\r"s, "erreur client: \\x00\\x09\\x08\r\n"},
  };
  std::string attendu;
  for (const auto& [ligne, journalisee] : lignes) {
    ASSERT_TRUE(c.envoie(ligne + "\n"));
    EXPECT_EQ(c.ligne(), "ERREUR SYNTAXE\r\n") << ::testing::PrintToString(ligne);
    attendu += journalisee;
  }
  EXPECT_EQ(journal(lignes.back().second), attendu);
}

// One connection sending refused lines in a loop: every one answered, 20
// logged, one line saying the rest are not, and their count at its end.
// Another connection has a budget of its own.
TEST_F(Journal, EachConnectionHasALogBudget) {
  constexpr int envois = 1000;
  client_tcp bavard(port_);
  std::string rafale;
  for (int k = 0; k < envois; ++k) rafale += "GET CUBES\r\n";
  ASSERT_TRUE(bavard.envoie(rafale));
  for (int k = 0; k < envois; ++k) ASSERT_EQ(bavard.ligne(), "ERREUR SYNTAXE\r\n") << k;

  std::string attendu;
  for (int k = 0; k < 20; ++k) attendu += "erreur client: GET CUBES\r\n";
  attendu += plus_journalises;
  EXPECT_EQ(journal(plus_journalises), attendu);

  client_tcp autre(port_);
  EXPECT_EQ(autre.demande("GET STATUT"), "ERREUR SYNTAXE\r\n");
  attendu += "erreur client: GET STATUT\r\n";
  EXPECT_EQ(journal("GET STATUT"), attendu);

  bavard.ferme();
  attendu += "erreur client: 980 refus de cette connexion non journalises\n";
  EXPECT_EQ(journal("980 refus"), attendu);
  EXPECT_EQ(serveur_->attend_fin(0ms), std::nullopt);
}

}  // namespace
}  // namespace jeu::test
