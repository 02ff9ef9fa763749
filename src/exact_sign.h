// Exact signs of two small polynomials in double coordinates, for the convex hulls of the
// simplification guard: a floating-point evaluation when its error bound decides, else exact
// arithmetic on expansions (sums of non-overlapping doubles, after Shewchuk).
#pragma once

#include "polygon_model.h"

namespace quorvel {

// -1, 0 or +1, or Unknown where the exact arithmetic could underflow or overflow (a factor
// outside [2^-440, 2^440] other than zero).
enum class Sign { Negative, Zero, Positive, Unknown };

// The sign of f.x * (b.x - a.x) + f.y * (b.y - a.y): whether the step from a to b goes along f.
Sign sign_of_step_along(Coordinate f, Coordinate a, Coordinate b);

// The sign of (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x): positive when a, b, c turn
// counterclockwise, zero when they lie on one line.
Sign sign_of_turn(Coordinate a, Coordinate b, Coordinate c);

}  // namespace quorvel
