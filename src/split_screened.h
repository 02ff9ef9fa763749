// The screened way of finding where a run splits: squared-distance estimates for every inner
// point in SIMD lanes, exact distances only for the few points whose estimate comes near the
// largest. Runs whose chords are too short for the estimates are measured point by point, those
// whose squared length is subnormal without subnormal products. It gives split_plain's answer
// bit for bit, in two lanes (SSE2 on x86-64, NEON on aarch64) or, where the processor has AVX2,
// four.
#pragma once

#include "polygon_model.h"
#include "split_run.h"

namespace quorvel {

enum class ScreenLanes { Two, Four };

// Whether the four-lane kernel can run here (x86-64 with AVX2).
bool four_lanes_supported();

// Whether the estimates are sound for the ring: every coordinate within 1e60 in magnitude, so
// that no square overflows. Outside, split_plain applies.
bool screening_applies(const Ring& points);

// Whether screening_applies() surely holds for the rings that corner cutting makes from
// `points`, checked on these four times fewer points; false where it cannot tell.
bool screening_applies_after_cutting(const Ring& points);

// Whether every chord of the ring is too short for the estimates, so that every run is measured
// point by point: the ring spans less than about 1e-50.
bool chords_too_short_to_screen(const Ring& points);

// `estimate` has room for one value per point of the ring; it is scratch space. Four lanes only
// where four_lanes_supported().
Split split_screened(const Ring& points, const Run& run, double tolerance, double* estimate,
                     ScreenLanes lanes);

// For a ring that screening_applies() refuses: split_plain's answer, screened where the run's
// chord is so long that its squared length overflows (coordinates beyond about 1e154), which
// makes every point's exact distance a costly hypotenuse() from the chord's start; measured
// by split_plain for any other run. Same `estimate` and lanes.
Split split_screened_past_overflow(const Ring& points, const Run& run, double tolerance,
                                   double* estimate, ScreenLanes lanes);

}  // namespace quorvel
