// Measures what idle connections cost the server: starts serveur_jeu, opens
// connections that send nothing, and prints the server's resident memory and
// thread count as they pile up, until the requested count or the first
// connections the server cannot take in.
//
//   connexions_inactives [nombre] [pas]      (defaults 10000 and 1000)
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "commun/client_tcp.h"
#include "commun/processus.h"

namespace {

using namespace jeu::commun;

long champ_status(int pid, const std::string& nom) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string ligne;
  while (std::getline(status, ligne)) {
    if (ligne.rfind(nom + ":", 0) == 0) return std::stol(ligne.substr(nom.size() + 1));
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  const int nombre = argc > 1 ? std::stoi(argv[1]) : 10000;
  const int pas = argc > 2 ? std::stoi(argv[2]) : 1000;
  rlimit limite{};
  getrlimit(RLIMIT_NOFILE, &limite);
  limite.rlim_cur = limite.rlim_max;
  setrlimit(RLIMIT_NOFILE, &limite);

  const int port = port_libre();
  processus serveur(SERVEUR_JEU_BINAIRE, {std::to_string(port)});
  if (!attend_ecoute(port, 10s)) return 1;
  std::this_thread::sleep_for(200ms);
  const long base = champ_status(serveur.pid(), "VmRSS");
  std::printf("%8s %12s %8s %14s\n", "clients", "VmRSS (KiB)", "threads", "KiB per client");
  std::printf("%8d %12ld %8ld %14s\n", 0, base, champ_status(serveur.pid(), "Threads"), "-");

  // Each accepted connection has a session thread of its own, so the
  // thread count tells when the server has taken the new ones in.
  const long fils_base = champ_status(serveur.pid(), "Threads");
  std::vector<std::unique_ptr<client_tcp>> clients;
  bool sature = false;
  // The listen backlog is only 5: a connection is opened only once the
  // previous one has its thread, or the kernel would drop handshakes and the
  // client retry a second later.
  const auto pris_en_charge = [&](int n) {
    const auto fin = std::chrono::steady_clock::now() + 10s;
    while (champ_status(serveur.pid(), "Threads") < fils_base + n) {
      if (std::chrono::steady_clock::now() > fin) return false;
      std::this_thread::sleep_for(50us);
    }
    return true;
  };
  while (!sature && static_cast<int>(clients.size()) < nombre) {
    auto c = std::make_unique<client_tcp>(port);
    if (!c->connecte()) break;
    clients.push_back(std::move(c));
    const int n = static_cast<int>(clients.size());
    sature = !pris_en_charge(n);
    if (sature || n % pas == 0 || n == nombre) {
      const long rss = champ_status(serveur.pid(), "VmRSS");
      std::printf("%8d %12ld %8ld %14.1f\n", n, rss, champ_status(serveur.pid(), "Threads"),
                  static_cast<double>(rss - base) / n);
      std::fflush(stdout);
    }
  }
  // Idle players too: a registered ship adds its record and nothing else.
  client_tcp joueur(port);
  const auto reponse = joueur.demande("PUT COULEUR VAISSEAU 1");
  std::printf("a new player %s\n", reponse == "VAISSEAU ENREGISTRE\r\n" ? "is served" : "is NOT served");
  std::printf("served %zu simultaneous clients (open-file limit %ld); server %s\n", clients.size(),
              static_cast<long>(limite.rlim_cur),
              serveur.attend_fin(0ms) ? "has exited" : "still running");
  return 0;
}
