#pragma once

// The terminal in curses mode: keys in, the arena and the status bar out.

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "jeu_client.h"
#include "terminal/cadrage.h"
#include "terminal/classement.h"
#include "terminal/glyphes.h"

struct screen;  // curses' SCREEN, kept out of the including files

namespace jeu::terminal {

// What one frame shows.
struct scene {
  double largeur_arene = 990;
  double hauteur_arene = 990;
  std::span<const jeu_client::cube> cubes;
  std::span<const jeu_client::vaisseau> vaisseaux;
  std::span<const jeu_client::balle> balles;
  std::optional<jeu_client::couleur_t> propre;  // the player's ship stands out
  std::string banniere;                         // across the arena's middle when not empty
  std::string barre;                            // the status bar's text
  const panneau* classement = nullptr;          // boxed over the arena's top right when set
};

// Puts the terminal in curses mode (keys one at a time, unechoed, no
// cursor) for the object's lifetime; the destructor gives it back as it was.
// One at a time. The locale must be set before (setlocale) for UTF-8.
class ecran {
 public:
  ecran();
  ~ecran();
  ecran(const ecran&) = delete;
  ecran& operator=(const ecran&) = delete;

  // The next key (a curses code; KEY_RESIZE when the terminal changed
  // size), waiting at most `delai` for one; nullopt when none came.
  std::optional<int> touche(std::chrono::milliseconds delai);

  // Redraws everything for the terminal's current size.
  void dessine(const scene& s);

  int colonnes() const;
  bool utf8() const { return utf8_; }
  int nb_couleurs() const { return nb_couleurs_; }

 private:
  int paire(jeu_client::couleur_t c) const;
  void dessine_panneau(const disposition& d, const glyphes& g, const panneau& p);
  // The pair of the own ship: its colour as background.
  int paire_propre(jeu_client::couleur_t c);
  ::screen* terminal_ = nullptr;
  bool utf8_ = false;
  int nb_couleurs_ = 0;  // colours used: 0 (none), 8, 16 or 256
  // Pairs 1..nb_couleurs_ draw in colour i - 1; then the cubes', the own ship's.
  int paire_cubes_ = 0;
  unsigned attributs_cubes_ = 0;  // curses attributes
  int paire_propre_ = 0;
  std::optional<jeu_client::couleur_t> couleur_propre_;
};

}  // namespace jeu::terminal
