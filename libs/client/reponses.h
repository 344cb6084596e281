#pragma once

// Strict parsing of the server's replies: a reply is taken only in the exact
// form the request calls for (every line ending in CR LF, fields separated
// by one space); anything else is erreur(inattendue) quoting the line.

#include <cstddef>
#include <optional>
#include <string_view>

#include "jeu_client.h"
#include "client/lignes.h"

namespace jeu_client::interne {

// Most items a list reply may announce: more than any arena holds, few
// enough that a list costs at most tens of megabytes.
inline constexpr std::size_t max_elements = 1'000'000;

// Reads the reply to `r` from `lignes`: the alternative of `reponse` that
// the header names for `r`. "ERREUR SYNTAXE" throws erreur(syntaxe); a list
// announcing more than max_elements items, or any other line, throws
// erreur(inattendue); the source's own errors pass through.
reponse lit_reponse(requete r, source_lignes& lignes);

// The one-line replies of the requests outside `requete`.
enum class accord {
  enregistrement,  // "VAISSEAU ENREGISTRE"; "ERREUR COULEUR UTILISEE": erreur(couleur_utilisee)
  spectateur,      // "SPECTATEUR ENREGISTRE"
  depart,          // "OK", to "PUT ACTION QUITTE"
};

// Reads the reply to a request of kind `a`; returns when it is the
// acceptance. "ERREUR SYNTAXE" throws erreur(syntaxe), anything else that
// the request does not call for erreur(inattendue).
void lit_accord(accord a, source_lignes& lignes);

// The body of a "PUT STATS" line (CR LF removed). Throws erreur(inattendue)
// when a field is not name=value, a known field is missing, repeated or not
// a number of its form (ticks_s a decimal, the others natural integers).
statistiques lit_stats(std::string_view corps);

// One item line of a list reply, CR LF removed ("512 301 1.57 5 16711680",
// "524 313 16711680"); nullopt when it is not exactly of that form.
std::optional<vaisseau> lit_ligne_vaisseau(std::string_view texte);
std::optional<balle> lit_ligne_balle(std::string_view texte);

}  // namespace jeu_client::interne
