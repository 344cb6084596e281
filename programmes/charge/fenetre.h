#pragma once

// One measuring window of a frame run: what was asked and served, the
// frames' latency, the server's tick rate, CPU and memory, and this
// program's CPU, between the window's opening and its closing.

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "charge/connexion_charge.h"
#include "charge/sonde.h"
#include "charge/stats_serveur.h"

namespace jeu::charge {

struct mesure {
  double duree = 0;  // seconds
  double trames_demandees_s = 0;
  double trames_servies_s = 0;
  std::uint64_t trames = 0;  // frames served
  // Frame latency, nanoseconds: p50, p99, p99.9, max.
  std::uint64_t p50 = 0, p99 = 0, p999 = 0, max = 0;
  // The longest time one player waited between two of its frames, ns.
  std::uint64_t ecart_max = 0;
  std::optional<resume_ticks> ticks;  // over the seconds read in the window
  std::optional<std::int64_t> balles;  // median of the bullets in flight
  std::optional<double> cpu_serveur;   // % of one core
  std::optional<long> rss_ko;          // at the close
  double cpu_charge = 0;               // this program, % of one core
  std::uint64_t erreurs = 0;
};

class fenetre {
 public:
  // Opens at t; `serveur` is the server's process when known; the probe's
  // replies from index `premier_releve` on belong to the window.
  fenetre(std::int64_t t, std::optional<pid_t> serveur, std::size_t premier_releve);

  // Closes at t: `m` holds what was counted since the opening only.
  mesure ferme(std::int64_t t, const comptes& m,
               const std::vector<sonde_stats::releve>& releves) const;

 private:
  std::int64_t debut_;
  std::optional<pid_t> serveur_;
  std::size_t premier_releve_;
  std::optional<double> cpu_serveur_;
  double cpu_propre_;
};

}  // namespace jeu::charge
