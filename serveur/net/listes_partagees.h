#pragma once

// List replies assembled from the world's shared encoded blocks: under the
// lock a reader only takes references to blocks (encoding those whose items
// changed since they were last read); the bytes are copied out after.

#include <string>
#include <vector>

#include "net/tampon_sortie.h"
#include "world/monde.h"

namespace jeu {

// A list reply: its header, then the blocks' bytes in order.
struct liste_partagee {
  std::string entete;
  std::vector<texte_partage::bloc> blocs;

  // Appends the whole reply to `sortie`.
  void ajoute(std::string& sortie) const;
  // Hands the reply to `sortie` (the blocks by reference) and empties itself.
  void transmet(tampon_sortie& sortie);
  // Drops the references; keeps little memory.
  void vide();
};

// The replies to "GET VAISSEAUX" and "GET BALLES", byte for byte those of
// ajoute_liste on the lists as they are now. REQUIRES: m.verrou_monde.
void prend_vaisseaux(const monde& m, liste_partagee& l) REQUIRES(m.verrou_monde);
void prend_balles(const monde& m, liste_partagee& l) REQUIRES(m.verrou_monde);
// "GET CUBES": encoded once for the world (the cubes never change).
void prend_cubes(const monde& m, liste_partagee& l) REQUIRES(m.verrou_monde);

}  // namespace jeu
