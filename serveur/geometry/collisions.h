#pragma once

#include <span>

#include "geometry/segment.h"
#include "world/monde.h"

namespace jeu {

// Whether a ship's disc (radius rayon_vaisseau) centred at (x, y) touches one
// of the axis-parallel `segments`, with the tolerance of `left`.
bool inter_cubes(double x, double y, std::span<const segment> segments);

// Whether that disc leaves the arena: free exactly when 9 <= x < 980 and
// 9 <= y < 980 (low sides may be touched, the last unit of the high sides not).
bool inter_plateau(double x, double y);

// Whether a ship of another colour than `couleur` has its centre closer than
// 2 * rayon_vaisseau to (x, y); reads only the ships near (x, y) through
// m.index. REQUIRES: m.verrou_monde.
bool inter_vaisseau(const monde& m, double x, double y, couleur_t couleur)
    REQUIRES(m.verrou_monde);

}  // namespace jeu
