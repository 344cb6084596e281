// The server process's figures, read from /proc.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

#include "charge/processus_serveur.h"

namespace jeu::charge {
namespace {

struct cas_stat {
  const char* nom;
  std::string texte;
  std::optional<std::uint64_t> ticks;
};

void PrintTo(const cas_stat& c, std::ostream* os) { *os << c.nom; }

// Fields 14 and 15 are 300 and 45 in each well-formed line.
const std::string suite = " S 1 2 3 4 5 6 7 8 9 10 300 45 11 12 20 0 4 0 99 1000 200\n";

class TicksCpu : public testing::TestWithParam<cas_stat> {};

TEST_P(TicksCpu, UserPlusSystemTime) {
  EXPECT_EQ(ticks_cpu(GetParam().texte), GetParam().ticks);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TicksCpu,
    testing::Values(cas_stat{"plain", "4242 (serveur_jeu)" + suite, 345},
                    cas_stat{"name_with_spaces_and_parens", "17 (a) b (c)" + suite, 345},
                    cas_stat{"no_name", "17 serveur_jeu" + suite, std::nullopt},
                    cas_stat{"cut_before_stime", "17 (x) S 1 2 3 4 5 6 7 8 9 10 300",
                             std::nullopt},
                    cas_stat{"not_a_number", "17 (x) S 1 2 3 4 5 6 7 8 9 10 3x0 45 1",
                             std::nullopt}),
    [](const auto& info) { return std::string(info.param.nom); });

TEST(ProcessusServeur, ThisProcessIsReadable) {
  const auto cpu = temps_cpu(getpid());
  ASSERT_TRUE(cpu);
  EXPECT_GE(*cpu, 0.0);
  const auto rss = memoire_residente(getpid());
  ASSERT_TRUE(rss);
  EXPECT_GT(*rss, 0);
  EXPECT_GE(temps_cpu_propre(), 0.0);
}

TEST(ProcessusServeur, FoundFromItsListeningPort) {
  const int ecoute = socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_GE(ecoute, 0);
  sockaddr_in adresse{};
  adresse.sin_family = AF_INET;
  adresse.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(bind(ecoute, reinterpret_cast<const sockaddr*>(&adresse), sizeof adresse), 0);
  ASSERT_EQ(listen(ecoute, 1), 0);
  socklen_t taille = sizeof adresse;
  getsockname(ecoute, reinterpret_cast<sockaddr*>(&adresse), &taille);
  const int port = ntohs(adresse.sin_port);
  EXPECT_EQ(processus_a_l_ecoute(port), getpid());
  close(ecoute);
  EXPECT_EQ(processus_a_l_ecoute(port), std::nullopt);
}

}  // namespace
}  // namespace jeu::charge
