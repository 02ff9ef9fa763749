// Last stage: the compact FeatureCollection text, one Feature per polygon.
#pragma once

#include "polygon_model.h"

namespace quorvel {

// Consumes the list and returns the document as compact ASCII JSON text.
TextBuffer write_polygons_to_fc(PolygonList polygons);

}  // namespace quorvel
