#pragma once

// The event loop: opens the connections, drives each connexion from its
// socket's readiness and from its timers, and gathers the measures. One
// thread, non-blocking sockets, epoll.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "charge/connexion_charge.h"
#include "charge/fenetre.h"
#include "charge/options.h"
#include "charge/sonde.h"

namespace jeu::charge {

// The state of a run at one progress tick.
struct instantane {
  double ecoule;                  // seconds since the start
  double requetes_par_seconde;    // replies over the last interval
  std::uint64_t erreurs;          // since the start
  std::int64_t connexions_ouvertes;
};

using rappel_progression = std::function<void(const instantane&)>;

// The connections of a run and the loop that drives them, step by step:
// connections are added, the loop runs for a while, counts are read and
// reset between measuring windows.
class moteur {
 public:
  // Connections follow `o` (address, requests or frames, registration,
  // colours); `progression` is called about once a second while running.
  moteur(const options& o, rappel_progression progression);
  ~moteur();
  moteur(const moteur&) = delete;
  moteur& operator=(const moteur&) = delete;

  // `n` more connections connect from t on, spread over `montee` seconds.
  // Held ones register but start no batch until relache().
  void ajoute(int n, std::int64_t t, double montee, bool retenues = false);
  // Held connections may start from t.
  void relache(std::int64_t t);
  // Opens the spectator connection that reads GET STATS once a second.
  void ouvre_sonde();
  // Runs until time t, or sooner once `fini` holds (checked at each turn).
  void tourne(std::int64_t t, const std::function<bool()>& fini = {});
  // No batch is started any more, and no connection opened.
  void arrete();
  // Every connection is established and registered, or has failed.
  bool installees() const;
  // Every established connection has nothing pending.
  bool tout_repondu() const;
  // The end: what is pending counts as unanswered, connects not completed
  // as failed.
  void abandonne();

  // Counts of the current measuring window: since the start, or the last
  // nouvelle_fenetre().
  const comptes& fenetre_courante() const;
  // The current window's counts join the total; counting starts afresh.
  void nouvelle_fenetre();
  // Everything counted since the start.
  comptes total() const;
  const sonde_stats& sonde() const;

 private:
  class boucle;
  std::unique_ptr<boucle> b_;
};

struct bilan_execution {
  comptes m;
  double duree;               // seconds of load, from the start to the stop
  std::uint64_t reponses_pendant;  // replies received within those seconds
  double attente_fin;         // seconds then spent awaiting the last replies
  // Frame mode: the whole load as one measuring window.
  std::optional<mesure> trames;
};

// Runs the load `o` describes against o.adresse:o.port and returns what it
// measured; `progression` is called about once a second. Ends by itself:
// after o.duree seconds no batch is started, replies in flight are awaited
// for at most o.delai_fin seconds, then whatever is pending counts as
// unanswered and connects not completed as failed.
bilan_execution lance(const options& o, const rappel_progression& progression);

// The server's process: o.pid, or the one listening on o.port.
std::optional<pid_t> processus_serveur(const options& o);

// Monotonic clock, nanoseconds.
std::int64_t maintenant();

}  // namespace jeu::charge
