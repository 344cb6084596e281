#pragma once

// The event loop: opens the connections, drives each connexion from its
// socket's readiness and from its timers, and gathers the measures. One
// thread, non-blocking sockets, epoll.

#include <cstdint>
#include <functional>

#include "charge/connexion_charge.h"
#include "charge/options.h"

namespace jeu::charge {

// The state of a run at one progress tick.
struct instantane {
  double ecoule;                  // seconds since the start
  double requetes_par_seconde;    // replies over the last interval
  std::uint64_t erreurs;          // since the start
  std::int64_t connexions_ouvertes;
};

struct bilan_execution {
  comptes m;
  double duree;               // seconds of load, from the start to the stop
  std::uint64_t reponses_pendant;  // replies received within those seconds
  double attente_fin;         // seconds then spent awaiting the last replies
};

// Runs the load `o` describes against o.adresse:o.port and returns what it
// measured; `progression` is called about once a second. Ends by itself:
// after o.duree seconds no batch is started, replies in flight are awaited
// for at most o.delai_fin seconds, then whatever is pending counts as
// unanswered and connects not completed as failed.
bilan_execution lance(const options& o, const std::function<void(const instantane&)>& progression);

// Monotonic clock, nanoseconds.
std::int64_t maintenant();

}  // namespace jeu::charge
