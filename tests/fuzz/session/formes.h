#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "world/monde.h"

namespace jeu::fuzz {

// What a play-phase request line (bytes before the LF, CR included) asks.
enum class sorte {
  taille_plateau, rayon_vaisseau, rayon_balle, max_pt_vie,
  statut, vaisseaux, balles, cubes, action, quitte, inconnue,
};

// The request of the line, by exact equality with one of the protocol's
// lines; inconnue for anything else.
sorte sorte_de(std::string_view ligne);

// The colour of a well-formed "PUT COULEUR VAISSEAU <colour>\r" (canonical
// decimal, 64 bits); nullopt for anything else.
std::optional<couleur_t> couleur_demandee(std::string_view ligne);

// What a reply must show, taken from the world right after the request was
// handled: the lists only for the list requests.
struct attendu {
  std::vector<vaisseau> vaisseaux;
  std::vector<balle> balles;
  bool vivant = false;
};

// Checks the bytes of the reply to a request of sorte `s`, line by line (CR
// LF endings, fields, canonical integers, angle text), against `a` and the
// cubes of `m`, by a parser of its own, not the server's encoder. Aborts
// (echec) at the first fault.
void verifie_reponse(sorte s, std::string_view reponse, const attendu& a, const monde& m);

}  // namespace jeu::fuzz
