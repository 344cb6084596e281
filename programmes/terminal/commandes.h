#pragma once

// What each key does.

#include "jeu_client.h"

namespace jeu::terminal {

enum class commande {
  aucune,
  action,   // an action for the server: `ordre::action`
  quitte,   // leave ("PUT ACTION QUITTE")
  rejoint,  // a new ship on a new connection, once the ship was destroyed
  classement,  // show or hide the leaderboard (watching)
};

struct ordre {
  commande quoi = commande::aucune;
  jeu_client::requete action = jeu_client::requete::tire;
  bool operator==(const ordre&) const = default;
};

// What a key does in a replay.
enum class commande_relecture {
  aucune,
  pause,       // space: pause or play
  plus_vite,   // + (or =, up): twice as fast, 16x at most
  moins_vite,  // - (or down): half as fast, 1/4x at least
  recule,      // left: 5 seconds (200 ticks) back
  avance,      // right: 5 seconds on
  quitte,      // q
};

// The replay's order for curses key code `touche`.
commande_relecture ordre_relecture(int touche);

// The order for curses key code `touche`. The arena is drawn with y
// downward, where a growing angle turns clockwise: the left arrow sends
// "DROITE" (angle - 0.15) so that the ship turns left as seen on the screen.
ordre ordre_de(int touche);

}  // namespace jeu::terminal
