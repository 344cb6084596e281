#pragma once

#include <chrono>
#include <cstdint>
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
  jeu_client::couleur_t couleur = 0;       // the colour it played with last
  comportement sorte = comportement::tourelle;
  int vies = 0;                            // ships registered
  int connexions = 0;                      // connections started
  horloge::duration en_vie{};              // total time with a ship in the arena
  std::int64_t tirs = 0;                   // "PUT ACTION TIRE" sent
  std::int64_t trames = 0;                 // frames answered
  std::string derniere_erreur;             // the last failure, if any
};

// One robot: one connection at a time. Nothing it does waits for the
// server, so that one thread drives many robots and stops at once: agit
// starts what is due at each frame, the thread polls descripteur() for
// attente(), and avance goes on when the socket is ready. A destroyed ship,
// a lost connection or a silence longer than `delai` is retried on a new
// connection (after a pause for failures). Not shared between threads.
class robot {
 public:
  // `couleurs`: the colours to play with, in order of preference; a colour
  // taken by another player makes the robot register with the next one.
  robot(std::vector<jeu_client::couleur_t> couleurs, comportement sorte, std::string hote,
        int port, std::chrono::milliseconds delai);

  // The frame's time: starts a connection when one is due, sends this
  // frame's actions and "GET VAISSEAUX" when the ship is in play and the
  // previous frame was answered, gives up on what has waited past the delay.
  void agit(horloge::time_point maintenant);

  // The socket (-1 when none) and what poll() should wait for on it:
  // POLLOUT while connecting, POLLIN while a reply is awaited, else 0.
  int descripteur() const;
  short attente() const;

  // Once poll() found the socket ready: the connection made, the
  // registration's reply, or the frame's reply read (then returns its round
  // trip, and decides the next frame's actions from it; `cubes` are the
  // arena's).
  std::optional<horloge::duration> avance(horloge::time_point maintenant,
                                          std::span<const jeu_client::cube> cubes);

  // Ends the run: "PUT ACTION QUITTE" when the ship is alive and its last
  // frame was answered; otherwise the connection is just closed.
  void termine(horloge::time_point maintenant);

  bool en_jeu() const { return etape_ == etape::jeu; }
  const bilan_robot& bilan() const { return bilan_; }

 private:
  enum class etape { attente, connexion, inscription, jeu };

  void perd_connexion(const std::string& pourquoi, horloge::time_point maintenant);
  void fin_de_vie(horloge::time_point maintenant);
  void envoie_trame(horloge::time_point maintenant);
  std::optional<horloge::duration> lit_trame(horloge::time_point maintenant,
                                             std::span<const jeu_client::cube> cubes);

  std::vector<jeu_client::couleur_t> couleurs_;
  std::size_t couleur_ = 0;  // index in couleurs_
  std::size_t refus_ = 0;    // colours refused in a row
  std::string hote_;
  int port_;
  std::chrono::milliseconds delai_;
  std::optional<jeu_client::connexion> connexion_;
  etape etape_ = etape::attente;
  horloge::time_point limite_{};       // the current step gives up after this
  horloge::time_point ne_le_{};
  horloge::time_point reessai_{};      // no new connection before this
  horloge::time_point envoye_le_{};
  std::vector<jeu_client::requete> trame_;    // the frame in flight, empty when none
  std::vector<jeu_client::requete> actions_;  // the next frame's actions
  double vitesse_ = 0;
  bilan_robot bilan_;
};

}  // namespace jeu::bots
