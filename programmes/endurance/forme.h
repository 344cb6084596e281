#pragma once

// What a correct reply to each request looks like, and reading one whole
// reply off a lien while checking its form: every line ends in CR LF, a
// list header announces exactly the item lines that follow, each item line
// has its fields.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "endurance/lien.h"

namespace jeu::endurance {

// The fields of an item line, or empty when the line is malformed.
bool ligne_vaisseau(std::string_view l);  // x y angle life colour
bool ligne_balle(std::string_view l);     // x y colour
bool ligne_cube(std::string_view l);      // x1 y1 x2 y2

// The colour field of a well-formed ship line.
std::int64_t couleur_vaisseau(std::string_view l);

struct reponse_lue {
  std::string probleme;             // empty when the reply is as expected
  std::string entete;               // first line, without CR LF
  std::vector<std::string> lignes;  // item lines of a list, without CR LF
  bool ok() const { return probleme.empty(); }
};

// Reads the reply to `requete` (sent without its CR LF, possibly not valid)
// from a connection whose ship is registered (`inscrit`) or not, and checks
// it against what the protocol prescribes for that request.
reponse_lue lit_reponse(lien& l, std::string_view requete, bool inscrit, horloge::time_point limite);

}  // namespace jeu::endurance
