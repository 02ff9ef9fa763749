#include "geojson_input.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <optional>

#include "unicode_tables.h"
#include "write_feature_collection.h"

namespace quorvel {
namespace {

// ---- descriptions -------------------------------------------------------------------------

bool in_ranges(const unicode::CodePointRange* begin, const unicode::CodePointRange* end,
               std::uint32_t code_point) {
    const auto* it = std::upper_bound(
        begin, end, code_point,
        [](std::uint32_t c, const unicode::CodePointRange& range) { return c < range.first; });
    return it != begin && code_point <= (it - 1)->last;
}

bool is_grapheme_extend(std::uint32_t c) {
    return in_ranges(std::begin(unicode::kGraphemeExtend), std::end(unicode::kGraphemeExtend), c);
}

bool is_printable(std::uint32_t c) {
    return !in_ranges(std::begin(unicode::kNotPrintable), std::end(unicode::kNotPrintable), c);
}

// Decodes one UTF-8 sequence at `at`; a malformed one reads as U+FFFD over one byte.
std::uint32_t decode_utf8(std::string_view text, std::size_t& at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    int length = 0;
    std::uint32_t code_point = 0;
    if (lead < 0x80) {
        ++at;
        return lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code_point = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code_point = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code_point = lead & 0x07;
    }
    if (length == 0 || at + length > text.size()) {
        ++at;
        return 0xFFFD;
    }
    for (int i = 1; i < length; ++i) {
        const unsigned char next = byte(at + i);
        if ((next & 0xC0) != 0x80) {
            ++at;
            return 0xFFFD;
        }
        code_point = (code_point << 6) | (next & 0x3F);
    }
    at += length;
    return code_point;
}

void append_hex_escape(Text& out, std::uint32_t code_point) {
    char digits[8];
    const auto end = std::to_chars(digits, digits + sizeof digits, code_point, 16).ptr;
    out += "\\u{";
    out.append(digits, end);
    out += '}';
}

void append_unsigned(Text& out, std::uint64_t value) {
    char digits[24];
    out.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

void append_signed(Text& out, std::int64_t value) {
    char digits[24];
    out.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

// Object members in ascending byte order of their names, the last of equal names only.
Vector<std::pair<std::string_view, JsonValue>> sorted_members(JsonValue object) {
    Vector<std::pair<std::string_view, JsonValue>> members;
    members.reserve(object.count());
    for (ObjectMembers it(object); !it.done();) {
        const std::string_view name = it.name();
        members.emplace_back(name, it.take());
    }
    std::stable_sort(members.begin(), members.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    Vector<std::pair<std::string_view, JsonValue>> unique;
    unique.reserve(members.size());
    for (std::size_t i = 0; i < members.size(); ++i) {
        if (i + 1 < members.size() && members[i + 1].first == members[i].first) {
            continue;
        }
        unique.push_back(members[i]);
    }
    return unique;
}

void append_number_description(Text& out, JsonValue number) {
    switch (number.number_kind()) {
        case NumberKind::Unsigned:
            append_unsigned(out, number.as_unsigned());
            break;
        case NumberKind::Negative:
            append_signed(out, number.as_negative());
            break;
        case NumberKind::Float:
            append_number(out, number.as_double());
            break;
    }
}

// ---- errors -------------------------------------------------------------------------------

[[noreturn]] void fail_holding_value(GeoJsonErrorKind kind, std::string_view name,
                                     JsonValue value) {
    Text description(name);
    description += '(';
    append_value_description(description, value);
    description += ')';
    throw GeoJsonError{kind, std::move(description)};
}

[[noreturn]] void fail_holding_text(GeoJsonErrorKind kind, std::string_view name,
                                    std::string_view text) {
    Text description(name);
    description += '(';
    append_text_description(description, text);
    description += ')';
    throw GeoJsonError{kind, std::move(description)};
}

[[noreturn]] void fail_malformed(const JsonError& error) {
    Text description("MalformedJson(Error(");
    append_text_description(description, error.message);
    description += ", line: ";
    append_unsigned(description, error.line);
    description += ", column: ";
    append_unsigned(description, error.column);
    description += "))";
    throw GeoJsonError{GeoJsonErrorKind::MalformedJson, std::move(description)};
}

[[noreturn]] void fail_expected_property(std::string_view member) {
    fail_holding_text(GeoJsonErrorKind::ExpectedProperty, "ExpectedProperty", member);
}

[[noreturn]] void fail_expected_array_value(std::string_view found) {
    fail_holding_text(GeoJsonErrorKind::ExpectedArrayValue, "ExpectedArrayValue", found);
}

[[noreturn]] void fail_expected_object_value(JsonValue value) {
    fail_holding_value(GeoJsonErrorKind::ExpectedObjectValue, "ExpectedObjectValue", value);
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

std::string_view kind_name(JsonValue value) {
    switch (value.kind()) {
        case JsonKind::Null:
            return "Null";
        case JsonKind::Bool:
            return "Bool";
        case JsonKind::Number:
            return "Number";
        case JsonKind::String:
            return "String";
        case JsonKind::Array:
            return "Array";
        case JsonKind::Object:
            return "Object";
    }
    return "Object";
}

std::optional<GeometryType> geometry_type_named(std::string_view name) {
    if (name == "Point")
        return GeometryType::Point;
    if (name == "MultiPoint")
        return GeometryType::MultiPoint;
    if (name == "LineString")
        return GeometryType::LineString;
    if (name == "MultiLineString")
        return GeometryType::MultiLineString;
    if (name == "Polygon")
        return GeometryType::Polygon;
    if (name == "MultiPolygon")
        return GeometryType::MultiPolygon;
    if (name == "GeometryCollection")
        return GeometryType::GeometryCollection;
    return std::nullopt;
}

// How many array levels lie above the numbers of a geometry's coordinates.
int coordinate_depth(GeometryType type) {
    switch (type) {
        case GeometryType::Point:
            return 1;
        case GeometryType::MultiPoint:
        case GeometryType::LineString:
            return 2;
        case GeometryType::MultiLineString:
        case GeometryType::Polygon:
            return 3;
        default:
            return 4;
    }
}

// A position: an array of numbers of any length.
void check_position(JsonValue position) {
    if (!position.is_array()) {
        fail_expected_array_value("None");
    }
    const tape::Entry* entries = position.tape().entries();
    for (std::size_t i = position.first_index(), end = position.end_index(); i != end;) {
        const tape::Entry e = entries[i];
        if (tape::is_double(e)) {
            ++i;
            continue;
        }
        const auto tag = tape::tag_of(e);
        if (tag != tape::kUnsigned && tag != tape::kNegative) {
            throw GeoJsonError{GeoJsonErrorKind::ExpectedF64Value, Text("ExpectedF64Value")};
        }
        i += 2;
    }
}

void check_coordinates(JsonValue value, int depth) {
    if (depth == 1) {
        check_position(value);
        return;
    }
    if (!value.is_array()) {
        fail_expected_array_value("None");
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
        fail_holding_value(GeoJsonErrorKind::BboxExpectedArray, "BboxExpectedArray", *bbox);
    }
    for (ArrayElements it(*bbox); !it.done();) {
        const JsonValue element = it.take();
        if (!element.is_number()) {
            fail_holding_value(GeoJsonErrorKind::BboxExpectedNumericValues,
                               "BboxExpectedNumericValues", element);
        }
    }
}

// The "type" member of a feature or geometry: present and a string.
std::string_view read_type(const NamedMembers& members) {
    if (!members.type) {
        fail_expected_property("type");
    }
    if (!members.type->is_string()) {
        fail_holding_value(GeoJsonErrorKind::ExpectedStringValue, "ExpectedStringValue",
                           *members.type);
    }
    return members.type->as_string();
}

FeatureGeometry read_geometry(JsonValue object) {
    const NamedMembers members = named_members(object);
    read_bbox(members.bbox);
    const std::string_view name = read_type(members);
    const std::optional<GeometryType> type = geometry_type_named(name);
    if (!type) {
        fail_holding_text(GeoJsonErrorKind::GeometryUnknownType, "GeometryUnknownType", name);
    }
    if (*type == GeometryType::GeometryCollection) {
        if (!members.geometries) {
            fail_expected_property("geometries");
        }
        if (!members.geometries->is_array()) {
            fail_expected_array_value(kind_name(*members.geometries));
        }
        for (ArrayElements it(*members.geometries); !it.done();) {
            const JsonValue element = it.take();
            if (!element.is_object()) {
                fail_expected_object_value(element);
            }
            read_geometry(element);
        }
        return {*type, 0};
    }
    if (!members.coordinates) {
        fail_expected_property("coordinates");
    }
    check_coordinates(*members.coordinates, coordinate_depth(*type));
    return {*type, members.coordinates->index()};
}

FeatureGeometry read_feature(JsonValue object) {
    const NamedMembers members = named_members(object);
    const std::string_view type = read_type(members);
    if (type != "Feature") {
        fail_holding_text(GeoJsonErrorKind::NotAFeature, "NotAFeature", type);
    }
    if (!members.geometry) {
        fail_expected_property("geometry");
    }
    FeatureGeometry geometry{GeometryType::None, 0};
    if (members.geometry->is_object()) {
        geometry = read_geometry(*members.geometry);
    } else if (!members.geometry->is_null()) {
        fail_holding_value(GeoJsonErrorKind::FeatureInvalidGeometryValue,
                           "FeatureInvalidGeometryValue", *members.geometry);
    }
    if (members.properties && !members.properties->is_null() && !members.properties->is_object()) {
        fail_holding_value(GeoJsonErrorKind::PropertiesExpectedObjectOrNull,
                           "PropertiesExpectedObjectOrNull", *members.properties);
    }
    if (members.id && !members.id->is_string() && !members.id->is_number()) {
        fail_holding_value(GeoJsonErrorKind::FeatureInvalidIdentifierType,
                           "FeatureInvalidIdentifierType", *members.id);
    }
    read_bbox(members.bbox);
    return geometry;
}

Vector<FeatureGeometry> read_feature_collection(JsonValue object) {
    const NamedMembers members = named_members(object);
    read_bbox(members.bbox);
    if (!members.features) {
        fail_expected_property("features");
    }
    if (!members.features->is_array()) {
        fail_expected_array_value(kind_name(*members.features));
    }
    Vector<FeatureGeometry> features;
    features.reserve(members.features->count());
    for (ArrayElements it(*members.features); !it.done();) {
        const JsonValue element = it.take();
        if (!element.is_object()) {
            fail_expected_object_value(element);
        }
        features.push_back(read_feature(element));
    }
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

void append_text_description(Text& out, std::string_view text) {
    out += '"';
    for (std::size_t at = 0; at < text.size();) {
        const char c = text[at];
        switch (c) {
            case '\0':
                out += "\\0";
                ++at;
                continue;
            case '\t':
                out += "\\t";
                ++at;
                continue;
            case '\r':
                out += "\\r";
                ++at;
                continue;
            case '\n':
                out += "\\n";
                ++at;
                continue;
            case '"':
                out += "\\\"";
                ++at;
                continue;
            case '\\':
                out += "\\\\";
                ++at;
                continue;
            default:
                break;
        }
        const std::size_t start = at;
        const std::uint32_t code_point = decode_utf8(text, at);
        if (is_grapheme_extend(code_point) || !is_printable(code_point)) {
            append_hex_escape(out, code_point);
        } else {
            out.append(text.data() + start, at - start);
        }
    }
    out += '"';
}

void append_value_description(Text& out, JsonValue value) {
    switch (value.kind()) {
        case JsonKind::Null:
            out += "Null";
            return;
        case JsonKind::Bool:
            out += value.as_bool() ? "Bool(true)" : "Bool(false)";
            return;
        case JsonKind::Number:
            out += "Number(";
            append_number_description(out, value);
            out += ')';
            return;
        case JsonKind::String:
            out += "String(";
            append_text_description(out, value.as_string());
            out += ')';
            return;
        case JsonKind::Array: {
            out += "Array [";
            bool first = true;
            for (ArrayElements it(value); !it.done();) {
                if (!first) {
                    out += ", ";
                }
                first = false;
                append_value_description(out, it.take());
            }
            out += ']';
            return;
        }
        case JsonKind::Object: {
            out += "Object {";
            bool first = true;
            for (const auto& [name, member] : sorted_members(value)) {
                if (!first) {
                    out += ", ";
                }
                first = false;
                append_text_description(out, name);
                out += ": ";
                append_value_description(out, member);
            }
            out += '}';
            return;
        }
    }
}

GeoJsonDocument parse_geojson(std::string_view text) {
    JsonTape json = read_json(text);
    const JsonValue root = json.root();
    if (!root.is_object()) {
        fail_expected_object_value(root);
    }
    const NamedMembers members = named_members(root);
    if (!members.type || !members.type->is_string()) {
        fail_holding_text(GeoJsonErrorKind::GeometryUnknownType, "GeometryUnknownType", "type");
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
    if (geometry_type_named(type)) {
        read_geometry(root);
        return {std::move(json), DocumentKind::Geometry, {}};
    }
    throw GeoJsonError{GeoJsonErrorKind::EmptyType, Text("EmptyType")};
}

}  // namespace quorvel
