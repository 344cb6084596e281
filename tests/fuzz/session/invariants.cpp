#include "invariants.h"

#include <algorithm>
#include <cmath>

#include "config/configuration.h"
#include "echec.h"

namespace jeu::fuzz {

namespace cfg = jeu::configuration;

namespace {

// The cell of a coordinate, clamped (NaN to 0): monotone, so a point strictly
// inside a cube lies in a cell between those of the cube's two edges.
int cellule(double v, int n) {
  const double c = v / cfg::taille_cube;
  if (!(c >= 0.0)) return 0;
  if (c >= n - 1) return n - 1;
  return static_cast<int>(c);
}

}  // namespace

invariants::invariants(const monde& m)
    : cubes_(m.cubes), par_cellule_(static_cast<std::size_t>(cellules) * cellules) {
  verifie(cubes_.size() < 65536, "too many cubes");
  for (std::size_t k = 0; k < cubes_.size(); ++k) {
    const cube& c = cubes_[k];
    for (int i = cellule(c.x1, cellules); i <= cellule(c.x2, cellules); ++i) {
      for (int j = cellule(c.y1, cellules); j <= cellule(c.y2, cellules); ++j) {
        par_cellule_[static_cast<std::size_t>(i) * cellules + j].push_back(
            static_cast<std::uint16_t>(k));
      }
    }
  }
}

bool invariants::dans_un_cube(double x, double y) const {
  for (std::uint16_t k :
       par_cellule_[static_cast<std::size_t>(cellule(x, cellules)) * cellules +
                    cellule(y, cellules)]) {
    const cube& c = cubes_[k];
    if (x > c.x1 && x < c.x2 && y > c.y1 && y < c.y2) return true;
  }
  return false;
}

void invariants::verifie_monde(const monde& m, std::size_t max_vaisseaux, bool apres_tick) {
  verifie(m.cubes.size() == cubes_.size(), "the cube field changed");
  verifie(m.vaisseaux.size() <= max_vaisseaux, "more ships than playing clients");
  const vaisseau* precedent = nullptr;
  for (const vaisseau& v : m.vaisseaux) {
    verifie(v.pt_vie >= 1 && v.pt_vie <= cfg::max_pt_vie, "ship life out of range");
    verifie(v.vitesse >= cfg::vitesse_min && v.vitesse <= cfg::vitesse_max,
            "ship speed out of range");
    verifie(std::isfinite(v.angle), "ship angle not finite");
    verifie(v.x >= cfg::rayon_vaisseau && v.x < cfg::largeur_plateau - 1 - cfg::rayon_vaisseau &&
                v.y >= cfg::rayon_vaisseau &&
                v.y < cfg::hauteur_plateau - 1 - cfg::rayon_vaisseau,
            "ship outside the arena margins");
    verifie(!dans_un_cube(v.x, v.y), "ship centre inside a cube");
    verifie(precedent == nullptr || v.serie < precedent->serie,
            "ships not in descending serial order");
    verifie(v.serie >= 1 && v.serie < m.prochaine_serie, "ship serial never handed out");
    precedent = &v;
  }
  // Few ships (checked above): every pair.
  for (std::size_t i = 0; i < m.vaisseaux.size(); ++i) {
    for (std::size_t k = i + 1; k < m.vaisseaux.size(); ++k) {
      verifie(m.vaisseaux[i].couleur != m.vaisseaux[k].couleur, "two ships share a colour");
    }
  }

  for (auto& [couleur, n] : comptes_) n = 0;
  // Bullets of one colour often follow each other (fired in a row): the
  // count of the last colour is kept at hand.
  couleur_t derniere = 0;
  int* compte = nullptr;
  for (const balle& b : m.balles) {
    if (compte == nullptr || b.couleur != derniere) {
      derniere = b.couleur;
      compte = &comptes_[derniere];
    }
    ++*compte;
    if (apres_tick) {
      verifie(b.x - cfg::rayon_balle >= 0 && b.x + cfg::rayon_balle < cfg::largeur_plateau &&
                  b.y - cfg::rayon_balle >= 0 &&
                  b.y + cfg::rayon_balle < cfg::hauteur_plateau,
              "bullet outside the arena after a tick");
    }
  }
  const auto couleurs = static_cast<std::size_t>(
      std::count_if(comptes_.begin(), comptes_.end(), [](const auto& e) { return e.second > 0; }));
  verifie(couleurs == m.balles_par_couleur.size(), "bullet counts: colours differ");
  for (const auto& [couleur, n] : m.balles_par_couleur) {
    const auto c = comptes_.find(couleur);
    verifie(c != comptes_.end() && c->second == n, "bullet count per colour wrong");
    verifie(n >= 1 && n <= cfg::max_balles_par_vaisseau, "bullet count per colour out of range");
  }
}

void invariants::verifie_index(const monde& m) {
  verifie(m.index.size() == m.vaisseaux.size(), "index and ship list differ in size");
  for (const vaisseau& v : m.vaisseaux) {
    const bool trouve = m.index.cherche(v.x, v.y, 0.0, [&](const repere_vaisseau& r) {
      return r.serie == v.serie && r.couleur == v.couleur && r.x == v.x && r.y == v.y;
    });
    verifie(trouve, "listed ship not in the index where it stands");
  }
}

void invariants::verifie_index_entier(const monde& m) {
  const std::vector<repere_vaisseau> reperes = m.index.tous();
  verifie(reperes.size() == m.vaisseaux.size() && m.index.size() == m.vaisseaux.size(),
          "index and ship list differ in size");
  for (std::size_t i = 0; i < reperes.size(); ++i) {
    const repere_vaisseau& r = reperes[i];
    for (std::size_t k = i + 1; k < reperes.size(); ++k) {
      verifie(reperes[k].serie != r.serie, "a ship indexed twice");
    }
    verifie(std::any_of(m.vaisseaux.begin(), m.vaisseaux.end(),
                        [&](const vaisseau& v) {
                          return v.serie == r.serie && v.couleur == r.couleur && v.x == r.x &&
                                 v.y == r.y;
                        }),
            "indexed ship not in the list, or elsewhere");
  }
}

}  // namespace jeu::fuzz
