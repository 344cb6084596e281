#pragma once

// The capacity search: players are added step by step (frame mode), each
// step settles then is measured, until a step goes past the limits (frame
// p99, lowest ticks/s, errors) or the last step is measured.

#include <functional>
#include <optional>
#include <vector>

#include "charge/fenetre.h"
#include "charge/moteur.h"
#include "charge/options.h"

namespace jeu::charge {

struct palier_mesure {
  int joueurs;
  mesure m;
  std::optional<double> ko_par_joueur;  // VmRSS over the one with no player
};

// What puts a step past the limits.
struct verdict {
  bool latence = false;  // frame p99 above the limit
  bool ticks = false;    // a second with fewer ticks than the limit
  bool erreurs = false;  // any error within the measure
  bool dans_les_limites() const { return !latence && !ticks && !erreurs; }
};

// A step without tick figures (no spectator) is judged on the rest.
verdict juge(const mesure& m, double p99_max_ms, double ticks_min);

struct bilan_capacite {
  std::optional<long> rss_vide_ko;      // VmRSS with no player
  int inactifs = 0;                     // players registered and idle...
  std::optional<long> rss_inactifs_ko;  // ... and VmRSS then
  std::vector<palier_mesure> paliers;
  verdict dernier;                      // of the last step measured
  // The most players of a step within the limits, every step before it
  // within them too; nullopt when the first step is past them.
  std::optional<int> capacite;
  comptes total;                        // the whole run
};

// The search o.capacite describes, against o.adresse:o.port. Before the
// first step its players connect and register without sending frames, and
// the server's memory is read. `sur_palier` is called after each step's
// measure. Ends by itself: waits at most 10 s for a step's connections,
// then o.stabilisation + o.palier seconds per step, o.delai_fin at the end.
bilan_capacite cherche_capacite(const options& o, const rappel_progression& progression,
                                const std::function<void(const palier_mesure&)>& sur_palier);

}  // namespace jeu::charge
