#pragma once

// A recording replayed in the terminal (jeu-terminal --rejoue): the frames
// at 40 ticks a second times the speed, with keys to pause, change speed and
// seek (commandes.h). No server is involved.

#include <optional>
#include <string>

#include "relecture/relecture.h"
#include "terminal/ecran.h"
#include "terminal/options.h"
#include "terminal/partie.h"

namespace jeu::terminal {

class rejeu {
 public:
  // Opens the recording; throws std::runtime_error naming it when it
  // cannot be read.
  explicit rejeu(const options& o);

  // Draws the frame due about every 25 ms (or at the -f rate) until q or a
  // recorded signal.
  bilan joue(ecran& e);

 private:
  options options_;
  relecture::lecture lecture_;
};

}  // namespace jeu::terminal
