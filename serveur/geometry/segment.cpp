#include "geometry/segment.h"

namespace jeu {

int left(point a, point b, point c) {
  const double d = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
  if (d > epsilon) return 1;
  if (d < -epsilon) return -1;
  return 0;
}

bool between(point a, point b, point c) {
  if (a.x != b.x) {
    return (a.x <= c.x && c.x <= b.x) || (a.x >= c.x && c.x >= b.x);
  }
  return (a.y <= c.y && c.y <= b.y) || (a.y >= c.y && c.y >= b.y);
}

bool intersect_segment(point a, point b, point c, point d) {
  const int l1 = left(a, b, c);
  const int l2 = left(a, b, d);
  const int l3 = left(c, d, a);
  const int l4 = left(c, d, b);
  if (l1 * l2 < 0 && l3 * l4 < 0) return true;
  return (l1 == 0 && between(a, b, c)) || (l2 == 0 && between(a, b, d)) ||
         (l3 == 0 && between(c, d, a)) || (l4 == 0 && between(c, d, b));
}

}  // namespace jeu
