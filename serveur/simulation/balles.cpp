#include "simulation/balles.h"

#include <cmath>

#include "simulation/cibles.h"
#include "world/comptes.h"
#include "world/munitions.h"
#include "world/plage_cellules.h"

namespace jeu {

using namespace configuration;

namespace {

// Whether the bullet hits a ship in play: the first one in reach loses
// degats_balle life points and, left with none, is retired.
bool impact(monde& m, cibles& navires, const balle& b) REQUIRES(m.verrou_monde) {
  const int rang = navires.touche(b.x, b.y);
  if (rang < 0) return false;
  vaisseau& s = navires.navire(rang);
  s.pt_vie = s.pt_vie - degats_balle;
  if (s.pt_vie <= 0) navires.retire(rang);
  compte_touche(m, b.couleur, s.couleur, s.pt_vie);
  return true;
}

}  // namespace

void mise_a_jour_balles(monde& m) {
  // Moving and filtering every bullet before any hit, or each bullet in turn
  // as here, gives the same world: a bullet's move and its cube test read no
  // ship, and each hit sees the hits of the bullets before it either way.
  const std::size_t n = m.balles.size();
  if (n == 0) return;
  // Hits take life points: the ships' lines may change.
  m.texte_vaisseaux.tout_change();
  // No ship leaves the list before the end of the step, so the targets hold
  // their addresses; a destroyed ship is only retired from them until then.
  cibles navires(m.vaisseaux);
  balle* const balles = m.balles.donnees();
  pas_balle* const pas = m.balles.pas();
  std::size_t garde = 0;
  for (std::size_t k = 0; k < n; ++k) {
    balle b = balles[k];
    // The same sums as x + cos(angle) * vitesse_balle: the product is only
    // computed earlier.
    b.x = b.x + pas[k].dx;
    b.y = b.y + pas[k].dy;
    if (hors_arene(b) || (m.abords.peut_toucher(b.x, b.y) && est_hors_jeu(m, b)) ||
        impact(m, navires, b)) {
      decompte_balle(m, b.couleur);
      continue;
    }
    balles[garde] = b;
    pas[garde] = pas[k];
    ++garde;
  }
  m.balles.garde_premieres(garde);
  if (!navires.aucun_retire()) detruit_vaisseaux_marques(m, navires.retires());
}

bool hors_arene(const balle& b) {
  return b.x - rayon_balle < 0 || b.x + rayon_balle >= largeur_plateau ||
         b.y - rayon_balle < 0 || b.y + rayon_balle >= hauteur_plateau;
}

bool touche_cube(const balle& b, const cube& k) {
  const double cx = (k.x1 + k.x2 + 1.0) / 2.0;
  const double cy = (k.y1 + k.y2 + 1.0) / 2.0;
  double px = 0.0;
  double py = 0.0;
  if (b.x == cx) {
    px = b.x;
    py = b.y >= cy ? b.y - rayon_balle : b.y + rayon_balle;
  } else {
    const double a = (b.y - cy) / (b.x - cx);
    const double u = std::sqrt(rayon_balle * rayon_balle / (a * a + 1.0));
    if (b.x > cx) {
      px = b.x - u;
      py = b.y - a * u;
    } else {
      px = b.x + u;
      py = b.y + a * u;
    }
  }
  return k.x1 <= px && px <= k.x2 && k.y1 <= py && py <= k.y2;
}

bool est_hors_jeu(const monde& m, const balle& b) {
  // The tested point lies on the bullet's circle, up to rounding far below
  // the margin of portee_cubes.
  const plage_cellules ci =
      cellules_de(b.x - portee_cubes, b.x + portee_cubes, derniere_cellule_x);
  const plage_cellules cj =
      cellules_de(b.y - portee_cubes, b.y + portee_cubes, derniere_cellule_y);
  for (int i = ci.premiere; i <= ci.derniere; ++i) {
    for (int j = cj.premiere; j <= cj.derniere; ++j) {
      if (!m.grille_cubes[i + 1][j + 1]) continue;
      const double x = static_cast<double>(i) * taille_cube;
      const double y = static_cast<double>(j) * taille_cube;
      if (touche_cube(b, {x, y, x + taille_cube, y + taille_cube})) return true;
    }
  }
  return false;
}

}  // namespace jeu
