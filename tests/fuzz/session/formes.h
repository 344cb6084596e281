#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "world/monde.h"

namespace jeu::fuzz {

// What a request line (bytes before the LF, CR included) asks, once the
// connection is a player's or a spectator's.
enum class sorte {
  taille_plateau, rayon_vaisseau, rayon_balle, max_pt_vie,
  statut, statut_spectateur, stats, vaisseaux, balles, cubes, action, quitte, inconnue,
};

// A player's request, by exact equality with one of the protocol's lines;
// inconnue for anything else ("GET STATS" included).
sorte sorte_de(std::string_view ligne);

// A spectator's request: the players' GET requests ("GET STATUT" as
// statut_spectateur), "GET STATS" and "PUT ACTION QUITTE"; inconnue for
// anything else, the other actions included.
sorte sorte_spectateur(std::string_view ligne);

// The colour of a well-formed "PUT COULEUR VAISSEAU <colour>\r" (canonical
// decimal, 64 bits); nullopt for anything else.
std::optional<couleur_t> couleur_demandee(std::string_view ligne);

// What "GET STATS" must report: the connections as the sessions counted
// them, the ships and bullets in the world. No tick is timed by the fuzz
// target (its ticks are simulated), so the tick and request rates are 0.
struct stats_attendues {
  std::int64_t joueurs = 0;
  std::int64_t spectateurs = 0;
  std::int64_t vaisseaux = 0;
  std::int64_t balles = 0;
};

// What a reply must show, taken from the world right after the request was
// handled: the lists only for the list requests.
struct attendu {
  std::vector<vaisseau> vaisseaux;
  std::vector<balle> balles;
  bool vivant = false;
  stats_attendues stats;
};

// Checks the bytes of the reply to a request of sorte `s`, line by line (CR
// LF endings, fields, canonical integers, angle text), against `a` and the
// cubes of `m`, by a parser of its own, not the server's encoder. Aborts
// (echec) at the first fault.
void verifie_reponse(sorte s, std::string_view reponse, const attendu& a, const monde& m);

}  // namespace jeu::fuzz
