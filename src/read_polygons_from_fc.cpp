#include "read_polygons_from_fc.h"

#include <cstring>

#include "fault.h"
#include "geojson_input.h"

namespace quorvel {
namespace {

constexpr std::string_view kUnwrapFailed = "called `Result::unwrap()` on an `Err` value: ";

GeoJsonDocument parse_or_fault(std::string_view geojson) {
    try {
        return parse_geojson(geojson);
    } catch (GeoJsonError& error) {
        Text message(kUnwrapFailed);
        message += error.description;
        raise_fault(message);
    }
}

// A position needs an x and a y; the message names the first index that is missing.
[[noreturn]] void fault_short_position(std::size_t length) {
    raise_fault(length == 0 ? "index out of bounds: the len is 0 but the index is 0"
                            : "index out of bounds: the len is 1 but the index is 1");
}

double number_at(const tape::Entry* entries, std::size_t index) {
    const tape::Entry e = entries[index];
    if (tape::is_double(e)) {
        double value;
        std::memcpy(&value, &e, sizeof value);
        return value;
    }
    const std::uint64_t raw = entries[index + 1];
    return tape::tag_of(e) == tape::kUnsigned ? static_cast<double>(raw)
                                              : static_cast<double>(static_cast<std::int64_t>(raw));
}

// Validated rings: arrays of positions, each an array of numbers.
Ring convert_ring(JsonValue ring) {
    const tape::Entry* entries = ring.tape().entries();
    Ring coordinates;
    coordinates.reserve(ring.count() + 1);
    for (std::size_t i = ring.first_index(), end = ring.end_index(); i != end;) {
        const JsonValue position(&ring.tape(), i);
        const std::size_t length = position.count();
        if (length < 2) {
            fault_short_position(length);
        }
        const std::size_t x_index = position.first_index();
        const std::size_t y_index = next_value_index(entries, x_index);
        coordinates.push_back({number_at(entries, x_index), number_at(entries, y_index)});
        i = position.end_index() + 1;
    }
    close_ring(coordinates);
    return coordinates;
}

Polygon convert_polygon(JsonValue rings) {
    Polygon polygon;
    ArrayElements it(rings);
    if (!it.done()) {
        polygon.exterior = convert_ring(it.take());
    }
    if (rings.count() > 1) {
        polygon.interiors.reserve(rings.count() - 1);
    }
    while (!it.done()) {
        polygon.interiors.push_back(convert_ring(it.take()));
    }
    return polygon;
}

std::size_t polygon_count(const GeoJsonDocument& document) {
    std::size_t count = 0;
    for (const FeatureGeometry& feature : document.features) {
        if (feature.type == GeometryType::Polygon) {
            ++count;
        } else if (feature.type == GeometryType::MultiPolygon) {
            count += JsonValue(&document.json, feature.coordinates).count();
        }
    }
    return count;
}

}  // namespace

PolygonList read_polygons_from_fc(std::string_view geojson) {
    const GeoJsonDocument document = parse_or_fault(geojson);
    PolygonList polygons;
    if (document.kind != DocumentKind::FeatureCollection) {
        return polygons;
    }
    polygons.reserve(polygon_count(document));
    for (const FeatureGeometry& feature : document.features) {
        const JsonValue coordinates(&document.json, feature.coordinates);
        if (feature.type == GeometryType::Polygon) {
            polygons.push_back(convert_polygon(coordinates));
        } else if (feature.type == GeometryType::MultiPolygon) {
            for (ArrayElements it(coordinates); !it.done();) {
                polygons.push_back(convert_polygon(it.take()));
            }
        }
    }
    return polygons;
}

}  // namespace quorvel
