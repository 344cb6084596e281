#pragma once

// A steady player: registers its colour, then plays a round a few times a
// second (GET VAISSEAUX, an action, GET STATUT, GET BALLES), checking every
// reply and timing it from the request's write to the reply's last byte.
// When its ship is destroyed it leaves with PUT ACTION QUITTE and registers
// the same colour again on a new connection.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "endurance/lien.h"
#include "commun/histogramme.h"

namespace jeu::endurance {

// What all steady players saw, shared between their threads.
struct bilan_joueurs {
  std::mutex verrou;
  commun::histogramme attente;  // nanoseconds, request written -> reply complete
  std::uint64_t requetes = 0;
  std::uint64_t fausses = 0;          // wrong, missing or late replies
  std::uint64_t reinscriptions = 0;   // new connections after a destroyed ship
  std::uint64_t refus = 0;            // "ERREUR COULEUR UTILISEE" at registration
  std::vector<std::string> exemples;  // the first few wrong replies

  void faute(const std::string& quoi);
};

class joueur {
 public:
  joueur(int port, std::int64_t couleur, unsigned graine, double rondes_par_seconde)
      : port_(port), couleur_(couleur), graine_(graine), periode_(1.0 / rondes_par_seconde) {}

  // Plays until `arret` is set; then returns, keeping its connection and
  // ship (if alive) as they are.
  void joue(const std::atomic<bool>& arret, bilan_joueurs& b);

  // After joue: asks GET STATUT on its connection. True when its ship is
  // alive; a wrong reply is counted into `b`.
  bool vivant(bilan_joueurs& b);

  std::int64_t couleur() const { return couleur_; }
  bool connecte() const { return lien_.ouvert(); }
  void part() { lien_.ferme(); }

 private:
  // Sends `requete` + CR LF and checks the reply, timing it; false when the
  // reply was wrong (the connection is then dropped).
  bool demande(const std::string& requete, bilan_joueurs& b, std::string* entete = nullptr);
  // Opens a connection and registers, until it works or `arret` is set.
  bool inscrit(const std::atomic<bool>& arret, bilan_joueurs& b);

  int port_;
  std::int64_t couleur_;
  unsigned graine_;
  double periode_;
  lien lien_;
  bool inscrit_ = false;
};

}  // namespace jeu::endurance
