#pragma once

#include <cstdlib>
#include <string>

namespace jeu::test {

// The value of environment variable `nom` when it holds a positive integer,
// `defaut` otherwise. Tests with random or repeated rounds take their count
// and seed from here: short in the test command, as long as asked by hand.
inline long reglage(const char* nom, long defaut) {
  const char* texte = std::getenv(nom);
  if (texte == nullptr || *texte == '\0') return defaut;
  char* fin = nullptr;
  const long valeur = std::strtol(texte, &fin, 10);
  return *fin == '\0' && valeur > 0 ? valeur : defaut;
}

}  // namespace jeu::test
