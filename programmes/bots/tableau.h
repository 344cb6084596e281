#pragma once

#include <string>
#include <vector>

#include "bots/equipe.h"
#include "jeu_client.h"

namespace jeu::bots {

// The end-of-run report: one line per robot (colour, behaviour, lives used,
// seconds alive, shots fired, frames, then the server's kills, deaths, hits
// given and taken and accuracy for its colour, and its last failure), a
// total line, then the frames' round trip percentiles. With `scores` (the
// server's table) the robots are ranked as the server ranks them; without
// it, or for a colour the server does not list, its columns show "-".
std::string tableau(const bilan_equipe& b, const std::vector<jeu_client::score>* scores);

}  // namespace jeu::bots
