#pragma once

// The request lines the library sends.

#include <span>
#include <string>
#include <string_view>

#include "jeu_client.h"

namespace jeu_client::interne {

// The request lines other than the play requests, CR LF included.
inline constexpr std::string_view ligne_spectateur = "PUT SPECTATEUR\r\n";
inline constexpr std::string_view ligne_quitte = "PUT ACTION QUITTE\r\n";
std::string ligne_enregistrement(couleur_t c);

// `r`'s line without its CR LF ("GET VAISSEAUX"), for messages.
std::string_view nom(requete r);

// Whether `r` is one of the five actions answered "OK".
bool est_action(requete r);

// Every line of `requetes`, in order, in one string: one write.
std::string texte_trame(std::span<const requete> requetes);

}  // namespace jeu_client::interne
