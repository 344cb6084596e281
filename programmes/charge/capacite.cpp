#include "charge/capacite.h"

#include <cmath>

#include "charge/processus_serveur.h"

namespace jeu::charge {

namespace {

constexpr std::int64_t ms = 1'000'000;

std::int64_t en_ns(double secondes) { return std::llround(secondes * 1e9); }

// Longest wait for a step's connections to be established and registered.
constexpr std::int64_t attente_installation = 10'000 * ms;
// Pause before reading the memory, for the sessions to settle.
constexpr std::int64_t pause_memoire = 200 * ms;

}  // namespace

verdict juge(const mesure& m, double p99_max_ms, double ticks_min) {
  verdict v;
  v.latence = static_cast<double>(m.p99) > p99_max_ms * 1e6;
  v.ticks = m.ticks && m.ticks->plus_bas < ticks_min;
  v.erreurs = m.erreurs > 0;
  return v;
}

bilan_capacite cherche_capacite(const options& o, const rappel_progression& progression,
                                const std::function<void(const palier_mesure&)>& sur_palier) {
  const paliers& p = *o.capacite;
  bilan_capacite b;
  moteur mo(o, progression);
  const std::optional<pid_t> serveur = processus_serveur(o);
  const auto memoire = [&]() -> std::optional<long> {
    return serveur ? memoire_residente(*serveur) : std::nullopt;
  };

  if (o.stats) {
    mo.ouvre_sonde();
    mo.tourne(maintenant() + attente_installation, [&] {
      return mo.sonde().etat_courant() == sonde_stats::etat::active ||
             mo.sonde().etat_courant() == sonde_stats::etat::fermee;
    });
  }
  mo.tourne(maintenant() + pause_memoire);
  b.rss_vide_ko = memoire();

  mo.ajoute(p.debut, maintenant(), 0, true);
  mo.tourne(maintenant() + attente_installation, [&] { return mo.installees(); });
  mo.tourne(maintenant() + pause_memoire);
  b.inactifs = p.debut;
  b.rss_inactifs_ko = memoire();
  mo.relache(maintenant());

  for (int joueurs = p.debut;;) {
    mo.tourne(maintenant() + en_ns(o.stabilisation));
    mo.nouvelle_fenetre();
    const fenetre f(maintenant(), serveur, mo.sonde().releves().size());
    mo.tourne(maintenant() + en_ns(o.palier));
    palier_mesure pm{joueurs, f.ferme(maintenant(), mo.fenetre_courante(), mo.sonde().releves()),
                     std::nullopt};
    if (pm.m.rss_ko && b.rss_vide_ko) {
      pm.ko_par_joueur = static_cast<double>(*pm.m.rss_ko - *b.rss_vide_ko) / joueurs;
    }
    b.paliers.push_back(pm);
    if (sur_palier) sur_palier(pm);
    b.dernier = juge(pm.m, o.p99_max_ms, o.ticks_min);
    if (!b.dernier.dans_les_limites()) break;
    b.capacite = joueurs;
    if (joueurs + p.pas > p.max) break;
    joueurs += p.pas;
    mo.ajoute(p.pas, maintenant(), 0);
    mo.tourne(maintenant() + attente_installation, [&] { return mo.installees(); });
  }

  mo.arrete();
  mo.tourne(maintenant() + en_ns(o.delai_fin), [&] { return mo.tout_repondu(); });
  mo.abandonne();
  b.total = mo.total();
  return b;
}

}  // namespace jeu::charge
