#include "terminal/rejeu.h"

#include <algorithm>
#include <csignal>

#include "jeu_client.h"
#include "terminal/barre.h"
#include "terminal/commandes.h"
#include "terminal/signaux.h"

namespace jeu::terminal {

namespace {

using horloge = std::chrono::steady_clock;

// Five seconds of ticks, what an arrow key seeks by.
constexpr std::uint64_t pas_recherche = 200;

}  // namespace

rejeu::rejeu(const options& o) : options_(o), lecture_(o.rejoue, horloge::now()) {}

bilan rejeu::joue(ecran& e) {
  const auto debut = horloge::now();
  const double ips = options_.images_par_seconde > 0 ? options_.images_par_seconde : 40;
  const auto periode = std::chrono::duration_cast<horloge::duration>(std::chrono::duration<double>(1.0 / ips));
  std::uint64_t images = 0, images_seconde = 0;
  double images_par_seconde = 0;
  auto debut_seconde = debut;
  auto prochaine = debut;
  const auto termine = [&](std::string raison, int code) {
    return bilan{std::move(raison), code, images,
                 std::chrono::duration<double>(horloge::now() - debut).count()};
  };
  for (;;) {
    // Keys until the next frame is due.
    for (;;) {
      if (const int s = signal_recu(); s != 0) {
        return termine(s == SIGINT ? "interrupted (Ctrl-C)" : "terminated (signal " + std::to_string(s) + ")",
                       128 + s);
      }
      const auto reste = std::max(std::chrono::ceil<std::chrono::milliseconds>(prochaine - horloge::now()),
                                  std::chrono::milliseconds::zero());
      const auto t = e.touche(reste);
      if (!t) {
        if (reste.count() == 0) break;
        continue;
      }
      const auto maintenant = horloge::now();
      const std::uint64_t ici = static_cast<std::uint64_t>(lecture_.position(maintenant));
      switch (ordre_relecture(*t)) {
        case commande_relecture::quitte: return termine("quit", 0);
        case commande_relecture::pause: lecture_.met_en_pause(!lecture_.en_pause(), maintenant); break;
        case commande_relecture::plus_vite:
          lecture_.change_vitesse(std::min(lecture_.vitesse() * 2, relecture::vitesse_max), maintenant);
          break;
        case commande_relecture::moins_vite:
          lecture_.change_vitesse(std::max(lecture_.vitesse() / 2, relecture::vitesse_min), maintenant);
          break;
        case commande_relecture::recule:
          lecture_.cherche(ici > pas_recherche ? ici - pas_recherche : 0, maintenant);
          break;
        case commande_relecture::avance: lecture_.cherche(ici + pas_recherche, maintenant); break;
        case commande_relecture::aucune: break;
      }
      break;  // a key's effect shows at once
    }
    const auto maintenant = horloge::now();
    const jeu_client::trame_flux f = jeu_client::lit_trame_flux(lecture_.trame(maintenant).texte);
    etat_barre etat;
    etat.spectateur = true;
    etat.vaisseaux = f.vaisseaux.size();
    etat.balles = f.balles.size();
    etat.images_par_seconde = images_par_seconde;
    etat.relecture = etat_relecture{f.tick, lecture_.dernier(), lecture_.en_pause(), lecture_.vitesse()};
    scene s;
    s.vaisseaux = f.vaisseaux;
    s.balles = f.balles;
    s.barre = texte_barre(etat, e.colonnes());
    e.dessine(s);
    ++images;
    ++images_seconde;
    if (maintenant - debut_seconde >= std::chrono::seconds(1)) {
      images_par_seconde = images_seconde / std::chrono::duration<double>(maintenant - debut_seconde).count();
      images_seconde = 0;
      debut_seconde = maintenant;
    }
    prochaine = std::max(prochaine + periode, maintenant);
  }
}

}  // namespace jeu::terminal
