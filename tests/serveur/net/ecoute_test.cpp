// The listening socket: a burst of players connecting at the same moment all
// get through the handshake without waiting for accept, and accepted
// connections send each reply at once.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "net/serveur.h"

namespace jeu {
namespace {

using namespace std::chrono_literals;

int port_de(int ecoute) {
  sockaddr_in adresse{};
  socklen_t taille = sizeof adresse;
  getsockname(ecoute, reinterpret_cast<sockaddr*>(&adresse), &taille);
  return ntohs(adresse.sin_port);
}

// How many of `sockets` (non-blocking connects) finished their handshake
// within `delai`.
int etablies(const std::vector<int>& sockets, std::chrono::milliseconds delai) {
  std::vector<bool> faite(sockets.size(), false);
  int nombre = 0;
  for (auto fin = std::chrono::steady_clock::now() + delai;
       nombre < static_cast<int>(sockets.size()) && std::chrono::steady_clock::now() < fin;) {
    for (std::size_t k = 0; k < sockets.size(); ++k) {
      if (faite[k]) continue;
      pollfd p{sockets[k], POLLOUT, 0};
      int erreur = 0;
      socklen_t taille = sizeof erreur;
      if (poll(&p, 1, 0) == 1 && getsockopt(sockets[k], SOL_SOCKET, SO_ERROR, &erreur, &taille) == 0 &&
          erreur == 0) {
        faite[k] = true;
        ++nombre;
      }
    }
    poll(nullptr, 0, 10);
  }
  return nombre;
}

TEST(Ecoute, ABurstOfConnectionsWaitsInTheQueueAndGetsNoDelay) {
  constexpr int rafale = 200;
  const int ecoute = ouvre_ecoute(0, file_attente());
  ASSERT_GE(ecoute, 0);
  sockaddr_in adresse{};
  adresse.sin_family = AF_INET;
  adresse.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  adresse.sin_port = htons(static_cast<std::uint16_t>(port_de(ecoute)));
  // Nobody accepts yet: every handshake must complete in the queue alone.
  // A dropped one would be retried only a second later, then 3 s, 7 s...
  std::vector<int> clients;
  for (int k = 0; k < rafale; ++k) {
    const int s = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    ASSERT_GE(s, 0);
    connect(s, reinterpret_cast<sockaddr*>(&adresse), sizeof adresse);
    clients.push_back(s);
  }
  ASSERT_EQ(etablies(clients, 900ms), rafale);

  for (int k = 0; k < rafale; ++k) {
    const int s = accepte(ecoute);
    ASSERT_GE(s, 0);
    int nodelay = 0;
    socklen_t taille = sizeof nodelay;
    ASSERT_EQ(getsockopt(s, IPPROTO_TCP, TCP_NODELAY, &nodelay, &taille), 0);
    EXPECT_NE(nodelay, 0);
    close(s);
  }
  for (int s : clients) close(s);
  close(ecoute);
}

}  // namespace
}  // namespace jeu
