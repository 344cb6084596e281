#pragma once

// The connections waiting to register: accepted, neither a player's nor a
// spectator's yet. The listener enters each accepted connection and closes
// those that waited too long; a session leaves when it registers or ends.
// Closing is a shutdown() of the socket: its session then sees the end of
// its stream and ends as a failed registration does (no ship, no log line),
// and the session alone closes the descriptor, after leaving, so that a
// descriptor here is always open. The room has its own lock, never taken
// with the world lock held, nor the other way round.

#include <chrono>
#include <cstdint>
#include <list>
#include <map>
#include <optional>

#include "net/adresse_ip.h"
#include "world/verrou.h"

namespace jeu {

class salle_attente {
  struct entree;

 public:
  using horloge = std::chrono::steady_clock;

  // `delai`: how long a connection may wait; zero: for ever.
  // `max_par_adresse`: connections of one address that may wait at once;
  // zero: no limit.
  explicit salle_attente(std::chrono::milliseconds delai, int max_par_adresse = 0);

  // A connection's place in the room, for the session to leave it.
  struct place {
    std::list<entree>::iterator it;
  };

  // Enters the accepted `socket` of `adresse`, arrived at `arrivee`;
  // nullopt, and nothing done, when as many of that address already wait
  // as allowed (the caller closes it).
  std::optional<place> entre(int socket, const adresse_ip& adresse, horloge::time_point arrivee)
      EXCLUDES(verrou_);

  // Closes every waiting connection whose delay has passed at `maintenant`;
  // returns how many. One that is handling a line is left until it is done.
  int ferme_expirees(horloge::time_point maintenant) EXCLUDES(verrou_);

  // How long from `maintenant` until ferme_expirees has something to do:
  // -1 when nothing waits with a delay (poll's "for ever").
  int attente_ms(horloge::time_point maintenant) EXCLUDES(verrou_);

  // Closes the connection that has waited longest, but `sauf` and one
  // handling a line: room for others when descriptors or threads run
  // short. false when there was none.
  bool ferme_plus_ancienne(const place* sauf = nullptr) EXCLUDES(verrou_);

  // How many connections wait (closed ones on their way out not counted).
  int en_attente() EXCLUDES(verrou_);

  // The session's side of its place.
  class ticket {
   public:
    // `salle` null: no room, every call does nothing.
    ticket(salle_attente* salle, place p) : salle_(salle), place_(p) {}
    ~ticket() { sort(); }
    ticket(const ticket&) = delete;
    ticket& operator=(const ticket&) = delete;

    // Before handling a line: false when the connection was closed (the
    // session then ends); meanwhile the room does not close it.
    bool commence();
    // The line did not register the connection: it waits again.
    void reprend();
    // Registered, or ending: leaves the room. Idempotent.
    void sort();

   private:
    salle_attente* salle_ = nullptr;
    place place_{};
  };

  // Takes `p` out; for a connection whose session never started.
  void retire(place p) EXCLUDES(verrou_);

 private:
  enum class etat { attend, traite, fermee };
  struct entree {
    int socket;
    adresse_ip adresse;
    horloge::time_point echeance;
    etat e = etat::attend;
  };

  bool commence(place p) EXCLUDES(verrou_);
  void reprend(place p) EXCLUDES(verrou_);
  void ferme(entree& e) REQUIRES(verrou_);
  void ne_attend_plus(const entree& e) REQUIRES(verrou_);

  const std::chrono::milliseconds delai_;
  const int max_par_adresse_;
  VerrouSimple verrou_;
  std::list<entree> entrees_ GUARDED_BY(verrou_);  // in the order they arrived
  int en_attente_ GUARDED_BY(verrou_) = 0;
  std::map<adresse_ip, int> par_adresse_ GUARDED_BY(verrou_);  // only addresses that wait
};

}  // namespace jeu
