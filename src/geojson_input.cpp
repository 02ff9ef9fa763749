// Reading a GeoJSON document (RFC 7946) out of the JSON tape, validating all of it, in the
// order of the reading rules, before any polygon is taken.
#include "geojson_input.h"

#include <optional>
#include <utility>

#include "enum_texts.h"
#include "number_text.h"
#include "value_description.h"

namespace quorvel {
namespace {

// ---- errors -------------------------------------------------------------------------------

// Every description starts with its kind's name, in the order of GeoJsonErrorKind.
constexpr auto kErrorKindNames = texts_for<GeoJsonErrorKind::ExpectedF64Value>({
    "MalformedJson",
    "ExpectedObjectValue",
    "GeometryUnknownType",
    "EmptyType",
    "ExpectedProperty",
    "ExpectedStringValue",
    "NotAFeature",
    "FeatureInvalidGeometryValue",
    "PropertiesExpectedObjectOrNull",
    "FeatureInvalidIdentifierType",
    "BboxExpectedArray",
    "BboxExpectedNumericValues",
    "ExpectedArrayValue",
    "ExpectedF64Value",
});

// What ExpectedArrayValue holds for a level of "coordinates" that is not an array.
constexpr std::string_view kNotAnArray = "None";

Text kind_name_text(GeoJsonErrorKind kind) {
    return Text(text_in(kErrorKindNames, kind));
}

// "Kind": the error holds nothing.
[[noreturn]] void fail(GeoJsonErrorKind kind) {
    throw GeoJsonError{kind, kind_name_text(kind)};
}

// "Kind(<value>)".
[[noreturn]] void fail_holding(GeoJsonErrorKind kind, JsonValue value) {
    Text description = kind_name_text(kind);
    description += '(';
    append_value_description(description, value);
    description += ')';
    throw GeoJsonError{kind, std::move(description)};
}

// "Kind("<text>")".
[[noreturn]] void fail_holding(GeoJsonErrorKind kind, std::string_view text) {
    Text description = kind_name_text(kind);
    description += '(';
    append_text_description(description, text);
    description += ')';
    throw GeoJsonError{kind, std::move(description)};
}

// "MalformedJson(Error("<message>", line: L, column: C))".
[[noreturn]] void fail_malformed(const JsonError& error) {
    Text description = kind_name_text(GeoJsonErrorKind::MalformedJson);
    description += "(Error(";
    append_text_description(description, error.message);
    description += ", line: ";
    append_decimal(description, error.line);
    description += ", column: ";
    append_decimal(description, error.column);
    description += "))";
    throw GeoJsonError{GeoJsonErrorKind::MalformedJson, std::move(description)};
}

// ---- reading ------------------------------------------------------------------------------

// The members that the reading rules name, each the last occurrence in its object.
struct NamedMembers {
    std::optional<JsonValue> type;
    std::optional<JsonValue> bbox;
    std::optional<JsonValue> features;
    std::optional<JsonValue> geometry;
    std::optional<JsonValue> properties;
    std::optional<JsonValue> id;
    std::optional<JsonValue> coordinates;
    std::optional<JsonValue> geometries;
};

std::optional<JsonValue>* slot_for(NamedMembers& members, std::string_view name) {
    switch (name.size()) {
        case 2:
            return name == "id" ? &members.id : nullptr;
        case 4:
            return name == "type" ? &members.type : name == "bbox" ? &members.bbox : nullptr;
        case 8:
            return name == "features"   ? &members.features
                   : name == "geometry" ? &members.geometry
                                        : nullptr;
        case 10:
            return name == "properties"   ? &members.properties
                   : name == "geometries" ? &members.geometries
                                          : nullptr;
        case 11:
            return name == "coordinates" ? &members.coordinates : nullptr;
        default:
            return nullptr;
    }
}

NamedMembers named_members(JsonValue object) {
    NamedMembers members;
    for (ObjectMembers it(object); !it.done();) {
        std::optional<JsonValue>* slot = slot_for(members, it.name());
        const JsonValue value = it.take();
        if (slot != nullptr) {
            *slot = value;
        }
    }
    return members;
}

// The seven geometry types by the name "type" gives them, with how many array levels lie above
// the numbers of their coordinates.
struct GeometryName {
    std::string_view name;
    GeometryType type;
    int coordinate_depth;
};
constexpr GeometryName kGeometryNames[] = {
    {"Point", GeometryType::Point, 1},
    {"MultiPoint", GeometryType::MultiPoint, 2},
    {"LineString", GeometryType::LineString, 2},
    {"MultiLineString", GeometryType::MultiLineString, 3},
    {"Polygon", GeometryType::Polygon, 3},
    {"MultiPolygon", GeometryType::MultiPolygon, 4},
    {"GeometryCollection", GeometryType::GeometryCollection, 0},
};

const GeometryName* geometry_named(std::string_view name) {
    for (const GeometryName& geometry : kGeometryNames) {
        if (geometry.name == name) {
            return &geometry;
        }
    }
    return nullptr;
}

// A position: an array of numbers of any length.
void check_position(JsonValue position) {
    if (position.is_floats()) {
        return;
    }
    if (!position.is_array()) {
        fail_holding(GeoJsonErrorKind::ExpectedArrayValue, kNotAnArray);
    }
    for (ArrayElements it(position); !it.done();) {
        if (!it.take().is_number()) {
            fail(GeoJsonErrorKind::ExpectedF64Value);
        }
    }
}

void check_coordinates(JsonValue value, int depth) {
    if (depth == 1) {
        check_position(value);
        return;
    }
    if (!value.is_array()) {
        fail_holding(GeoJsonErrorKind::ExpectedArrayValue, kNotAnArray);
    }
    for (ArrayElements it(value); !it.done();) {
        check_coordinates(it.take(), depth - 1);
    }
}

void read_bbox(const std::optional<JsonValue>& bbox) {
    if (!bbox) {
        return;
    }
    if (!bbox->is_array()) {
        fail_holding(GeoJsonErrorKind::BboxExpectedArray, *bbox);
    }
    for (ArrayElements it(*bbox); !it.done();) {
        const JsonValue element = it.take();
        if (!element.is_number()) {
            fail_holding(GeoJsonErrorKind::BboxExpectedNumericValues, element);
        }
    }
}

// The "type" member of a feature or geometry: present and a string.
std::string_view read_type(const NamedMembers& members) {
    if (!members.type) {
        fail_holding(GeoJsonErrorKind::ExpectedProperty, "type");
    }
    if (!members.type->is_string()) {
        fail_holding(GeoJsonErrorKind::ExpectedStringValue, *members.type);
    }
    return members.type->as_string();
}

// "features" and "geometries": present, an array, and each element an object, which `read`
// reads, in order.
template <class Read>
void read_object_array(const std::optional<JsonValue>& member, std::string_view name, Read read) {
    if (!member) {
        fail_holding(GeoJsonErrorKind::ExpectedProperty, name);
    }
    if (!member->is_array()) {
        fail_holding(GeoJsonErrorKind::ExpectedArrayValue, kind_name(member->kind()));
    }
    for (ArrayElements it(*member); !it.done();) {
        const JsonValue element = it.take();
        if (!element.is_object()) {
            fail_holding(GeoJsonErrorKind::ExpectedObjectValue, element);
        }
        read(element);
    }
}

FeatureGeometry read_geometry(JsonValue object) {
    const NamedMembers members = named_members(object);
    read_bbox(members.bbox);
    const std::string_view name = read_type(members);
    const GeometryName* geometry = geometry_named(name);
    if (geometry == nullptr) {
        fail_holding(GeoJsonErrorKind::GeometryUnknownType, name);
    }
    if (geometry->type == GeometryType::GeometryCollection) {
        read_object_array(members.geometries, "geometries", read_geometry);
        return {geometry->type, 0};
    }
    if (!members.coordinates) {
        fail_holding(GeoJsonErrorKind::ExpectedProperty, "coordinates");
    }
    check_coordinates(*members.coordinates, geometry->coordinate_depth);
    return {geometry->type, members.coordinates->index()};
}

FeatureGeometry read_feature(JsonValue object) {
    const NamedMembers members = named_members(object);
    const std::string_view type = read_type(members);
    if (type != "Feature") {
        fail_holding(GeoJsonErrorKind::NotAFeature, type);
    }
    if (!members.geometry) {
        fail_holding(GeoJsonErrorKind::ExpectedProperty, "geometry");
    }
    FeatureGeometry geometry{GeometryType::None, 0};
    if (members.geometry->is_object()) {
        geometry = read_geometry(*members.geometry);
    } else if (!members.geometry->is_null()) {
        fail_holding(GeoJsonErrorKind::FeatureInvalidGeometryValue, *members.geometry);
    }
    if (members.properties && !members.properties->is_null() && !members.properties->is_object()) {
        fail_holding(GeoJsonErrorKind::PropertiesExpectedObjectOrNull, *members.properties);
    }
    if (members.id && !members.id->is_string() && !members.id->is_number()) {
        fail_holding(GeoJsonErrorKind::FeatureInvalidIdentifierType, *members.id);
    }
    read_bbox(members.bbox);
    return geometry;
}

Vector<FeatureGeometry> read_feature_collection(JsonValue object) {
    const NamedMembers members = named_members(object);
    read_bbox(members.bbox);
    Vector<FeatureGeometry> features;
    if (members.features && members.features->is_array()) {
        features.reserve(members.features->count());
    }
    read_object_array(members.features, "features",
                      [&](JsonValue feature) { features.push_back(read_feature(feature)); });
    return features;
}

JsonTape read_json(std::string_view text) {
    try {
        return parse_json(text);
    } catch (const JsonReadError& failure) {
        fail_malformed(failure.error);
    }
}

}  // namespace

GeoJsonDocument parse_geojson(std::string_view text) {
    JsonTape json = read_json(text);
    const JsonValue root = json.root();
    if (!root.is_object()) {
        fail_holding(GeoJsonErrorKind::ExpectedObjectValue, root);
    }
    const NamedMembers members = named_members(root);
    if (!members.type || !members.type->is_string()) {
        fail_holding(GeoJsonErrorKind::GeometryUnknownType, "type");
    }
    const std::string_view type = members.type->as_string();
    if (type == "FeatureCollection") {
        Vector<FeatureGeometry> features = read_feature_collection(root);
        return {std::move(json), DocumentKind::FeatureCollection, std::move(features)};
    }
    if (type == "Feature") {
        read_feature(root);
        return {std::move(json), DocumentKind::Feature, {}};
    }
    if (geometry_named(type) != nullptr) {
        read_geometry(root);
        return {std::move(json), DocumentKind::Geometry, {}};
    }
    fail(GeoJsonErrorKind::EmptyType);
}

}  // namespace quorvel
