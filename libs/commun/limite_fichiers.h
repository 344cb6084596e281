#pragma once

namespace jeu::commun {

// Raises the soft limit on open descriptors to the hard limit: a thousand
// connections need more than the usual 1,024. Failure is silent (the
// program then runs with the limit it had).
void leve_limite_fichiers();

}  // namespace jeu::commun
