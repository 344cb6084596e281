#include "bots/comportement.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace jeu::bots {

using jeu_client::cube;
using jeu_client::requete;
using jeu_client::vaisseau;

namespace {

// The game's constants (docs/protocole.md).
constexpr double pas_rotation = 0.15;
constexpr double pas_vitesse = 0.1;
constexpr double vitesse_max = 3.0;
constexpr double vitesse_min = -2.0;
constexpr double rayon_vaisseau = 9.0;
constexpr double rayon_balle = 4.0;
constexpr double cote_plateau = 990.0;

// Turns sent in one frame at most: 0.6 rad, so a turn stays smooth to watch.
constexpr int tours_max = 4;
constexpr double portee_chasseur = 350.0;
constexpr double portee_tourelle = 700.0;

double distance(const vaisseau& a, const vaisseau& b) { return std::hypot(b.x - a.x, b.y - a.y); }

// Rotations toward `ecart` (positive: GAUCHE), at most tours_max.
int tours_vers(double ecart) {
  const int n = static_cast<int>(std::lround(ecart / pas_rotation));
  return std::clamp(n, -tours_max, tours_max);
}

void tourne(std::vector<requete>& actions, int tours) {
  for (int i = 0; i < std::abs(tours); ++i) {
    actions.push_back(tours > 0 ? requete::gauche : requete::droite);
  }
}

// Fires when, after the turns, the shot passes within a ship's radius of
// the target's centre.
// (The caller has checked that no cube stands in the line of fire.)
void tire_si_aligne(std::vector<requete>& actions, double ecart, int tours, double d,
                    double portee) {
  const double reste = std::abs(ecart - tours * pas_rotation);
  if (d <= portee && reste < std::numbers::pi / 2 && d * std::sin(reste) < rayon_vaisseau) {
    actions.push_back(requete::tire);
  }
}

// Whether the way ahead, `longueur` units along `angle` from `moi`, is clear.
bool voie_libre(const vaisseau& moi, double angle, double longueur, std::span<const cube> cubes) {
  for (double l = 4.0; l <= longueur; l += 4.0) {
    if (bloque(moi.x + l * std::cos(angle), moi.y + l * std::sin(angle), cubes, 2.0)) return false;
  }
  return true;
}

void vise_vitesse(std::vector<requete>& actions, double vitesse, double voulue) {
  for (int i = 0; i < 5 && std::abs(voulue - vitesse) > pas_vitesse / 2; ++i) {
    const requete a = voulue > vitesse ? requete::accelere : requete::decelere;
    actions.push_back(a);
    vitesse = vitesse_apres(vitesse, a);
  }
}

}  // namespace

std::optional<comportement> lit_comportement(std::string_view mot) {
  if (mot == "tourelle") return comportement::tourelle;
  if (mot == "chasseur") return comportement::chasseur;
  return std::nullopt;
}

std::string_view nom(comportement c) {
  return c == comportement::tourelle ? "tourelle" : "chasseur";
}

double ecart_angle(double cible, double angle) {
  double e = std::remainder(cible - angle, 2 * std::numbers::pi);
  if (e <= -std::numbers::pi) e += 2 * std::numbers::pi;
  return e;
}

const vaisseau* plus_proche(const vaisseau& moi, std::span<const vaisseau> vaisseaux) {
  const vaisseau* meilleur = nullptr;
  for (const vaisseau& v : vaisseaux) {
    if (v.couleur == moi.couleur) continue;
    if (!meilleur || distance(moi, v) < distance(moi, *meilleur)) meilleur = &v;
  }
  return meilleur;
}

bool tir_libre(double x1, double y1, double x2, double y2, std::span<const cube> cubes) {
  // The segment against each cube grown by a bullet's radius (slabs).
  return std::none_of(cubes.begin(), cubes.end(), [&](const cube& c) {
    double debut = 0.0;
    double fin = 1.0;
    const auto coupe = [&](double p, double d, double bas, double haut) {
      if (d == 0.0) return p >= bas && p <= haut;
      double t1 = (bas - p) / d;
      double t2 = (haut - p) / d;
      if (t1 > t2) std::swap(t1, t2);
      debut = std::max(debut, t1);
      fin = std::min(fin, t2);
      return debut <= fin;
    };
    return coupe(x1, x2 - x1, c.x1 - rayon_balle, c.x2 + rayon_balle) &&
           coupe(y1, y2 - y1, c.y1 - rayon_balle, c.y2 + rayon_balle);
  });
}

