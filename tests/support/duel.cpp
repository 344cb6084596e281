#include "support/duel.h"

#include <cmath>
#include <numbers>
#include <optional>
#include <stdexcept>
#include <thread>
#include <vector>

namespace jeu::essai {

namespace {

using jeu_client::couleur_t;
using jeu_client::requete;
using horloge = std::chrono::steady_clock;

std::optional<jeu_client::vaisseau> trouve(const std::vector<jeu_client::vaisseau>& vs, couleur_t c) {
  for (const auto& v : vs) {
    if (v.couleur == c) return v;
  }
  return std::nullopt;
}

// No cube within 3 units of the segment (points every unit along it).
bool degage(const std::vector<jeu_client::cube>& cubes, const jeu_client::vaisseau& a,
            const jeu_client::vaisseau& b) {
  const double d = std::hypot(b.x - a.x, b.y - a.y);
  for (double t = 0; t <= d; t += 1) {
    const double x = a.x + (b.x - a.x) * t / d, y = a.y + (b.y - a.y) * t / d;
    for (const auto& k : cubes) {
      if (x > k.x1 - 3 && x < k.x2 + 3 && y > k.y1 - 3 && y < k.y2 + 3) return false;
    }
  }
  return true;
}

}  // namespace

jeu_client::connexion tue_une_cible(int port, couleur_t tireur, couleur_t cible,
                                    std::chrono::milliseconds delai) {
  const auto fin = horloge::now() + delai;
  const auto ouvre = [&] { return jeu_client::connexion::ouvre("127.0.0.1", port); };
  // A colour is free again only once the server has seen its last
  // connection end, which a loaded server may take a while to do.
  const auto enregistre = [&](jeu_client::connexion& c, couleur_t couleur) {
    for (;;) {
      try {
        c.enregistre(couleur);
        return;
      } catch (const jeu_client::erreur& e) {
        if (e.quoi() != jeu_client::erreur::sorte::couleur_utilisee || horloge::now() >= fin) throw;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  };
  while (horloge::now() < fin) {
    jeu_client::connexion a = ouvre();
    enregistre(a, tireur);
    const std::vector<jeu_client::cube> cubes = a.cubes();
    // A shooter in a crowded corner may find no target place: a new one
    // after a hundred tries.
    for (int essai = 0; essai < 100 && horloge::now() < fin; ++essai) {
      jeu_client::connexion b = ouvre();
      enregistre(b, cible);
      const auto vs = a.vaisseaux();
      const auto va = trouve(vs, tireur), vb = trouve(vs, cible);
      if (!va || !vb) throw std::runtime_error("the two ships are not both in the arena");
      const double d = std::hypot(vb->x - va->x, vb->y - va->y);
      if (d < 30 || d > 110 || !degage(cubes, *va, *vb)) {
        b.quitte();
        continue;
      }
      // Turns by 0.15 rad: at most 0.075 off, 8.3 units aside at 110, within
      // the 13 a bullet hits from.
      double ecart = std::atan2(vb->y - va->y, vb->x - va->x) - va->angle;
      ecart = std::remainder(ecart, 2 * std::numbers::pi);
      const long pas = std::lround(ecart / 0.15);
      std::vector<requete> tours(static_cast<std::size_t>(std::labs(pas)),
                                 pas > 0 ? requete::gauche : requete::droite);
      if (!tours.empty()) a.trame(tours);
      // The bullets' own line must be clear too, not only the one between the
      // centres.
      const auto vise = trouve(a.vaisseaux(), tireur);
      if (!vise) throw std::runtime_error("the shooter's ship is gone");
      jeu_client::vaisseau bout = *vise;
      bout.x += d * std::cos(vise->angle);
      bout.y += d * std::sin(vise->angle);
      if (std::hypot(bout.x - vb->x, bout.y - vb->y) > 10 || !degage(cubes, *vise, bout)) {
        b.quitte();
        continue;
      }
      const std::vector<requete> salve(5, requete::tire);  // five life points
      for (int salves = 0; salves < 3; ++salves) {
        a.trame(salve);
        const auto attente = horloge::now() + std::chrono::seconds(2);
        while (horloge::now() < attente) {
          if (b.etat() == jeu_client::statut::mort) return a;
          std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
      }
      b.quitte();  // missed: somewhere else
    }
  }
  throw std::runtime_error("no kill could be arranged in time");
}

}  // namespace jeu::essai
