#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "bots/comportement.h"
#include "jeu_client.h"

namespace jeu::bots {

using horloge = std::chrono::steady_clock;

// What one robot did during a run.
struct bilan_robot {
  jeu_client::couleur_t couleur = 0;
  comportement sorte = comportement::tourelle;
  int vies = 0;                            // ships registered
  horloge::duration en_vie{};              // total time with a ship in the arena
  std::int64_t tirs = 0;                   // "PUT ACTION TIRE" sent
  std::int64_t trames = 0;                 // frames answered
  std::string derniere_erreur;             // the last failure, if any
};

// One robot: one connection at a time, one colour. Each frame is two
// steps, so that one thread can drive many robots: envoie sends this
// frame's actions and "GET VAISSEAUX" in one write, recoit reads the reply
// and decides the next frame's actions. A destroyed ship, a lost
// connection or a refused colour is retried on a new connection at a
// later frame (after `pause` for failures). Not shared between threads.
class robot {
 public:
  robot(jeu_client::couleur_t couleur, comportement sorte, std::string hote, int port,
        std::chrono::milliseconds delai);

  // Sends this frame (connecting and registering first when needed, which
  // waits for the server). `cubes` are the arena's, for the chasseur.
  void envoie(horloge::time_point maintenant);
  // Reads the reply to the frame sent, if one was; returns its round trip.
  std::optional<horloge::duration> recoit(horloge::time_point maintenant,
                                          std::span<const jeu_client::cube> cubes);

  // Ends the run: "PUT ACTION QUITTE" when the ship is alive.
  void termine(horloge::time_point maintenant);

  bool en_jeu() const { return vivant_; }
  const bilan_robot& bilan() const { return bilan_; }

 private:
  void perd_connexion(const std::string& pourquoi, horloge::time_point maintenant);
  void fin_de_vie(horloge::time_point maintenant);

  std::string hote_;
  int port_;
  std::chrono::milliseconds delai_;
  std::optional<jeu_client::connexion> connexion_;
  bool vivant_ = false;
  horloge::time_point ne_le_{};
  horloge::time_point reessai_{};      // no new connection before this
  horloge::time_point envoye_le_{};
  std::vector<jeu_client::requete> trame_;  // the frame in flight, empty when none
  std::vector<jeu_client::requete> actions_;  // the next frame's actions
  double vitesse_ = 0;
  bilan_robot bilan_;
};

}  // namespace jeu::bots
