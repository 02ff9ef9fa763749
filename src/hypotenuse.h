// The length of the hypotenuse, sqrt(x² + y²), computed the same way, to the last bit, on every
// machine: the C library's hypot differs between libraries and between versions of one.
#pragma once

namespace quorvel {

// sqrt(x² + y²) without intermediate overflow or underflow. Gives the bits of glibc 2.36's hypot
// on x86-64 for every pair of doubles (a NaN result may carry another payload): +inf when either
// argument is infinite, unless the other is a signalling NaN; a NaN when either is a NaN otherwise.
double hypotenuse(double x, double y);

}  // namespace quorvel
