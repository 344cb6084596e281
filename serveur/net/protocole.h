#pragma once

// The text protocol spoken on every client connection: which lines are
// requests, and the exact bytes of every reply. Pure formatting: no lock, no
// socket, no log decision (callers say whether they want the log text).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include <vector>

#include "world/evenements.h"
#include "world/records.h"
#include "world/scores.h"

namespace jeu {

// The play requests, plus `inconnue` for every other line.
enum class requete {
  balles,
  cubes,
  vaisseaux,
  max_pt_vie,
  rayon_balle,
  rayon_vaisseau,
  taille_plateau,
  statut,
  accelere,
  decelere,
  droite,
  gauche,
  tire,
  quitte,
  // A spectator's requests only: for a player they are syntax errors.
  stats,
  scores,
  evenements,
  flux,  // the tick stream
  inconnue,
};

// The request that `ligne` (the bytes before the LF, CR included) is, by
// exact equality of the whole line with one of the request literals
// ("GET STATUT\r", ..., "GET STATS\r", "GET SCORES\r", "GET EVENEMENTS\r",
// "GET FLUX\r"); any other line, a NUL inside
// included, is requete::inconnue.
requete reconnait_requete(std::string_view ligne);

// The colour of a registration line: "PUT COULEUR VAISSEAU " + the canonical
// integer text of a colour (as texte_entier writes it) + "\r", and nothing
// else. Anything else, a number beyond 64 bits included: nullopt.
std::optional<couleur_t> lit_enregistrement(std::string_view ligne);

// "PUT SPECTATEUR\r", and nothing else: before registering, the connection
// asks to watch without a ship.
bool demande_spectateur(std::string_view ligne);

inline constexpr std::string_view reponse_spectateur = "SPECTATEUR ENREGISTRE\r\n";
inline constexpr std::string_view reponse_statut_spectateur = "PUT STATUT spectateur\r\n";
inline constexpr std::string_view reponse_enregistre = "VAISSEAU ENREGISTRE\r\n";
inline constexpr std::string_view reponse_couleur_utilisee = "ERREUR COULEUR UTILISEE\r\n";
inline constexpr std::string_view reponse_syntaxe = "ERREUR SYNTAXE\r\n";
inline constexpr std::string_view reponse_ok = "OK\r\n";
inline constexpr std::string_view reponse_flux = "PUT FLUX\r\n";
inline constexpr std::string_view reponse_vivant = "PUT STATUT vivant\r\n";
inline constexpr std::string_view reponse_mort = "PUT STATUT mort\r\n";

// Decimal text: "-" for negatives, no "+", no leading zero, "0" for zero.
std::string texte_entier(std::int64_t n);

// The reply to a constant request (max_pt_vie, rayon_balle, rayon_vaisseau,
// taille_plateau), for instance "PUT RAYON BALLE 4\r\n"; built from the
// game's constants, once. Any other request: an empty string.
const std::string& reponse_constante(requete r);

// A whole list reply appended to `sortie`: the header ("PUT VAISSEAUX 2\r\n",
// "PUT BALLES n", "PUT CUBES n"), then one line per item, in order.
// A ship is "x y angle pt_vie couleur": x and y rounded (0.5 added, then
// truncated toward zero), the angle as "%.12g" with "." appended when that
// text holds only digits and "-" (0.0 gives "0.", 1e-05 stays "1e-05").
// A bullet is "x y couleur" and a cube "x1 y1 x2 y2", truncated toward zero.
// Every finite coordinate is written exactly, however large; one that is not
// a number or infinite is written "0".
void ajoute_liste(std::string& sortie, std::span<const vaisseau> vaisseaux);
void ajoute_liste(std::string& sortie, std::span<const balle> balles);
void ajoute_liste(std::string& sortie, std::span<const cube> cubes);

// One item's line of a list reply, CR LF included, appended to `sortie`;
// the format is ajoute_liste's.
void ajoute_ligne(std::string& sortie, const vaisseau& v);
void ajoute_ligne(std::string& sortie, const balle& b);
void ajoute_ligne(std::string& sortie, const cube& c);

// A list reply's header: `mot` ("PUT VAISSEAUX ") + the count + CR LF.
void ajoute_entete(std::string& sortie, std::string_view mot, std::size_t nombre);

// What "GET STATS" reports.
struct etat_serveur {
  double ticks_par_seconde;
  std::int64_t duree_tick_us;
  std::int64_t p99_tick_us;
  std::int64_t joueurs;
  std::int64_t spectateurs;
  std::int64_t vaisseaux;
  std::int64_t balles;
  std::int64_t requetes_par_seconde;
  // Connections closed since the start, by the rule that closed them.
  std::uint64_t fermes_delai = 0;
  std::uint64_t fermes_adresse = 0;
  std::uint64_t fermes_place = 0;
  std::uint64_t fermes_ecriture = 0;
};

// "PUT STATS ticks_s=39.9 tick_us=85 tick_p99_us=140 joueurs=20
// spectateurs=1 vaisseaux=18 balles=40 requetes_s=812 fermes_delai=0
// fermes_adresse=0 fermes_place=0 fermes_ecriture=0\r\n" (one line):
// ticks_s with one decimal, whatever the locale; the others as integers.
void ajoute_stats(std::string& sortie, const etat_serveur& e);

// Sorts the lines in the order of the scores reply: more kills first, then
// fewer deaths, then more hits given, then the smaller colour.
void classe_scores(std::vector<ligne_score>& lignes);

// "PUT SCORES <n>\r\n", then per line "colour kills deaths hits_given
// hits_taken self_hits shots lives ticks_alive best_streak alive\r\n"
// (alive 1 or 0), in the order given.
void ajoute_scores(std::string& sortie, std::span<const ligne_score> lignes);

// One event line: "<tick> TOUCHE <shooter> <target> <life left>",
// "<tick> DETRUIT <shooter> <target>", "<tick> ARRIVE <colour>" or
// "<tick> PART <colour> quitte|deconnecte|detruit", then "\r\n".
void ajoute_evenement(std::string& sortie, const evenement& e);

// "PUT EVENEMENTS <n> <manques>\r\n", then the n event lines.
void ajoute_evenements(std::string& sortie, std::span<const evenement> evenements,
                       std::uint64_t manques);

}  // namespace jeu
