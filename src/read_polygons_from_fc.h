// First stage: the polygons of a GeoJSON FeatureCollection text, in document order.
#pragma once

#include <string_view>
#include <variant>

#include "allocation.h"
#include "polygon_model.h"

namespace quorvel {

// Reads and validates the whole text, then collects every Polygon and every member of every
// MultiPolygon of the collection's features. Raises a Fault for unreadable text or for a
// position with fewer than two numbers. A document that is not a FeatureCollection gives an
// empty list.
PolygonList read_polygons_from_fc(std::string_view geojson);

// Why a text could not be read: the message of the Fault that reading it raises.
struct ReadingFailure {
    Text message;
};

// The same reading without raising, for a caller that may read the text again in another
// encoding before it reports anything: the polygons, or why there are none.
std::variant<PolygonList, ReadingFailure> read_polygons(std::string_view geojson);

// Raises the Fault of a failure that read_polygons returned.
[[noreturn]] void raise_reading_fault(const ReadingFailure& failure);

}  // namespace quorvel
