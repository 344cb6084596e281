// Measures the tick rate of a running server from outside, as a player sees
// it: fires one bullet at a time and polls "GET BALLES" as fast as replies
// come; a bullet moves 3.5 units a tick, so its truncated position changes at
// every tick, and the changes counted over the time the bullet was watched
// give ticks per second. Also prints the latency of those polls.
//
//   cadence_ticks [port] [seconds] [colour]     (defaults 12345, 10, 8039678)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "commun/client_tcp.h"
#include "commun/protocole_client.h"

namespace {

using namespace jeu::commun;
using horloge = std::chrono::steady_clock;

// The first bullet line of this colour, or nullopt.
std::optional<std::string> ma_balle(const std::vector<std::string>& lignes,
                                    const std::string& couleur) {
  const std::string fin = " " + couleur + "\r\n";
  for (const std::string& l : lignes) {
    if (l.size() > fin.size() && l.compare(l.size() - fin.size(), fin.size(), fin) == 0) return l;
  }
  return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
  const int port = argc > 1 ? std::stoi(argv[1]) : 12345;
  const double duree = argc > 2 ? std::stod(argv[2]) : 10.0;
  const std::string couleur = argc > 3 ? argv[3] : "8039678";

  std::unique_ptr<client_tcp> c;
  long changements = 0;
  double observe = 0.0;  // seconds during which one bullet was watched
  std::vector<double> latences;
  std::optional<std::string> derniere;
  horloge::time_point debut_balle;
  horloge::time_point derniere_vue;
  const auto fin = horloge::now() + std::chrono::duration<double>(duree);
  while (horloge::now() < fin) {
    if (!c) {
      c = std::make_unique<client_tcp>(port);
      if (!c->connecte() || inscrit(*c, std::stoll(couleur)) != "VAISSEAU ENREGISTRE\r\n") {
        std::fprintf(stderr, "cannot register colour %s on port %d\n", couleur.c_str(), port);
        return 1;
      }
      derniere.reset();
    }
    const auto avant = horloge::now();
    const auto lignes = demande_liste(*c, "GET BALLES");
    const auto apres = horloge::now();
    if (!lignes) {
      std::fprintf(stderr, "bad reply to GET BALLES\n");
      return 1;
    }
    latences.push_back(std::chrono::duration<double, std::micro>(apres - avant).count());
    const std::optional<std::string> balle = ma_balle(*lignes, couleur);
    if (balle && derniere) {
      if (*balle != *derniere) {
        ++changements;
        derniere_vue = apres;
      }
    } else if (balle) {
      debut_balle = apres;
      derniere_vue = apres;
    } else if (derniere) {
      observe += std::chrono::duration<double>(derniere_vue - debut_balle).count();
    }
    derniere = balle;
    if (!balle) {
      if (c->demande("GET STATUT") != "PUT STATUT vivant\r\n") {
        c.reset();  // destroyed: come back with a new ship
        continue;
      }
      c->demande("PUT ACTION TIRE");
    }
  }
  if (derniere) observe += std::chrono::duration<double>(derniere_vue - debut_balle).count();
  std::sort(latences.begin(), latences.end());
  const auto centile = [&](double p) {
    return latences.empty() ? 0.0 : latences[static_cast<std::size_t>(p * (latences.size() - 1))];
  };
  std::printf("ticks/s %.2f (%ld ticks seen over %.2f s)\n",
              observe > 0 ? changements / observe : 0.0, changements, observe);
  std::printf("GET BALLES latency us: p50 %.0f p99 %.0f max %.0f (%zu polls)\n", centile(0.5),
              centile(0.99), latences.empty() ? 0.0 : latences.back(), latences.size());
  return 0;
}
