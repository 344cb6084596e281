#include "charge/fenetre.h"

#include <algorithm>

#include "charge/processus_serveur.h"

namespace jeu::charge {

fenetre::fenetre(std::int64_t t, std::optional<pid_t> serveur, std::size_t premier_releve)
    : debut_(t),
      serveur_(serveur),
      premier_releve_(premier_releve),
      cpu_serveur_(serveur ? temps_cpu(*serveur) : std::nullopt),
      cpu_propre_(temps_cpu_propre()) {}

mesure fenetre::ferme(std::int64_t t, const comptes& m,
                      const std::vector<sonde_stats::releve>& releves) const {
  mesure r;
  r.duree = static_cast<double>(t - debut_) / 1e9;
  const double duree = r.duree > 0 ? r.duree : 1;
  r.trames = m.trame.nombre();
  r.trames_demandees_s = static_cast<double>(m.trames_demandees) / duree;
  r.trames_servies_s = static_cast<double>(r.trames) / duree;
  r.p50 = m.trame.percentile(50);
  r.p99 = m.trame.percentile(99);
  r.p999 = m.trame.percentile(99.9);
  r.max = m.trame.max();
  r.ecart_max = m.ecart_trames_max;
  r.erreurs = m.erreurs();

  std::vector<double> ticks;
  std::vector<std::int64_t> balles;
  for (std::size_t i = premier_releve_; i < releves.size(); ++i) {
    if (releves[i].t > t) break;
    ticks.push_back(releves[i].stats.ticks_s);
    if (releves[i].stats.balles) balles.push_back(*releves[i].stats.balles);
  }
  r.ticks = resume(ticks);
  if (!balles.empty()) {
    std::nth_element(balles.begin(), balles.begin() + static_cast<std::ptrdiff_t>(balles.size() / 2),
                     balles.end());
    r.balles = balles[balles.size() / 2];
  }

  if (serveur_) {
    const std::optional<double> cpu = temps_cpu(*serveur_);
    if (cpu && cpu_serveur_) r.cpu_serveur = 100.0 * (*cpu - *cpu_serveur_) / duree;
    r.rss_ko = memoire_residente(*serveur_);
  }
  r.cpu_charge = 100.0 * (temps_cpu_propre() - cpu_propre_) / duree;
  return r;
}

}  // namespace jeu::charge
