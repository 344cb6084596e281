#include "terminal/glyphes.h"

#include <array>
#include <cmath>
#include <numbers>

namespace jeu::terminal {

namespace {

constexpr glyphes utf8_{"┌", "┐", "└", "┘", "─", "│", "▒", "•"};
constexpr glyphes ascii_{"+", "+", "+", "+", "-", "|", "#", "*"};

constexpr std::array<std::string_view, 8> fleches{"→", "↘", "↓", "↙", "←", "↖", "↑", "↗"};
constexpr std::array<std::string_view, 4> fleches_ascii{">", "v", "<", "^"};

// The nearest of `n` directions evenly spread from angle 0.
std::size_t secteur(double angle, std::size_t n) {
  const double tour = 2 * std::numbers::pi;
  double a = std::fmod(angle, tour);
  if (a < 0) a += tour;
  const auto k = static_cast<std::size_t>(std::lround(a / tour * static_cast<double>(n)));
  return k % n;
}

}  // namespace

const glyphes& jeu_de_glyphes(bool utf8) { return utf8 ? utf8_ : ascii_; }

std::string_view marque_cap(double angle, bool utf8) {
  if (!std::isfinite(angle)) return "o";
  return utf8 ? fleches[secteur(angle, fleches.size())]
              : fleches_ascii[secteur(angle, fleches_ascii.size())];
}

}  // namespace jeu::terminal
