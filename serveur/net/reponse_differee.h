#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "net/listes_partagees.h"
#include "net/protocole.h"
#include "net/tampon_sortie.h"
#include "world/monde.h"

namespace jeu {

// The reply to the request just handled, kept from under the world lock to
// after it: a text known at once, or references to the shared encoded lines
// of a list, taken under the lock and copied out once it is released. One
// per session; no lock of its own. Between requests it keeps no list.
class reponse_differee {
 public:
  void texte(std::string_view t);
  // The list as it is now. REQUIRES: m.verrou_monde.
  void vaisseaux(const monde& m) REQUIRES(m.verrou_monde);
  void balles(const monde& m) REQUIRES(m.verrou_monde);
  void cubes(const monde& m) REQUIRES(m.verrou_monde);
  void stats(const etat_serveur& e);
  // Every colour's scores as they are now, ranked once the lock is released.
  // REQUIRES: m.verrou_monde.
  void scores(const monde& m) REQUIRES(m.verrou_monde);
  // The events numbered from `depuis` on; returns the number the next call
  // starts from. REQUIRES: m.verrou_monde.
  std::uint64_t evenements(const monde& m, std::uint64_t depuis) REQUIRES(m.verrou_monde);

  // Formats the reply now (to log it whole, say); it stays the reply.
  const std::string& formate();

  // Appends the reply to `sortie` and forgets it.
  void ajoute(std::string& sortie);
  void ajoute(tampon_sortie& sortie);

 private:
  enum class attente { texte, liste, stats, scores, evenements };
  attente en_attente_ = attente::texte;
  std::string texte_;
  liste_partagee liste_;
  etat_serveur etat_{};
  // Copied under the lock, formatted after it.
  std::vector<ligne_score> scores_;
  std::vector<evenement> evenements_;
  std::uint64_t manques_ = 0;
};

}  // namespace jeu
