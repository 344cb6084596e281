#pragma once

// A game seen in the terminal: the connection, the frame loop, why it ended.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "terminal/ecran.h"
#include "jeu_client.h"
#include "terminal/options.h"
#include "terminal/vitesse.h"

namespace jeu::terminal {

struct bilan {
  std::string raison;  // why it ended, for the person: "quit", "server closed the connection..."
  int code = 0;        // the program's exit status
  std::uint64_t images = 0;
  double secondes = 0;
};

class partie {
 public:
  // Connects, registers the ship (a random colour when none was given,
  // tried again while taken) or becomes a spectator, and reads the arena's
  // size, the life points and the cubes; all before the terminal is touched.
  // Throws jeu_client::erreur.
  static partie ouvre(const options& o);

  // One frame per turn until q, a recorded signal, or the connection's end:
  // the keys' actions, statuses, ships and bullets in one request frame, then
  // the redraw. Watching, one frame per tick of the server's stream, with the
  // stats (and the scores once a second while the leaderboard is shown). Connection errors end it with their
  // reason; other exceptions go through.
  bilan joue(ecran& e);

  jeu_client::couleur_t couleur() const { return couleur_; }

 private:
  partie(const options& o, jeu_client::connexion c, jeu_client::couleur_t couleur);
  // Takes keys until `jusqua`, then those already typed; the actions go
  // to `actions`; stops early on q or a signal.
  void lit_touches(ecran& e, std::chrono::steady_clock::time_point jusqua,
                   std::vector<jeu_client::requete>& actions);
  // Sends `requetes` (the actions) with the frame's requests, then redraws.
  void image(ecran& e, std::vector<jeu_client::requete>& requetes, double images_par_seconde);
  // A new connection and the same colour, once the ship was destroyed.
  void rejoint();

  options options_;
  jeu_client::connexion connexion_;
  jeu_client::couleur_t couleur_ = 0;
  jeu_client::taille_plateau taille_;
  int max_pt_vie_ = 0;
  std::vector<jeu_client::cube> cubes_;
  bool detruit_ = false;
  bool quitter_ = false;
  suivi_vitesse vitesse_;
  std::string message_;  // on the status bar: why a rejoin failed
  std::vector<jeu_client::vaisseau> vaisseaux_;
  std::vector<jeu_client::balle> balles_;
  std::optional<jeu_client::statistiques> stats_;
  // The leaderboard, watching: shown or not, the last scores read (once a
  // second while shown), and whether the server answers "GET SCORES".
  // Watching: every tick's ships and bullets from the server's stream, on a
  // connection of its own; the stats read at most every 250 ms.
  std::optional<jeu_client::connexion> flux_;
  std::chrono::steady_clock::time_point dernieres_stats_{};
  bool classement_visible_ = false;
  std::optional<std::vector<jeu_client::score>> scores_;
  bool scores_servis_ = true;
  std::chrono::steady_clock::time_point derniers_scores_{};
};

}  // namespace jeu::terminal
