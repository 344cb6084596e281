#pragma once

// Framing of the server's reply stream. A reply is one line, except the
// list replies "PUT BALLES n", "PUT CUBES n" and "PUT VAISSEAUX n", which are
// followed by n item lines. Lines end in LF, a CR before it is dropped.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace jeu::charge {

struct reponse {
  // The reply's first line without its line end; only its first
  // decodeur_reponses::prefixe_garde bytes are kept.
  std::string_view entete;
  // The first line begins with "ERREUR" or "-ERR".
  bool erreur;
};

// Cuts a byte stream, given in pieces of any size, into replies.
class decodeur_reponses {
 public:
  // Bytes of a line kept: enough to recognise any header line; item lines
  // and long lines are skipped past without being stored.
  static constexpr std::size_t prefixe_garde = 64;

  // Consumes all of `octets`, calling `rappel` once per completed reply, in
  // order; the reply's entete is valid only during the call.
  void ajoute(std::string_view octets, const std::function<void(const reponse&)>& rappel);
  // Some byte of a reply not yet complete has arrived.
  bool en_cours() const { return !ligne_.empty() || dans_ligne_ || lignes_restantes_ > 0; }

 private:
  void fin_de_ligne(const std::function<void(const reponse&)>& rappel);

  std::string ligne_;             // beginning of the current line
  bool dans_ligne_ = false;       // bytes of the current line arrived
  std::size_t lignes_restantes_ = 0;  // item lines still expected
  std::string entete_;            // header of the list reply being read
  bool entete_erreur_ = false;
};

// Item lines announced by a list header ("PUT CUBES 200" -> 200), or 0 for
// any other line, a malformed count included.
std::size_t lignes_annoncees(std::string_view entete);

// A reply whose first line is `entete` reports an error.
bool est_erreur(std::string_view entete);

}  // namespace jeu::charge
