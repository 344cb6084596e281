#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>

namespace jeu {

using horloge = std::chrono::steady_clock;

// Counted by the sessions, without the world lock.
struct compteurs_sessions {
  std::atomic<std::uint64_t> requetes{0};  // request lines received, on any connection
  std::atomic<std::int64_t> joueurs{0};    // connections in the play phase
  std::atomic<std::int64_t> spectateurs{0};
  // Sockets the listener accepted and nobody closed yet.
  std::atomic<std::int64_t> sockets_ouverts{0};
  // Connections closed by the hosting rules (net/serveur.h).
  std::atomic<std::uint64_t> fermes_delai{0};     // not registered in time
  std::atomic<std::uint64_t> fermes_adresse{0};   // too many of its address waiting
  std::atomic<std::uint64_t> fermes_place{0};     // made room: descriptors or threads short
  std::atomic<std::uint64_t> fermes_ecriture{0};  // a reply stalled, the peer not reading
};

// The recent ticks, for "GET STATS": their durations, and when they ended
// with the request count of that moment, which gives the request rate
// without a thread of its own. No lock of its own: the world keeps it under
// verrou_monde.
class mesures {
 public:
  static constexpr std::size_t ticks_gardes = 1000;

  // A tick that ended at `fin` after `duree`, when `requetes` requests had
  // been received. O(1): the tick does no more, the p99 is taken when asked.
  void note_tick(horloge::time_point fin, std::chrono::microseconds duree, std::uint64_t requetes);

  struct apercu {
    double ticks_par_seconde = 0;  // ticks that ended in the second before `maintenant`
    std::int64_t duree_tick_us = 0;  // the last tick; 0 before the first
    std::int64_t p99_tick_us = 0;    // of the last ticks_gardes ticks
    std::int64_t requetes_par_seconde = 0;
  };
  // The figures as of `maintenant`, when `requetes` requests had been
  // received; `maintenant` is not before the last tick noted. A selection
  // over the kept durations (a few microseconds, once per "GET STATS").
  apercu calcule(horloge::time_point maintenant, std::uint64_t requetes) const;

 private:
  // Ticks are at least a tick period apart, so the last second holds far
  // fewer than this many.
  static constexpr std::size_t fins_gardees = 64;
  struct fin_tick {
    horloge::time_point fin;
    std::uint64_t requetes;  // the request counter when it ended
  };
  std::array<std::int64_t, ticks_gardes> durees_us_{};
  std::array<fin_tick, fins_gardees> fins_{};
  std::size_t notes_ = 0;  // ticks noted so far
};

}  // namespace jeu
