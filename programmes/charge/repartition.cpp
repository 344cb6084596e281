#include "charge/repartition.h"

#include <cmath>

namespace jeu::charge {

namespace {

std::int64_t tireurs_parmi(std::int64_t n, double pourcent) {
  // The small margin absorbs the rounding of pourcent / 100 (10 % of 30 is 3).
  return static_cast<std::int64_t>(std::floor(static_cast<double>(n) * pourcent / 100.0 + 1e-9));
}

}  // namespace

bool est_tireur(std::int64_t i, double pourcent) {
  return tireurs_parmi(i + 1, pourcent) > tireurs_parmi(i, pourcent);
}

std::int64_t decalage_trames(std::int64_t i, std::int64_t periode) {
  constexpr double inverse_nombre_or = 0.6180339887498949;
  double partie_entiere = 0;
  const double fraction = std::modf(static_cast<double>(i) * inverse_nombre_or, &partie_entiere);
  const auto d = static_cast<std::int64_t>(fraction * static_cast<double>(periode));
  return d < periode ? d : periode - 1;
}

}  // namespace jeu::charge
