// The tick: its order of steps, its invariants over crowded random worlds,
// and the indexed tick against the reference one (support/tick_litteral.h):
// the same random world is played in both, with the same players' requests,
// and must be the same to the bit after every tick.
#include "simulation/tick.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "geometry/collisions.h"
#include "geometry/cube_field.h"
#include "simulation/actions.h"
#include "simulation/apparition.h"
#include "simulation/balles.h"
#include "simulation/destruction.h"
#include "support/monde_essai.h"
#include "support/tick_litteral.h"
#include "world/flotte.h"
#include "world/munitions.h"

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

// The first broken world invariant, or "" when all hold; `avant` is the
// list of ships before the tick.
std::string invariant_rompu(const monde& m, const std::deque<vaisseau>& avant)
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
    const auto p = std::find_if(avant.begin(), avant.end(),
                                [&s](const vaisseau& t) { return t.serie == s.serie; });
    if (p != avant.end() && std::hypot(s.x - p->x, s.y - p->y) > 3.0 * std::sqrt(2.0) + 1e-9) {
      return ici("jumped: ship");
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

// What a run went through.
struct bilan {
  int detruits = 0, glissades = 0, refus_place = 0, tirs_refuses = 0;
  std::size_t balles_max = 0;
};

// Both worlds, with their cubes.
struct duo {
  explicit duo(std::uint64_t graine) : indexe(graine), reference(graine) {
    VerrouGarde ga(indexe.verrou_monde);
    VerrouGarde gb(reference.verrou_monde);
    indexe.cubes = cree_cubes(indexe, configuration::nb_cubes);
    reference.cubes = cree_cubes(reference, configuration::nb_cubes);
  }
  monde indexe;
  monde reference;
  bilan vu;
};

// How the indexed world differs from the reference, "" when in no way.
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

// One tick of requests, then the tick itself, in both worlds: what went
// wrong, "" when the worlds still match and the invariants hold.
std::string joue_un_tour(monde& a, monde& b, bilan& vu, std::mt19937& hasard, int navires,
                         couleur_t& prochaine_couleur) REQUIRES(a.verrou_monde) REQUIRES(b.verrou_monde) {
  const auto chance = [&hasard](double p) { return std::bernoulli_distribution(p)(hasard); };
  if (a.vaisseaux.size() < static_cast<std::size_t>(navires)) {
    // Now and then a colour already in play: refused without a draw.
    const couleur_t c = chance(0.1) && !a.vaisseaux.empty() ? a.vaisseaux.back().couleur
                                                             : prochaine_couleur++;
    const bool cree = cree_vaisseau(a, c);
    if (cree != litteral::cree_vaisseau(b, c)) return "spawning colour " + std::to_string(c) + " differs";
    vu.refus_place += !cree && c == prochaine_couleur - 1;
  }
  if (chance(0.02) && !a.vaisseaux.empty()) {  // a player leaves
    const vaisseau s = a.vaisseaux[hasard() % a.vaisseaux.size()];
    detruit_vaisseau(a, essai::id_de(s), raison_depart::quitte);
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
      vu.tirs_refuses += a.balles.size() == avant;
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
  vu.balles_max = std::max(vu.balles_max, a.balles.size());
  const std::deque<vaisseau> avant(a.vaisseaux);
  avance_monde(a);
  litteral::avance_monde(b);
  vu.detruits += static_cast<int>(avant.size() - a.vaisseaux.size());
  for (const vaisseau& s : a.vaisseaux) {
    const auto v = std::find_if(avant.begin(), avant.end(),
                                [&s](const vaisseau& t) { return t.serie == s.serie; });
    if (v != avant.end() && s.x != v->x && s.x != v->x + std::cos(v->angle) * v->vitesse) {
      ++vu.glissades;
    }
  }
  return ecart(a, b) + invariant_rompu(a, avant);
}

// Runs long enough to go through hits, removals, slides, refused shots and
// many bullets: 80 players, then 200.
TEST(AvanceMonde, RandomCrowdedWorldsKeepTheInvariantsAndMatchTheReference) {
  const struct {
    std::uint64_t graine;
    int navires, detruits, glissades;
    std::size_t balles;
  } cas[] = {{7, 80, 30, 500, 100}, {42, 200, 50, 1000, 200}};
  for (const auto& c : cas) {
    SCOPED_TRACE(testing::Message() << "seed " << c.graine << ", " << c.navires << " players");
    duo d(c.graine);
    VerrouGarde ga(d.indexe.verrou_monde);
    VerrouGarde gb(d.reference.verrou_monde);
    std::mt19937 hasard(static_cast<std::mt19937::result_type>(c.graine));
    couleur_t prochaine_couleur = 0;
    for (int tour = 0; tour < 2000; ++tour) {
      ASSERT_EQ(joue_un_tour(d.indexe, d.reference, d.vu, hasard, c.navires, prochaine_couleur), "")
          << "tick " << tour;
    }
    EXPECT_GT(d.vu.detruits, c.detruits);
    EXPECT_GT(d.vu.glissades, c.glissades);
    EXPECT_GT(d.vu.tirs_refuses, 0);
    EXPECT_GT(d.vu.balles_max, c.balles);
  }
}

// A full arena: spawns run their whole placement loop and are refused, and
// ships packed 18 apart slide against each other.
TEST(AvanceMonde, FullArenaMatchesTheReference) {
  duo d(99);
  VerrouGarde ga(d.indexe.verrou_monde);
  VerrouGarde gb(d.reference.verrou_monde);
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
    const int navires = static_cast<int>(d.indexe.vaisseaux.size());
    ASSERT_EQ(joue_un_tour(d.indexe, d.reference, d.vu, hasard, navires, couleur), "") << "tick " << tour;
  }
  EXPECT_GT(d.vu.glissades, 100);
  EXPECT_GE(d.vu.refus_place, 3);
}

}  // namespace
}  // namespace jeu
