// The indexed tick against the reference one (support/tick_litteral.h): the
// same random world is played in both, with the same players' requests, and
// must be the same to the bit after every tick.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "geometry/collisions.h"
#include "geometry/cube_field.h"
#include "simulation/apparition.h"
#include "simulation/destruction.h"
#include "simulation/tick.h"
#include "support/monde_essai.h"
#include "support/tick_litteral.h"
#include "world/flotte.h"
#include "world/munitions.h"

namespace jeu {
namespace {

// What a run went through.
struct bilan {
  int detruits = 0, glissades = 0, refus_place = 0, tirs_refuses = 0;
};

// Both worlds.
struct duo {
  explicit duo(std::uint64_t graine) : indexe(graine), reference(graine) {}
  monde indexe;
  monde reference;
  bilan vu;
};

std::string ecart(monde& a, monde& b) REQUIRES(a.verrou_monde) REQUIRES(b.verrou_monde) {
  std::ostringstream o;
  o.precision(17);
  if (a.alea.tirages() != b.alea.tirages()) o << "draws " << a.alea.tirages() << " vs " << b.alea.tirages();
  if (a.prochaine_serie != b.prochaine_serie) o << " next serial differs";
  if (a.vaisseaux.size() != b.vaisseaux.size()) {
    o << " ships " << a.vaisseaux.size() << " vs " << b.vaisseaux.size();
  } else {
    for (std::size_t k = 0; k < a.vaisseaux.size(); ++k) {
      const vaisseau& s = a.vaisseaux[k];
      const vaisseau& t = b.vaisseaux[k];
      if (!essai::meme(s, t)) {
        o << " ship " << k << ": (" << s.x << ", " << s.y << ") " << s.pt_vie << " serial "
          << s.serie << " vs (" << t.x << ", " << t.y << ") " << t.pt_vie << " serial " << t.serie;
        break;
      }
    }
  }
  const auto cle = [](const balle& x) { return std::tie(x.x, x.y, x.angle, x.couleur); };
  if (!std::equal(a.balles.begin(), a.balles.end(), b.balles.begin(), b.balles.end(),
                  [&](const balle& x, const balle& y) { return cle(x) == cle(y); })) {
    o << " bullets differ (" << a.balles.size() << " vs " << b.balles.size() << ")";
  }
  // The indexed world's own bookkeeping.
  o << essai::incoherences(a);
  return o.str();
}

// A bullet placed so that, after its next move, the point tested against a
// cube lies exactly on one of the cube's sides (bounds are inclusive).
balle balle_au_bord(int i, int j, int cote) {
  const double x = 22.0 * i;
  const double y = 22.0 * j;
  const double pi = std::numbers::pi;
  switch (cote) {
    case 0: return {x + 22.5, y + 11.5, 0.0, -1};          // reaches x2 from the right
    case 1: return {x - 0.5, y + 11.5, pi, -1};            // reaches x1 from the left
    case 2: return {x + 11.5, y + 22.5, pi / 2, -1};       // reaches y2 from below
    default: return {x + 11.5, y - 0.5, -pi / 2, -1};      // reaches y1 from above
  }
}

// One tick of requests, then the tick itself, in both worlds.
void joue_un_tour(monde& a, monde& b, bilan& d, std::mt19937& hasard, int navires,
                  couleur_t& prochaine_couleur) REQUIRES(a.verrou_monde) REQUIRES(b.verrou_monde) {
  const auto chance = [&hasard](double p) { return std::bernoulli_distribution(p)(hasard); };
  if (a.vaisseaux.size() < static_cast<std::size_t>(navires)) {
    // Now and then a colour already in play: refused without a draw.
    const couleur_t c = chance(0.1) && !a.vaisseaux.empty() ? a.vaisseaux.back().couleur
                                                             : prochaine_couleur++;
    const bool cree = cree_vaisseau(a, c);
    ASSERT_EQ(cree, litteral::cree_vaisseau(b, c));
    d.refus_place += !cree && c == prochaine_couleur - 1;
  }
  if (chance(0.02) && !a.vaisseaux.empty()) {  // a player leaves
    const vaisseau s = a.vaisseaux[hasard() % a.vaisseaux.size()];
    detruit_vaisseau(a, essai::id_de(s));
    litteral::detruit_vaisseau(b, s.couleur);
  }
  const std::vector<vaisseau> joueurs(a.vaisseaux.begin(), a.vaisseaux.end());
  for (const vaisseau& s : joueurs) {
    // The oldest player fires in bursts, enough to reach the bound.
    const int tirs = s.serie == joueurs.back().serie ? 40 : chance(0.05) ? 1 : 0;
    for (int k = 0; k < tirs; ++k) {
      const std::size_t avant = a.balles.size();
      traite_action_joueur(a, essai::id_de(s), action::Tire);
      litteral::traite_action_joueur(b, s.couleur, action::Tire);
      d.tirs_refuses += a.balles.size() == avant;
    }
    if (chance(0.3)) {
      const action geste = static_cast<action>(1 + hasard() % 4);
      traite_action_joueur(a, essai::id_de(s), geste);
      litteral::traite_action_joueur(b, s.couleur, geste);
    }
  }
  if (chance(0.3) && !a.cubes.empty()) {
    const cube& k = a.cubes[hasard() % a.cubes.size()];
    const balle bord = balle_au_bord(static_cast<int>(k.x1 / 22), static_cast<int>(k.y1 / 22),
                                     static_cast<int>(hasard() % 4));
    ajoute_balle(a, bord);
    b.balles.push_front(bord);
  }
  const std::deque<vaisseau> avant(a.vaisseaux);
  avance_monde(a);
  litteral::avance_monde(b);
  d.detruits += static_cast<int>(avant.size() - a.vaisseaux.size());
  for (const vaisseau& s : a.vaisseaux) {
    const auto v = std::find_if(avant.begin(), avant.end(),
                                [&s](const vaisseau& t) { return t.serie == s.serie; });
    if (v != avant.end() && s.x != v->x && s.x != v->x + std::cos(v->angle) * v->vitesse) {
      ++d.glissades;
    }
  }
}

TEST(TickDifferentiel, RandomCrowdedWorldsMatchTheReferenceAfterEveryTick) {
  for (std::uint64_t graine : {7u}) {
    duo d(graine);
    VerrouGarde ga(d.indexe.verrou_monde);
    VerrouGarde gb(d.reference.verrou_monde);
    d.indexe.cubes = cree_cubes(d.indexe, configuration::nb_cubes);
    d.reference.cubes = cree_cubes(d.reference, configuration::nb_cubes);
    std::mt19937 hasard(static_cast<std::mt19937::result_type>(graine));
    couleur_t prochaine_couleur = 0;
    for (int tour = 0; tour < 2000; ++tour) {
      joue_un_tour(d.indexe, d.reference, d.vu, hasard, 80, prochaine_couleur);
      ASSERT_EQ(ecart(d.indexe, d.reference), "") << "seed " << graine << ", tick " << tour;
    }
    EXPECT_GT(d.vu.detruits, 30) << "seed " << graine;
    EXPECT_GT(d.vu.glissades, 500) << "seed " << graine;
    EXPECT_GT(d.vu.tirs_refuses, 0) << "seed " << graine;
  }
}

// A full arena: spawns run their whole placement loop and are refused, and
// ships packed 18 apart slide against each other.
TEST(TickDifferentiel, FullArenaMatchesTheReference) {
  duo d(99);
  VerrouGarde ga(d.indexe.verrou_monde);
  VerrouGarde gb(d.reference.verrou_monde);
  d.indexe.cubes = cree_cubes(d.indexe, configuration::nb_cubes);
  d.reference.cubes = cree_cubes(d.reference, configuration::nb_cubes);
  std::mt19937 hasard(99);
  std::uniform_real_distribution<double> angle(0.0, 6.28);
  std::uniform_real_distribution<double> vitesse(configuration::vitesse_min,
                                                 configuration::vitesse_max);
  couleur_t couleur = 0;
  const double pas_y = 18.0 * std::sqrt(3.0) / 2.0 + 1e-9;
  for (int rang = 0; 9.0 + rang * pas_y < 980.0; ++rang) {
    for (double x = 9.0 + (rang % 2) * 9.0; x < 980.0; x += 18.0) {
      const double y = 9.0 + rang * pas_y;
      if (inter_cubes(x, y, get_cube_inter_segments(d.indexe, x, y)) ||
          inside_cube(x, y, d.indexe.cubes)) {
        continue;
      }
      const vaisseau& s = place_vaisseau(d.indexe, {x, y, angle(hasard), vitesse(hasard), 5, couleur++, 0});
      d.reference.vaisseaux.push_front(s);
      d.reference.prochaine_serie = d.indexe.prochaine_serie;
    }
  }
  ASSERT_EQ(ecart(d.indexe, d.reference), "");
  // Newcomers fill the gaps until the arena refuses.
  for (int refus = 0; refus < 3; ++couleur) {
    const bool cree = cree_vaisseau(d.indexe, couleur);
    ASSERT_EQ(cree, litteral::cree_vaisseau(d.reference, couleur));
    refus = cree ? 0 : refus + 1;
    d.vu.refus_place += !cree;
    ASSERT_EQ(ecart(d.indexe, d.reference), "") << "colour " << couleur;
  }
  for (int tour = 0; tour < 10; ++tour) {
    const std::size_t avant = d.indexe.vaisseaux.size();
    joue_un_tour(d.indexe, d.reference, d.vu, hasard, static_cast<int>(avant), couleur);
    ASSERT_EQ(ecart(d.indexe, d.reference), "") << "tick " << tour;
  }
  EXPECT_GT(d.vu.glissades, 100);
  EXPECT_GE(d.vu.refus_place, 3);
}

}  // namespace
}  // namespace jeu
