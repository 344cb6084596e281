#pragma once

namespace jeu {

struct point {
  double x;
  double y;
  friend bool operator==(const point&, const point&) = default;
};

// Closed segment from `debut` to `fin`.
struct segment {
  point debut;
  point fin;
  friend bool operator==(const segment&, const segment&) = default;
};

// Tolerance of `left`, on twice the signed triangle area (square units).
inline constexpr double epsilon = 0.05;

// Side of c relative to the directed line a->b: 1 left, -1 right, 0 when the
// cross product lies within [-epsilon, epsilon] (or is not a number).
int left(point a, point b, point c);

// Whether c lies within the range of a..b on one axis only: x when
// a.x != b.x, else y. Bounds inclusive. Meant for c already on the line.
bool between(point a, point b, point c);

// Whether closed segments a-b and c-d meet, with the tolerance of `left`.
bool intersect_segment(point a, point b, point c, point d);

}  // namespace jeu
