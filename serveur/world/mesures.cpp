#include "world/mesures.h"

#include <algorithm>

namespace jeu {

void mesures::note_tick(horloge::time_point fin, std::chrono::microseconds duree,
                        std::uint64_t requetes) {
  durees_us_[notes_ % ticks_gardes] = duree.count();
  fins_[notes_ % fins_gardees] = {fin, requetes};
  ++notes_;
}

mesures::apercu mesures::calcule(horloge::time_point maintenant, std::uint64_t requetes) const {
  apercu a;
  if (notes_ == 0) return a;
  a.duree_tick_us = durees_us_[(notes_ - 1) % ticks_gardes];
  {
    const std::size_t n = std::min(notes_, ticks_gardes);
    std::array<std::int64_t, ticks_gardes> tri;
    std::copy_n(durees_us_.begin(), n, tri.begin());
    // The smallest duration that at least 99 % of the ticks do not exceed.
    const auto rang = static_cast<std::ptrdiff_t>((n * 99 + 99) / 100 - 1);
    std::nth_element(tri.begin(), tri.begin() + rang, tri.begin() + static_cast<std::ptrdiff_t>(n));
    a.p99_tick_us = tri[static_cast<std::size_t>(rang)];
  }

  const std::size_t n = std::min(notes_, fins_gardees);
  const auto fin = [&](std::size_t age) -> const fin_tick& {  // age 0: the last tick
    return fins_[(notes_ - 1 - age) % fins_gardees];
  };
  std::size_t recents = 0;
  while (recents < n && maintenant - fin(recents).fin <= std::chrono::seconds(1)) ++recents;
  a.ticks_par_seconde = static_cast<double>(recents);
  if (recents >= 2) {
    const std::chrono::duration<double> ecart = fin(0).fin - fin(recents - 1).fin;
    if (ecart.count() > 0) a.ticks_par_seconde = static_cast<double>(recents - 1) / ecart.count();
  }

  // Requests since the last tick before the last second (the oldest kept,
  // if every kept tick is within it), per second up to `maintenant`.
  const fin_tick& depart = fin(recents < n ? recents : n - 1);
  const std::chrono::duration<double> duree = maintenant - depart.fin;
  if (duree.count() > 0 && requetes >= depart.requetes) {
    a.requetes_par_seconde = static_cast<std::int64_t>(
        static_cast<double>(requetes - depart.requetes) / duree.count() + 0.5);
  }
  return a;
}

}  // namespace jeu
