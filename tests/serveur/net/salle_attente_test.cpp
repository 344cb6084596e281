#include "net/salle_attente.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace jeu {
namespace {

using namespace std::chrono_literals;
using horloge = salle_attente::horloge;

// Connected socket pairs: the room holds [0], the test reads [1] as the peer.
class Salle : public ::testing::Test {
 protected:
  ~Salle() override {
    for (const auto& p : paires_) {
      close(p[0]);
      close(p[1]);
    }
  }
  int socket() {
    int fds[2];
    EXPECT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    paires_.push_back({fds[0], fds[1]});
    return fds[0];
  }
  // Whether the room shut connection `k` down: its peer sees the end.
  bool fermee(std::size_t k) {
    pollfd p{paires_[k][1], POLLIN, 0};
    char c;
    return poll(&p, 1, 0) == 1 && recv(paires_[k][1], &c, 1, MSG_DONTWAIT) == 0;
  }

  const horloge::time_point t0 = horloge::now();
  const adresse_ip ici = *lit_adresse_ip("127.0.0.1");
  std::vector<std::array<int, 2>> paires_;
};

TEST_F(Salle, DeadlinesCloseInArrivalOrder) {
  salle_attente salle(1000ms);
  EXPECT_EQ(salle.attente_ms(t0), -1) << "nobody waits";
  *salle.entre(socket(), ici, t0);
  *salle.entre(socket(), ici, t0 + 400ms);
  EXPECT_EQ(salle.en_attente(), 2);
  EXPECT_EQ(salle.attente_ms(t0), 1000);
  EXPECT_EQ(salle.ferme_expirees(t0 + 999ms), 0);
  EXPECT_EQ(salle.attente_ms(t0 + 999ms), 1);
  EXPECT_EQ(salle.ferme_expirees(t0 + 1000ms), 1);
  EXPECT_TRUE(fermee(0));
  EXPECT_FALSE(fermee(1));
  EXPECT_EQ(salle.en_attente(), 1);
  EXPECT_EQ(salle.attente_ms(t0 + 1000ms), 400);
  EXPECT_EQ(salle.ferme_expirees(t0 + 5000ms), 1);
  EXPECT_TRUE(fermee(1));
  EXPECT_EQ(salle.en_attente(), 0);
  EXPECT_EQ(salle.ferme_expirees(t0 + 9000ms), 0) << "closed once";
  EXPECT_EQ(salle.attente_ms(t0 + 9000ms), -1);
}

TEST_F(Salle, ASessionHandlingALineIsNotClosedUntilItIsDone) {
  salle_attente salle(1000ms);
  salle_attente::ticket t(&salle, *salle.entre(socket(), ici, t0));
  ASSERT_TRUE(t.commence());
  EXPECT_EQ(salle.ferme_expirees(t0 + 2000ms), 0);
  EXPECT_EQ(salle.attente_ms(t0 + 2000ms), 10) << "looks again shortly";
  EXPECT_FALSE(fermee(0));
  t.reprend();  // refused: waiting again, and late
  EXPECT_EQ(salle.attente_ms(t0 + 2000ms), 0);
  EXPECT_EQ(salle.ferme_expirees(t0 + 2000ms), 1);
  EXPECT_TRUE(fermee(0));
  EXPECT_FALSE(t.commence()) << "closed: the session ends";
}

TEST_F(Salle, LeavingTheRoom) {
  salle_attente salle(1000ms);
  {
    salle_attente::ticket inscrite(&salle, *salle.entre(socket(), ici, t0));
    salle_attente::ticket partie(&salle, *salle.entre(socket(), ici, t0));
    ASSERT_TRUE(inscrite.commence());
    inscrite.sort();
    inscrite.sort();
    EXPECT_EQ(salle.en_attente(), 1);
  }  // the other session ends
  EXPECT_EQ(salle.en_attente(), 0);
  EXPECT_EQ(salle.ferme_expirees(t0 + 5000ms), 0);
  EXPECT_FALSE(fermee(0));
  EXPECT_FALSE(fermee(1));
  // A connection whose session never started.
  salle.retire(*salle.entre(socket(), ici, t0));
  EXPECT_EQ(salle.en_attente(), 0);
  EXPECT_EQ(salle.attente_ms(t0), -1);
}

TEST_F(Salle, AtMostSoManyWaitingPerAddress) {
  salle_attente salle(1000ms, 2);
  const adresse_ip ailleurs = *lit_adresse_ip("127.0.0.2");
  const adresse_ip v6 = *lit_adresse_ip("::1");
  auto a = salle.entre(socket(), ici, t0);
  auto b = salle.entre(socket(), ici, t0);
  ASSERT_TRUE(a && b);
  EXPECT_FALSE(salle.entre(socket(), ici, t0)) << "the third of one address";
  EXPECT_FALSE(fermee(2)) << "closing it is the caller's";
  EXPECT_TRUE(salle.entre(socket(), ailleurs, t0));
  EXPECT_TRUE(salle.entre(socket(), v6, t0));
  EXPECT_TRUE(salle.entre(socket(), v6, t0));
  EXPECT_FALSE(salle.entre(socket(), v6, t0));
  EXPECT_EQ(salle.en_attente(), 5);
  // One registers: a place for the address.
  salle_attente::ticket inscrite(&salle, *a);
  ASSERT_TRUE(inscrite.commence());
  inscrite.sort();
  auto c = salle.entre(socket(), ici, t0 + 500ms);
  ASSERT_TRUE(c);
  EXPECT_FALSE(salle.entre(socket(), ici, t0 + 500ms));
  // One closed for its delay no longer waits either.
  EXPECT_EQ(salle.ferme_expirees(t0 + 1000ms), 4);
  EXPECT_TRUE(salle.entre(socket(), ici, t0 + 1000ms));
  EXPECT_FALSE(salle.entre(socket(), ici, t0 + 1000ms));
}

TEST_F(Salle, RoomIsMadeByClosingTheOldestWaiting) {
  salle_attente salle(0ms);
  EXPECT_FALSE(salle.ferme_plus_ancienne()) << "nobody waits";
  salle_attente::ticket occupee(&salle, *salle.entre(socket(), ici, t0));
  ASSERT_TRUE(occupee.commence());
  const salle_attente::place deuxieme = *salle.entre(socket(), ici, t0 + 1ms);
  const salle_attente::place troisieme = *salle.entre(socket(), ici, t0 + 2ms);
  // The oldest is handling a line: the next one goes.
  EXPECT_TRUE(salle.ferme_plus_ancienne());
  EXPECT_FALSE(fermee(0));
  EXPECT_TRUE(fermee(1));
  EXPECT_FALSE(fermee(2));
  // Never the one to make room for.
  EXPECT_FALSE(salle.ferme_plus_ancienne(&troisieme));
  EXPECT_FALSE(fermee(2));
  EXPECT_TRUE(salle.ferme_plus_ancienne());
  EXPECT_TRUE(fermee(2));
  EXPECT_EQ(salle.en_attente(), 1);
  salle.retire(deuxieme);
  salle.retire(troisieme);
}

TEST_F(Salle, NoLimitPerAddressWithZero) {
  salle_attente salle(1000ms, 0);
  for (int k = 0; k < 100; ++k) EXPECT_TRUE(salle.entre(socket(), ici, t0)) << k;
}

TEST_F(Salle, ZeroDelayNeverCloses) {
  salle_attente salle(0ms);
  *salle.entre(socket(), ici, t0);
  EXPECT_EQ(salle.attente_ms(t0), -1);
  EXPECT_EQ(salle.ferme_expirees(t0 + 100h), 0);
  EXPECT_FALSE(fermee(0));
  EXPECT_EQ(salle.en_attente(), 1);
}

TEST_F(Salle, NoRoomNoEffect) {
  salle_attente::ticket t(nullptr, {});
  EXPECT_TRUE(t.commence());
  t.reprend();
  t.sort();
}

}  // namespace
}  // namespace jeu
