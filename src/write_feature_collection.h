// Last stage: the compact FeatureCollection text, one Feature per polygon.
#pragma once

#include "polygon_model.h"

namespace quorvel {

// Consumes the list and returns the document as compact ASCII JSON text.
TextBuffer write_polygons_to_fc(PolygonList polygons);

// Appends a finite value as the shortest round-trip digits in the Ryu layout
// (0.0, -0.0, 1e-6, 1e16, 9999999999999998.0, 5e-324).
void append_number(Text& out, double value);

// A coordinate: the number rule for finite values, null otherwise.
void append_coordinate_value(Text& out, double value);

}  // namespace quorvel
