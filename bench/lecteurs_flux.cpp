// N spectators streaming a running server's ticks ("GET FLUX") at once, each
// counting the frames it receives and the ticks it lost; a further
// spectator reads the server's tick rate ("GET STATS") every second.
//
//   lecteurs_flux [port] [readers] [seconds]     (defaults 12345, 20, 10)
//
// Prints each second the server's ticks_s and tick_us, and the slowest and
// fastest reader's frames in that second; at the end each reader's frames
// per second over the whole run and the server's lowest ticks_s.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "jeu_client.h"

int main(int argc, char** argv) {
  using namespace std::chrono_literals;
  const int port = argc > 1 ? std::stoi(argv[1]) : 12345;
  const int nombre = argc > 2 ? std::stoi(argv[2]) : 20;
  const int secondes = argc > 3 ? std::stoi(argv[3]) : 10;

  struct lecteur {
    std::atomic<std::uint64_t> trames{0};
    std::atomic<std::uint64_t> perdus{0};
    std::atomic<bool> erreur{false};
  };
  std::vector<std::unique_ptr<lecteur>> lecteurs;
  std::vector<std::thread> fils;
  std::atomic<bool> fin{false};
  for (int i = 0; i < nombre; ++i) {
    lecteurs.push_back(std::make_unique<lecteur>());
    fils.emplace_back([&, l = lecteurs.back().get()] {
      try {
        auto c = jeu_client::connexion::ouvre("127.0.0.1", port);
        c.devient_spectateur();
        c.commence_flux();
        while (!fin) {
          // The framing only: on a shared machine the readers' own parsing
          // would compete with the server for the cores.
          const std::string t = c.flux_texte();
          const std::size_t espace = t.find(' ', 5);
          l->perdus += std::stoull(t.substr(espace + 1));
          ++l->trames;
        }
      } catch (const std::exception& e) {
        std::fprintf(stderr, "lecteur : %s\n", e.what());
        l->erreur = true;
      }
    });
  }
  auto sonde = jeu_client::connexion::ouvre("127.0.0.1", port);
  sonde.devient_spectateur();
  std::this_thread::sleep_for(1s);  // every stream started
  std::vector<std::uint64_t> avant(nombre);
  for (int i = 0; i < nombre; ++i) avant[i] = lecteurs[i]->trames;
  const std::vector<std::uint64_t> depart = avant;
  double ticks_min = 1e9;
  for (int s = 0; s < secondes; ++s) {
    std::this_thread::sleep_for(1s);
    const auto st = sonde.stats();
    std::uint64_t mini = ~0ull, maxi = 0, perdus = 0;
    for (int i = 0; i < nombre; ++i) {
      const std::uint64_t n = lecteurs[i]->trames;
      mini = std::min(mini, n - avant[i]);
      maxi = std::max(maxi, n - avant[i]);
      avant[i] = n;
      perdus += lecteurs[i]->perdus;
    }
    ticks_min = std::min(ticks_min, st.ticks_par_seconde);
    std::printf("%2d s  ticks_s %.1f  tick_us %lld  vaisseaux %lld  balles %lld  trames/s par lecteur %llu..%llu  perdus (total) %llu\n",
                s + 1, st.ticks_par_seconde, static_cast<long long>(st.duree_tick_us),
                static_cast<long long>(st.vaisseaux), static_cast<long long>(st.balles),
                static_cast<unsigned long long>(mini), static_cast<unsigned long long>(maxi),
                static_cast<unsigned long long>(perdus));
    std::fflush(stdout);
  }
  fin = true;
  double pire = 1e9;
  int erreurs = 0;
  for (int i = 0; i < nombre; ++i) {
    pire = std::min(pire, static_cast<double>(lecteurs[i]->trames - depart[i]) / secondes);
    erreurs += lecteurs[i]->erreur ? 1 : 0;
  }
  std::printf("%d lecteurs, %d s : le plus lent a recu %.1f trames/s ; ticks_s le plus bas %.1f ; %d en erreur\n",
              nombre, secondes, pire, ticks_min, erreurs);
  std::fflush(stdout);
  // The readers wait for their next frame: the server's end, or ours.
  for (auto& f : fils) f.detach();
  std::_Exit(0);
}
