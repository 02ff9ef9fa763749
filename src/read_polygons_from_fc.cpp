// Collecting the polygons of a validated FeatureCollection, in document order.
#include "read_polygons_from_fc.h"

#include "fault.h"
#include "geojson_input.h"

namespace quorvel {
namespace {

// The stage's messages: a document that cannot be read, and a position without an x or a y.
constexpr std::string_view kUnwrapFailed = "called `Result::unwrap()` on an `Err` value: ";
constexpr std::string_view kPositionWithoutX =
    "index out of bounds: the len is 0 but the index is 0";
constexpr std::string_view kPositionWithoutY =
    "index out of bounds: the len is 1 but the index is 1";

GeoJsonDocument parse_document(std::string_view geojson) {
    try {
        return parse_geojson(geojson);
    } catch (GeoJsonError& error) {
        Text message(kUnwrapFailed);
        message += error.description;
        throw ReadingFailure{std::move(message)};
    }
}

// A position needs an x and a y; the message names the first index that is missing.
[[noreturn]] void fail_short_position(std::size_t length) {
    throw ReadingFailure{Text(length == 0 ? kPositionWithoutX : kPositionWithoutY)};
}

// Validated rings: arrays of positions, each an array of numbers.
Ring convert_ring(JsonValue ring) {
    Ring coordinates;
    coordinates.reserve(ring.count() + 1);
    for (ArrayElements it(ring); !it.done();) {
        const JsonValue position = it.take();
        const std::size_t length = position.count();
        if (length < 2) {
            fail_short_position(length);
        }
        const JsonValue x = position.first();
        coordinates.push_back({x.as_f64(), x.next().as_f64()});
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

PolygonList collect_polygons(std::string_view geojson) {
    const GeoJsonDocument document = parse_document(geojson);
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

}  // namespace

std::variant<PolygonList, ReadingFailure> read_polygons(std::string_view geojson) {
    try {
        return collect_polygons(geojson);
    } catch (ReadingFailure& failure) {
        return std::move(failure);
    }
}

void raise_reading_fault(const ReadingFailure& failure) {
    raise_fault(failure.message);
}

PolygonList read_polygons_from_fc(std::string_view geojson) {
    std::variant<PolygonList, ReadingFailure> outcome = read_polygons(geojson);
    if (const auto* failure = std::get_if<ReadingFailure>(&outcome)) {
        raise_reading_fault(*failure);
    }
    return std::get<PolygonList>(std::move(outcome));
}

}  // namespace quorvel
