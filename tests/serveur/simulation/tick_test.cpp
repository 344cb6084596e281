#include "simulation/tick.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>

#include "geometry/collisions.h"
#include "geometry/cube_field.h"
#include "support/monde_essai.h"
#include "simulation/actions.h"
#include "simulation/apparition.h"
#include "simulation/balles.h"

namespace jeu {
namespace {

using essai::navire;

TEST(AvanceMonde, BulletsHitBeforeShipsMove) {
  monde m(1);
  VerrouGarde garde(m.verrou_monde);
  // The ship runs away at full speed: the bullet, 12 behind it once moved,
  // still hits because ships move after the bullet step.
  place_vaisseau(m, navire(500, 500, 1, 0.0, 3.0));
  essai::lance(m, {{484.5, 500.0, 0.0, 2}});
  avance_monde(m);
  EXPECT_TRUE(m.balles.empty());
  EXPECT_EQ(m.vaisseaux[0].pt_vie, 4);
  EXPECT_EQ(m.vaisseaux[0].x, 503.0);

  monde vide(1);
  VerrouGarde garde_vide(vide.verrou_monde);
  avance_monde(vide);
  EXPECT_TRUE(vide.vaisseaux.empty());
  EXPECT_TRUE(vide.balles.empty());
}

// The first broken world invariant, or "" when all hold.
std::string invariant_rompu(const monde& m, const std::map<std::uint64_t, vaisseau>& avant)
    REQUIRES(m.verrou_monde) {
  const auto rompu = [](const char* quoi, couleur_t c, double x, double y) {
    std::ostringstream o;
    o << quoi << " " << c << " at (" << x << ", " << y << ")";
    return o.str();
  };
  std::set<couleur_t> couleurs;
  for (const vaisseau& s : m.vaisseaux) {
    const auto ici = [&](const char* quoi) { return rompu(quoi, s.couleur, s.x, s.y); };
    if (!couleurs.insert(s.couleur).second) return ici("colour twice: ship");
    if (s.pt_vie < 1 || s.pt_vie > 5) return ici("life points out of range: ship");
    if (s.vitesse < -2.0 || s.vitesse > 3.0) return ici("speed out of range: ship");
    if (!(s.x >= 9.0 && s.x < 980.0 && s.y >= 9.0 && s.y < 980.0)) return ici("border: ship");
    if (inter_cubes(s.x, s.y, get_cube_inter_segments(m, s.x, s.y))) return ici("cube edge: ship");
    // Cheaper than inside_cube over all cubes: the centre's own cell is free.
    if (m.grille_cubes[static_cast<int>(s.x) / 22 + 1][static_cast<int>(s.y) / 22 + 1]) {
      return ici("inside a cube: ship");
    }
    if (inter_vaisseau(m, s.x, s.y, s.couleur)) return ici("closer than 18 to another: ship");
    if (const auto p = avant.find(s.serie); p != avant.end()) {
      if (std::hypot(s.x - p->second.x, s.y - p->second.y) > 3.0 * std::sqrt(2.0) + 1e-9) {
        return ici("jumped: ship");
      }
    }
  }
  for (const balle& b : m.balles) {
    if (!(b.x >= 4.0 && b.x < 986.0 && b.y >= 4.0 && b.y < 986.0)) {
      return rompu("border: bullet", b.couleur, b.x, b.y);
    }
    if (est_hors_jeu(m, b)) return rompu("in a cube: bullet", b.couleur, b.x, b.y);
  }
  return "";
}

TEST(AvanceMonde, CrowdedRandomWorldKeepsItsInvariants) {
  constexpr int navires = 200;
  constexpr int tours = 2000;
  monde m(42);
  std::mt19937 hasard(4242);
  const auto chance = [&hasard](double p) { return std::bernoulli_distribution(p)(hasard); };
  VerrouGarde garde(m.verrou_monde);
  m.cubes = cree_cubes(m, 200);
  couleur_t prochaine_couleur = 0;
  int detruits = 0;
  int glissades = 0;
  std::size_t balles_max = 0;
  for (int tour = 0; tour < tours; ++tour) {
    while (m.vaisseaux.size() < navires) ASSERT_TRUE(cree_vaisseau(m, prochaine_couleur++));
    if (chance(0.02)) {  // a player leaves
      const vaisseau& s = m.vaisseaux[hasard() % m.vaisseaux.size()];
      detruit_vaisseau(m, identite{s.couleur, s.serie});
    }
    std::map<std::uint64_t, vaisseau> avant;
    for (const vaisseau& s : m.vaisseaux) avant.emplace(s.serie, s);
    const std::vector<vaisseau> joueurs(m.vaisseaux.begin(), m.vaisseaux.end());
    for (const vaisseau& s : joueurs) {
      if (chance(0.05)) traite_action_joueur(m, essai::id_de(s), action::Tire);
      if (chance(0.3)) traite_action_joueur(m, essai::id_de(s), static_cast<action>(1 + hasard() % 4));
    }
    balles_max = std::max(balles_max, m.balles.size());
    avance_monde(m);
    ASSERT_EQ(invariant_rompu(m, avant), "") << "after tick " << tour;
    for (const vaisseau& s : m.vaisseaux) {
      const vaisseau& v = avant.at(s.serie);
      const double x = v.x + std::cos(v.angle) * v.vitesse;
      if (s.x != v.x && s.x != x) ++glissades;
    }
    detruits += static_cast<int>(avant.size() - m.vaisseaux.size());
  }
  // The run must have exercised hits, removals, slides and many bullets.
  EXPECT_GT(detruits, 50);
  EXPECT_GT(glissades, 1000);
  EXPECT_GT(balles_max, 200u);
}

}  // namespace
}  // namespace jeu
