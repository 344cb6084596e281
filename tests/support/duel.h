#pragma once

// A scripted kill on a running server, for the views' end-to-end tests: two
// players registered by the test, both at rest, one firing at the other
// until the target is destroyed.

#include <chrono>

#include "jeu_client.h"

namespace jeu::essai {

// Registers `tireur`, then `cible` again and again (leaving each time) until
// the target's ship stands 30 to 110 units from the shooter's with no cube
// between them; turns the shooter towards it and fires until the target is
// destroyed. Returns the shooter's connection, its ship still in the arena.
// Throws std::runtime_error when that cannot be arranged within `delai`,
// jeu_client::erreur when the server fails.
jeu_client::connexion tue_une_cible(int port, jeu_client::couleur_t tireur,
                                    jeu_client::couleur_t cible,
                                    std::chrono::milliseconds delai = std::chrono::seconds(60));

}  // namespace jeu::essai
