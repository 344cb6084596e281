#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "net/protocole.h"
#include "world/liste_balles.h"
#include "world/records.h"

namespace jeu {

// The reply to the request just handled, kept from under the world lock to
// after it: a text known at once, or what a list reply needs, copied under
// the lock and formatted once it is released, so formatting never delays
// the other sessions. One per session; no lock of its own.
class reponse_differee {
 public:
  void texte(std::string_view t);
  // Copy the list now: the caller holds the lock that guards it.
  void vaisseaux(const std::deque<vaisseau>& v);
  void balles(const liste_balles& b);
  // The cubes never change: their reply is built on the first call only.
  void cubes(const std::vector<cube>& c);
  void stats(const etat_serveur& e);

  // Formats the reply now (to log it whole, say); it stays the reply.
  const std::string& formate();

  // Appends the reply to `sortie` and forgets it.
  void ajoute(std::string& sortie);

 private:
  enum class attente { texte, vaisseaux, balles, cubes, stats };
  attente en_attente_ = attente::texte;
  std::string texte_;
  std::vector<vaisseau> copie_vaisseaux_;
  std::vector<balle> copie_balles_;
  etat_serveur etat_{};
  std::string reponse_cubes_;
};

}  // namespace jeu
