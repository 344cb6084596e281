#pragma once

// The server's own figures, as a spectator reads them with "GET STATS":
// "PUT STATS ticks_s=39.8 tick_us=85 ... balles=40 requetes_s=812".

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace jeu::charge {

struct releve_stats {
  double ticks_s = 0;
  std::optional<std::int64_t> tick_us, tick_p99_us, joueurs, spectateurs, vaisseaux, balles,
      requetes_s;
};

// The figures of one "PUT STATS" line (its CR LF already removed); fields
// in any order, unknown ones ignored. nullopt when the line is not one, or
// ticks_s is missing or not a number.
std::optional<releve_stats> lit_stats(std::string_view ligne);

// The lowest and the median of per-second tick rates.
struct resume_ticks {
  double plus_bas;
  double median;  // of an even count, the mean of the two middle ones
};
std::optional<resume_ticks> resume(std::vector<double> ticks);

}  // namespace jeu::charge
