#pragma once

// What jeu-charge prints: a progress line per second and the final report,
// one "name  value" pair per line (names end at the first run of two
// spaces), so that two reports can be set side by side line by line.

#include <string>

#include "charge/moteur.h"
#include "charge/options.h"

namespace jeu::charge {

// "elapsed, requests/s over the last interval, errors so far, connections up".
std::string ligne_progression(const instantane& i, int connexions);

// The final report of a run of `o`; latencies in microseconds. "requests"
// counts every reply, "requests/s" those received before the stop.
// "errors" counts every failure once: its indented lines, plus the failed
// connections. In frame mode, frames take the place of the requests'
// latency, with the server's tick rate, CPU and memory.
std::string rapport(const options& o, const bilan_execution& b);

}  // namespace jeu::charge
