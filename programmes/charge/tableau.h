#pragma once

// What a capacity search prints: a table, one row per step as soon as it is
// measured, then how the search ended.

#include <string>

#include "charge/capacite.h"
#include "charge/options.h"

namespace jeu::charge {

// The two header lines of the table.
std::string entete_tableau();

// One step's row: players, frames/s asked and served, frame p50, p99 and
// p99.9 in ms, lowest and median ticks/s, server CPU (% of one core),
// VmRSS and KiB per player, bullets in flight (median), this program's CPU
// and errors; "-" for what is unknown.
std::string ligne_tableau(const palier_mesure& p);

// After the table: the idle players' memory, why the search stopped (the
// limit passed, or the last step reached) and the capacity found.
std::string conclusion(const options& o, const bilan_capacite& b);

}  // namespace jeu::charge
