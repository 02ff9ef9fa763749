// Reading a GeoJSON document (RFC 7946) out of the JSON tape, validating all of it.
#pragma once

#include <cstdint>
#include <string_view>

#include "allocation.h"
#include "json_text.h"

namespace quorvel {

enum class GeoJsonErrorKind : std::uint8_t {
    MalformedJson,
    ExpectedObjectValue,
    GeometryUnknownType,
    EmptyType,
    ExpectedProperty,
    ExpectedStringValue,
    NotAFeature,
    FeatureInvalidGeometryValue,
    PropertiesExpectedObjectOrNull,
    FeatureInvalidIdentifierType,
    BboxExpectedArray,
    BboxExpectedNumericValues,
    ExpectedArrayValue,
    ExpectedF64Value,
};

// A reading failure. The description (the kind's name and what it holds) is made where the
// failure is found, while the values it quotes still exist.
struct GeoJsonError {
    GeoJsonErrorKind kind;
    Text description;
};

enum class DocumentKind : std::uint8_t { FeatureCollection, Feature, Geometry };

enum class GeometryType : std::uint8_t {
    None,  // "geometry": null
    Point,
    MultiPoint,
    LineString,
    MultiLineString,
    Polygon,
    MultiPolygon,
    GeometryCollection,
};

// One feature of a collection: its geometry's type and, for the six coordinate types, the tape
// index of its "coordinates" value.
struct FeatureGeometry {
    GeometryType type;
    std::size_t coordinates;
};

// The validated document. Everything that no later stage uses (bounding boxes, properties,
// identifiers, foreign members) was checked and is left on the tape.
struct GeoJsonDocument {
    JsonTape json;
    DocumentKind kind;
    Vector<FeatureGeometry> features;  // only for a FeatureCollection, in text order
};

// Reads and validates the whole text. Throws GeoJsonError at the first problem.
GeoJsonDocument parse_geojson(std::string_view text);

}  // namespace quorvel
