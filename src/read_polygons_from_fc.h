// First stage: the polygons of a GeoJSON FeatureCollection text, in document order.
#pragma once

#include <string_view>

#include "polygon_model.h"

namespace quorvel {

// Reads and validates the whole text, then collects every Polygon and every member of every
// MultiPolygon of the collection's features. Raises a Fault for unreadable text or for a
// position with fewer than two numbers. A document that is not a FeatureCollection gives an
// empty list.
PolygonList read_polygons_from_fc(std::string_view geojson);

}  // namespace quorvel
