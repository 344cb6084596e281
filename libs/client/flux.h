#pragma once

// The tick stream's frames: cut from the byte stream by their blocks, and
// parsed.

#include <string>

#include "jeu_client.h"
#include "client/lignes.h"

namespace jeu_client::interne {

inline constexpr std::string_view ligne_flux = "GET FLUX\r\n";

// Reads one whole frame from `lignes` and returns its text, from its "TICK"
// line to its "FIN TICK" line: the TICK line, then blocks "PUT <NAME>
// <count> [fields]" each followed by count lines, then "FIN TICK" with the
// same tick. Item lines are not checked here. Throws erreur(inattendue)
// for a line out of that form, or a block announcing more than
// max_elements lines; the source's own errors pass through.
std::string lit_texte_trame(source_lignes& lignes);

}  // namespace jeu_client::interne
