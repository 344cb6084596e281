#pragma once

// The leaderboard panel a spectator toggles: the text of its lines, which
// the screen draws in a box over the arena's top right corner.

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "jeu_client.h"

namespace jeu::terminal {

struct panneau {
  // The column header first, then one line per colour, or a note.
  std::vector<std::string> lignes;
  // For each line, the colour its colour field is drawn in (none: plain).
  std::vector<std::optional<jeu_client::couleur_t>> couleurs;
};

// Where the colour field starts in a panel's lines, and its width.
inline constexpr std::size_t colonne_couleur = 3;
inline constexpr std::size_t largeur_couleur = 7;

// The panel for `scores` (best first; nullopt while none was read): a
// header " # colour   kills deaths  acc", then the first `lignes_max` - 1
// colours as " 1 #ff1400      3      1  45%" (accuracy: hits given over
// shots, "-" before a shot), "and N more" in the last line when they do not
// all fit. `servis` false: the server keeps no scores, which the panel says.
panneau panneau_classement(const std::optional<std::vector<jeu_client::score>>& scores,
                           bool servis, std::size_t lignes_max);

}  // namespace jeu::terminal
