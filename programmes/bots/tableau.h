#pragma once

#include <string>

#include "bots/equipe.h"

namespace jeu::bots {

// The end-of-run report: one line per robot (colour, behaviour, lives used,
// seconds alive, shots fired, frames, last failure), a total line, then the
// frames' round trip percentiles.
std::string tableau(const bilan_equipe& b);

}  // namespace jeu::bots
