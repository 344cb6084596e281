// Slow readers against a running server: N players register, ask for far
// more than their socket buffers hold (200 "GET CUBES" each), then read one
// byte a second. Run beside a load and a tick-rate probe to see whether
// they slow anyone else.
//
//   lecteurs_lents [port] [players] [seconds]     (defaults 12345, 100, 20)
#include <sys/resource.h>
#include <sys/socket.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "commun/client_tcp.h"
#include "commun/protocole_client.h"

int main(int argc, char** argv) {
  using namespace jeu::commun;
  const int port = argc > 1 ? std::stoi(argv[1]) : 12345;
  const int nombre = argc > 2 ? std::stoi(argv[2]) : 100;
  const int secondes = argc > 3 ? std::stoi(argv[3]) : 20;
  rlimit limite{};
  getrlimit(RLIMIT_NOFILE, &limite);
  limite.rlim_cur = limite.rlim_max;
  setrlimit(RLIMIT_NOFILE, &limite);

  std::string demandes;
  for (int k = 0; k < 200; ++k) demandes += "GET CUBES\r\n";
  std::vector<std::unique_ptr<client_tcp>> lents;
  for (int k = 0; k < nombre; ++k) {
    auto c = std::make_unique<client_tcp>(port);
    if (!c->connecte() || inscrit(*c, 0x500000 + k) != "VAISSEAU ENREGISTRE\r\n") {
      std::fprintf(stderr, "slow reader %d could not register\n", k);
      return 1;
    }
    c->envoie(demandes);
    lents.push_back(std::move(c));
  }
  std::printf("%d slow readers registered, each waiting on 200 cube lists\n", nombre);
  std::fflush(stdout);
  long lus = 0;
  for (int s = 0; s < secondes; ++s) {
    std::this_thread::sleep_for(std::chrono::seconds(1));
    for (auto& c : lents) {
      char octet;
      if (recv(c->fd(), &octet, 1, MSG_DONTWAIT) == 1) ++lus;
    }
  }
  std::printf("%ld bytes read in %d s; closing\n", lus, secondes);
  return 0;
}
