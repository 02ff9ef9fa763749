#include "write_feature_collection.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>

namespace quorvel {
namespace {

constexpr std::string_view kCollectionHead = R"({"features":[)";
constexpr std::string_view kCollectionTail = R"(],"type":"FeatureCollection"})";
constexpr std::string_view kFeatureHead = R"({"geometry":{"coordinates":[)";
constexpr std::string_view kFeatureTail = R"(],"type":"Polygon"},"properties":{},"type":"Feature"})";

// Shortest round-trip digits of a positive finite value: digits[0..count) and the decimal
// exponent e with 10^(e-1) <= value < 10^e.
struct ShortestDigits {
    char digits[20];
    int count;
    int exponent;
};

ShortestDigits shortest_digits(double value) {
    // Scientific form "d.ddde±x": the same shortest digits with the point after the first.
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific);
    ShortestDigits out{};
    const char* p = text;
    out.digits[out.count++] = *p++;
    if (*p == '.') {
        ++p;
        while (*p != 'e') {
            out.digits[out.count++] = *p++;
        }
    }
    ++p;  // 'e'
    const bool negative = *p == '-';
    ++p;  // sign
    int exponent = 0;
    for (; p != result.ptr; ++p) {
        exponent = exponent * 10 + (*p - '0');
    }
    out.exponent = (negative ? -exponent : exponent) + 1;
    return out;
}

void append_exponent(Text& out, int exponent) {
    char text[8];
    out.append(text, std::to_chars(text, text + sizeof text, exponent).ptr);
}

void append_ring(Text& out, const Ring& ring) {
    out += '[';
    for (std::size_t i = 0; i < ring.size(); ++i) {
        if (i != 0) {
            out += ',';
        }
        out += '[';
        append_coordinate_value(out, ring[i].x);
        out += ',';
        append_coordinate_value(out, ring[i].y);
        out += ']';
    }
    out += ']';
}

}  // namespace

void append_number(Text& out, double value) {
    if (std::signbit(value)) {
        out += '-';
        value = -value;
    }
    if (value == 0.0) {
        out += "0.0";
        return;
    }
    const ShortestDigits d = shortest_digits(value);
    const int n = d.count;
    const int e = d.exponent;
    const int k = e - n;
    if (k >= 0 && e <= 16) {
        out.append(d.digits, n);
        out.append(static_cast<std::size_t>(k), '0');
        out += ".0";
    } else if (1 <= e && e <= 16) {
        out.append(d.digits, e);
        out += '.';
        out.append(d.digits + e, n - e);
    } else if (-4 <= e && e <= 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-e), '0');
        out.append(d.digits, n);
    } else {
        out += d.digits[0];
        if (n > 1) {
            out += '.';
            out.append(d.digits + 1, n - 1);
        }
        out += 'e';
        append_exponent(out, e - 1);
    }
}

void append_coordinate_value(Text& out, double value) {
    if (std::isfinite(value)) {
        append_number(out, value);
    } else {
        out += "null";
    }
}

Text write_polygons_to_fc(PolygonList polygons) {
    Text out;
    out += kCollectionHead;
    for (std::size_t i = 0; i < polygons.size(); ++i) {
        if (i != 0) {
            out += ',';
        }
        const Polygon& polygon = polygons[i];
        out += kFeatureHead;
        append_ring(out, polygon.exterior);
        for (const Ring& interior : polygon.interiors) {
            out += ',';
            append_ring(out, interior);
        }
        out += kFeatureTail;
    }
    out += kCollectionTail;
    return out;
}

}  // namespace quorvel
