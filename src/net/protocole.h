#pragma once

// The text protocol spoken on every client connection: which lines are
// requests, and the exact bytes of every reply. Pure formatting: no lock, no
// socket, no log decision (callers say whether they want the log text).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "world/records.h"

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
  inconnue,
};

// The play request that `ligne` (the bytes before the LF, CR included) is,
// by exact equality of the whole line with one of the fourteen request
// literals ("GET STATUT\r", ...); any other line, a NUL inside included, is
// requete::inconnue.
requete reconnait_requete(std::string_view ligne);

// The colour of a registration line: "PUT COULEUR VAISSEAU " + the canonical
// integer text of a colour (as texte_entier writes it) + "\r", and nothing
// else. Anything else, a number beyond 64 bits included: nullopt.
std::optional<couleur_t> lit_enregistrement(std::string_view ligne);

inline constexpr std::string_view reponse_enregistre = "VAISSEAU ENREGISTRE\r\n";
inline constexpr std::string_view reponse_couleur_utilisee = "ERREUR COULEUR UTILISEE\r\n";
inline constexpr std::string_view reponse_syntaxe = "ERREUR SYNTAXE\r\n";
inline constexpr std::string_view reponse_ok = "OK\r\n";
inline constexpr std::string_view reponse_vivant = "PUT STATUT vivant\r\n";
inline constexpr std::string_view reponse_mort = "PUT STATUT mort\r\n";

// Decimal text: "-" for negatives, no "+", no leading zero, "0" for zero.
std::string texte_entier(std::int64_t n);

// `v` truncated toward zero, as integer text: 9.7 gives "9", -0.7 gives "0".
// Every finite value is written exactly, however large (1e20 gives
// "100000000000000000000"); a value that is not a number or infinite gives
// "0". Never undefined behaviour.
std::string texte_tronque(double v);

// "%.12g", then "." appended when the text holds only digits and "-":
// 0.0 gives "0.", 3.0 "3.", 1.5 "1.5", 0.00001 "1e-05".
std::string texte_angle(double v);

// The reply to a constant request (max_pt_vie, rayon_balle, rayon_vaisseau,
// taille_plateau), for instance "PUT RAYON BALLE 4\r\n"; built from the
// game's constants. Any other request: an empty string.
std::string reponse_constante(requete r);

// The header of a list reply: "PUT BALLES 3\r\n" for (requete::balles, 3).
// `r` must be balles, cubes or vaisseaux.
std::string entete_liste(requete r, std::size_t nombre);

// The same texts appended to `sortie`, without a temporary string.
void ajoute_entier(std::string& sortie, std::int64_t n);
void ajoute_tronque(std::string& sortie, double v);
void ajoute_angle(std::string& sortie, double v);

// One item line, "\r\n" included: a ship is "x y angle pt_vie couleur" with
// x and y rounded (0.5 added, then truncated); a bullet "x y couleur" and a
// cube "x1 y1 x2 y2", truncated.
std::string ligne_vaisseau(const vaisseau& v);
std::string ligne_balle(const balle& b);
std::string ligne_cube(const cube& c);
void ajoute_vaisseau(std::string& sortie, const vaisseau& v);
void ajoute_balle(std::string& sortie, const balle& b);
void ajoute_cube(std::string& sortie, const cube& c);

// Append the item's line to `reponse` and, when `journal` is given, the same
// line preceded by two spaces to `*journal` (the debug log of list replies).
void envoie_vaisseau(const vaisseau& v, std::string& reponse, std::string* journal);
void envoie_balle(const balle& b, std::string& reponse, std::string* journal);
void envoie_cube(const cube& c, std::string& reponse, std::string* journal);

}  // namespace jeu