const vaisseau* plus_proche_en_vue(const vaisseau& moi, std::span<const vaisseau> vaisseaux,
                                   std::span<const cube> cubes) {
  const vaisseau* meilleur = nullptr;
  for (const vaisseau& v : vaisseaux) {
    if (v.couleur == moi.couleur) continue;
    if (meilleur && distance(moi, v) >= distance(moi, *meilleur)) continue;
    if (tir_libre(moi.x, moi.y, v.x, v.y, cubes)) meilleur = &v;
  }
  return meilleur;
}

bool bloque(double x, double y, std::span<const cube> cubes, double marge) {
  const double r = rayon_vaisseau + marge;
  if (x - r < 0 || y - r < 0 || x + r >= cote_plateau || y + r >= cote_plateau) return true;
  return std::any_of(cubes.begin(), cubes.end(), [&](const cube& c) {
    const double dx = std::max({c.x1 - x, 0.0, x - c.x2});
    const double dy = std::max({c.y1 - y, 0.0, y - c.y2});
    return dx * dx + dy * dy < r * r;
  });
}

double vitesse_apres(double vitesse, requete a) {
  if (a == requete::accelere) return std::min(vitesse + pas_vitesse, vitesse_max);
  if (a == requete::decelere) return std::max(vitesse - pas_vitesse, vitesse_min);
  return vitesse;
}

std::vector<requete> decide(comportement c, const vaisseau& moi, double vitesse,
                            std::span<const vaisseau> vaisseaux, std::span<const cube> cubes) {
  std::vector<requete> actions;
  // Only a ship in the line of fire is worth a shot: a bullet that meets a
  // cube is lost, and a robot aiming at a ship behind one would fire into it
  // for ever.
  const vaisseau* en_vue = plus_proche_en_vue(moi, vaisseaux, cubes);
  if (c == comportement::tourelle) {
    vise_vitesse(actions, vitesse, 0.0);
    // Nothing in sight: it faces the nearest ship, without firing, for when
    // that ship comes out.
    const vaisseau* cible = en_vue ? en_vue : plus_proche(moi, vaisseaux);
    if (!cible) return actions;
    const double ecart = ecart_angle(std::atan2(cible->y - moi.y, cible->x - moi.x), moi.angle);
    const int tours = tours_vers(ecart);
    tourne(actions, tours);
    if (en_vue) tire_si_aligne(actions, ecart, tours, distance(moi, *cible), portee_tourelle);
    return actions;
  }

  // Chasseur: toward the nearest ship in sight within range, else the
  // nearest ship, or straight on when there is none; around a cube by the
  // side nearest that direction.
  const vaisseau* proche = plus_proche(moi, vaisseaux);
  const vaisseau* cible =
      en_vue && distance(moi, *en_vue) <= portee_chasseur ? en_vue : proche;
  const bool visible = cible && cible == en_vue;
  const double voulu = cible ? std::atan2(cible->y - moi.y, cible->x - moi.x) : moi.angle;
  double ecart = ecart_angle(voulu, moi.angle);
  const double regard = 20.0 + 8.0 * std::max(vitesse, 1.0);
  bool libre = voie_libre(moi, moi.angle + ecart, regard, cubes);
  if (!libre) {
    for (const double detour : {0.45, 0.9, 1.35, 1.8, 2.4}) {
      const double cote = ecart >= 0 ? 1.0 : -1.0;
      if (voie_libre(moi, moi.angle + ecart + cote * detour, regard, cubes)) {
        ecart += cote * detour;
        libre = true;
        break;
      }
      if (voie_libre(moi, moi.angle + ecart - cote * detour, regard, cubes)) {
        ecart -= cote * detour;
        libre = true;
        break;
      }
    }
  }
  const int tours = tours_vers(ecart);
  tourne(actions, tours);
  const double d = cible ? distance(moi, *cible) : 1e9;
  // Close to a ship in sight it stops and fires; a ship behind a cube is
  // gone around, never waited for.
  double voulue = d > 150 ? 2.0 : d > 60 || !visible ? 1.0 : 0.0;
  if (!libre || std::abs(ecart) > 1.2) voulue = std::min(voulue, 0.5);
  vise_vitesse(actions, vitesse, voulue);
  if (visible) {
    const double vise = ecart_angle(voulu, moi.angle);
    tire_si_aligne(actions, vise, tours, d, portee_chasseur);
  }
  return actions;
}

}  // namespace jeu::bots
