// libFuzzer target over the whole polygon pipeline, without Python: text and tolerance in,
// result text or Fault out. Besides "no crash, no leak, no out-of-bounds access" it checks what
// the pipeline promises about its result:
//
//   - the reader never accepts text that is not one strict JSON value, and never refuses as
//     malformed a plain JSON value (shallow, with ordinary numbers);
//   - a refusal is a Fault with one of the known message forms, its line and column inside the
//     text;
//   - an accepted document's output is strict JSON of exactly the written shape, its numbers
//     read back as exactly the coordinates that were written, null where they are not finite;
//   - every output ring is empty or closed (first and last position written alike);
//   - there is one output feature per Polygon and per MultiPolygon member of the input,
//     counted here from an independent reading of the text, with the same rings, whose
//     coordinates the independent reading, number rule included, makes bit for bit alike;
//   - ring lengths follow the smoothing laws: a closed ring of n >= 2 points leaves with 4n - 3
//     points when the tolerance is <= 0, with 2 when it is +inf or NaN, with 2 to 4n - 3
//     otherwise; a ring of fewer points leaves empty;
//   - every ring leaves the middle stage exactly, bit for bit, as the plain smoothing and
//     simplification of reference_geometry.h make it;
//   - the same input gives the same bytes twice.
//
// Input layout: the first byte picks the tolerance (below), the rest is the text. Bytes that
// are not valid UTF-8 are replaced by '?', since the Python boundary only ever hands over valid
// UTF-8.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fault.h"
#include "read_polygons_from_fc.h"
#include "reference_geometry.h"
#include "smooth_and_simplify.h"
#include "write_feature_collection.h"

namespace {

[[noreturn]] void fail(const char* what, std::string_view detail = {}) {
    std::fprintf(stderr, "\nINVARIANT BROKEN: %s\n", what);
    if (!detail.empty()) {
        std::fprintf(stderr, "%.*s\n", static_cast<int>(std::min<std::size_t>(detail.size(), 2000)),
                     detail.data());
    }
    std::abort();
}

#define CHECK(condition, ...)                \
    do {                                     \
        if (!(condition))                    \
            fail(#condition, ##__VA_ARGS__); \
    } while (0)

// ---- input decoding -----------------------------------------------------------------------

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kTolerances[16] = {
    0.0, -0.0, -1.0, -kInf, 1e-9,  0.01,   0.1,  0.5,
    1.0, 2.5,  10.0, 1e6,   1e300, 5e-324, kInf, std::numeric_limits<double>::quiet_NaN(),
};

// Byte 0 with the high bit clear: a tolerance from the table; with it set and eight more
// bytes: those bytes as the double itself.
std::pair<double, std::string_view> split_input(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return {0.0, {}};
    }
    const auto* text = reinterpret_cast<const char*>(data);
    if ((data[0] & 0x80) != 0 && size >= 9) {
        double tolerance;
        std::memcpy(&tolerance, data + 1, sizeof tolerance);
        return {tolerance, std::string_view(text + 9, size - 9)};
    }
    return {kTolerances[data[0] & 15], std::string_view(text + 1, size - 1)};
}

// Strict UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF); every byte that does
// not start a valid sequence becomes '?'.
std::string valid_utf8(std::string_view in) {
    std::string out;
    out.reserve(in.size());
    std::size_t i = 0;
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(in[k]); };
    while (i < in.size()) {
        const unsigned char c = byte(i);
        std::size_t length = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (c < 0x80) {
            length = 1;
        } else if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            if (c == 0xE0)
                low = 0xA0;
            if (c == 0xED)
                high = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            if (c == 0xF0)
                low = 0x90;
            if (c == 0xF4)
                high = 0x8F;
        }
        bool ok = length != 0 && i + length <= in.size();
        for (std::size_t k = 1; ok && k < length; ++k) {
            const unsigned char next = byte(i + k);
            ok = k == 1 ? (next >= low && next <= high) : (next >= 0x80 && next <= 0xBF);
        }
        if (ok) {
            out.append(in.substr(i, length));
            i += length;
        } else {
            out.push_back('?');
            ++i;
        }
    }
    return out;
}

// ---- an independent strict JSON reader ------------------------------------------------------

struct Node {
    enum Kind { Null, Bool, Number, String, Array, Object } kind = Null;
    std::string text;                // a string's decoded value, or a number's literal
    std::vector<Node> items;         // an array's elements, or an object's member values
    std::vector<std::string> names;  // an object's member names, in text order

    // The last member of that name, as every reader of the document takes it.
    const Node* member(std::string_view name) const {
        const Node* found = nullptr;
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (names[i] == name)
                found = &items[i];
        }
        return found;
    }
    bool is_string(std::string_view value) const { return kind == String && text == value; }
};

class StrictReader {
  public:
    explicit StrictReader(std::string_view text) : s_(text) {}

    // Whether the text is exactly one RFC 8259 value with optional whitespace around it.
    bool read(Node& root) {
        if (!value(root, 1))
            return false;
        skip_whitespace();
        return p_ == s_.size();
    }
    int max_depth() const { return max_depth_; }
    // A number the reader may refuse as out of range (or round near the top of the range).
    bool has_huge_number() const { return huge_number_; }

  private:
    static constexpr int kGiveUpDepth = 1000;

    void skip_whitespace() {
        while (p_ < s_.size() &&
               (s_[p_] == ' ' || s_[p_] == '\t' || s_[p_] == '\n' || s_[p_] == '\r')) {
            ++p_;
        }
    }
    bool literal(std::string_view word) {
        if (s_.substr(p_, word.size()) != word)
            return false;
        p_ += word.size();
        return true;
    }
    bool value(Node& node, int depth) {
        skip_whitespace();
        if (p_ >= s_.size())
            return false;
        const char c = s_[p_];
        if (c == '{' || c == '[') {
            max_depth_ = std::max(max_depth_, depth);
            if (depth > kGiveUpDepth)
                return false;
        }
        switch (c) {
            case 'n':
                node.kind = Node::Null;
                return literal("null");
            case 't':
                node.kind = Node::Bool;
                return literal("true");
            case 'f':
                node.kind = Node::Bool;
                return literal("false");
            case '"':
                node.kind = Node::String;
                return string(node.text);
            case '[': {
                node.kind = Node::Array;
                ++p_;
                skip_whitespace();
                if (p_ < s_.size() && s_[p_] == ']') {
                    ++p_;
                    return true;
                }
                for (;;) {
                    node.items.emplace_back();
                    if (!value(node.items.back(), depth + 1))
                        return false;
                    skip_whitespace();
                    if (p_ >= s_.size())
                        return false;
                    if (s_[p_] == ']') {
                        ++p_;
                        return true;
                    }
                    if (s_[p_] != ',')
                        return false;
                    ++p_;
                }
            }
            case '{': {
                node.kind = Node::Object;
                ++p_;
                skip_whitespace();
                if (p_ < s_.size() && s_[p_] == '}') {
                    ++p_;
                    return true;
                }
                for (;;) {
                    skip_whitespace();
                    if (p_ >= s_.size() || s_[p_] != '"')
                        return false;
                    node.names.emplace_back();
                    node.items.emplace_back();
                    if (!string(node.names.back()))
                        return false;
                    skip_whitespace();
                    if (p_ >= s_.size() || s_[p_] != ':')
                        return false;
                    ++p_;
                    if (!value(node.items.back(), depth + 1))
                        return false;
                    skip_whitespace();
                    if (p_ >= s_.size())
                        return false;
                    if (s_[p_] == '}') {
                        ++p_;
                        return true;
                    }
                    if (s_[p_] != ',')
                        return false;
                    ++p_;
                }
            }
            default:
                node.kind = Node::Number;
                return number(node.text);
        }
    }
    static bool digit(char c) { return c >= '0' && c <= '9'; }
    bool number(std::string& literal_text) {
        const std::size_t start = p_;
        if (p_ < s_.size() && s_[p_] == '-')
            ++p_;
        if (p_ >= s_.size() || !digit(s_[p_]))
            return false;
        if (s_[p_] == '0') {
            ++p_;
        } else {
            while (p_ < s_.size() && digit(s_[p_]))
                ++p_;
        }
        if (p_ < s_.size() && s_[p_] == '.') {
            ++p_;
            if (p_ >= s_.size() || !digit(s_[p_]))
                return false;
            while (p_ < s_.size() && digit(s_[p_]))
                ++p_;
        }
        if (p_ < s_.size() && (s_[p_] == 'e' || s_[p_] == 'E')) {
            ++p_;
            if (p_ < s_.size() && (s_[p_] == '+' || s_[p_] == '-'))
                ++p_;
            if (p_ >= s_.size() || !digit(s_[p_]))
                return false;
            while (p_ < s_.size() && digit(s_[p_]))
                ++p_;
        }
        literal_text.assign(s_.substr(start, p_ - start));
        const double v = std::strtod(literal_text.c_str(), nullptr);
        if (!(std::fabs(v) < 1e300))
            huge_number_ = true;
        return true;
    }
    static int hex(char c) {
        if (digit(c))
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    }
    bool unit(unsigned& out) {
        if (s_.size() - p_ < 4)
            return false;
        out = 0;
        for (int k = 0; k < 4; ++k) {
            const int h = hex(s_[p_ + k]);
            if (h < 0)
                return false;
            out = out * 16 + static_cast<unsigned>(h);
        }
        p_ += 4;
        return true;
    }
    static void put_utf8(std::string& out, unsigned cp) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    // Strings must hold Unicode scalar values only: an unpaired surrogate escape is refused.
    bool string(std::string& out) {
        ++p_;  // the opening quote
        for (;;) {
            if (p_ >= s_.size())
                return false;
            const unsigned char c = static_cast<unsigned char>(s_[p_++]);
            if (c == '"')
                return true;
            if (c < 0x20)
                return false;
            if (c != '\\') {
                out += static_cast<char>(c);
                continue;
            }
            if (p_ >= s_.size())
                return false;
            const char e = s_[p_++];
            switch (e) {
                case '"':
                    out += '"';
                    break;
                case '\\':
                    out += '\\';
                    break;
                case '/':
                    out += '/';
                    break;
                case 'b':
                    out += '\b';
                    break;
                case 'f':
                    out += '\f';
                    break;
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'u': {
                    unsigned first;
                    if (!unit(first))
                        return false;
                    if (first >= 0xDC00 && first <= 0xDFFF)
                        return false;
                    if (first >= 0xD800 && first <= 0xDBFF) {
                        unsigned second;
                        if (s_.substr(p_, 2) != "\\u")
                            return false;
                        p_ += 2;
                        if (!unit(second) || second < 0xDC00 || second > 0xDFFF)
                            return false;
                        put_utf8(out, 0x10000 + ((first - 0xD800) << 10) + (second - 0xDC00));
                    } else {
                        put_utf8(out, first);
                    }
                    break;
                }
                default:
                    return false;
            }
        }
    }

    std::string_view s_;
    std::size_t p_ = 0;
    int max_depth_ = 0;
    bool huge_number_ = false;
};

// ---- what the input holds -------------------------------------------------------------------

// The reader's number rule, digit by digit (the module's reader takes eight digits at a time):
// digits are gathered into a 64-bit significand while the next one fits; once one does not, no
// later digit is gathered: integer digits then raise the exponent and fraction digits are
// skipped; then the significand is rounded to a double and multiplied or divided by the
// double nearest to the power of ten, dividing by 1e308 first while the power is below -308.
// Only literals of accepted texts come here, so none is out of range.
double read_number(std::string_view literal) {
    static const std::vector<double> powers = [] {
        std::vector<double> table;
        for (int k = 0; k <= 308; ++k) {
            table.push_back(std::strtod(("1e" + std::to_string(k)).c_str(), nullptr));
        }
        return table;
    }();
    const auto fits = [](std::uint64_t significand, unsigned digit) {
        return significand <= (UINT64_MAX - digit) / 10;
    };
    std::size_t i = 0;
    const bool negative = literal[0] == '-';
    i += negative ? 1 : 0;
    std::uint64_t significand = 0;
    std::int64_t exponent = 0;
    bool full = false;
    for (; i < literal.size() && literal[i] >= '0' && literal[i] <= '9'; ++i) {
        const unsigned digit = literal[i] - '0';
        full = full || !fits(significand, digit);
        if (full) {
            ++exponent;
        } else {
            significand = significand * 10 + digit;
        }
    }
    const bool integer = i == literal.size();
    if (integer && !full) {
        if (!negative)
            return static_cast<double>(significand);
        if (significand != 0 && significand <= (std::uint64_t{1} << 63)) {
            return static_cast<double>(-static_cast<std::int64_t>(significand - 1) - 1);
        }
        return -static_cast<double>(significand);
    }
    if (i < literal.size() && literal[i] == '.') {
        bool skipping = full;
        for (++i; i < literal.size() && literal[i] >= '0' && literal[i] <= '9'; ++i) {
            const unsigned digit = literal[i] - '0';
            skipping = skipping || !fits(significand, digit);
            if (!skipping) {
                significand = significand * 10 + digit;
                --exponent;
            }
        }
    }
    if (i < literal.size()) {  // the exponent
        ++i;
        const bool minus = literal[i] == '-';
        i += literal[i] == '-' || literal[i] == '+' ? 1 : 0;
        std::int64_t written = 0;
        for (; i < literal.size(); ++i) {
            written = written * 10 + (literal[i] - '0');
            if (written > INT32_MAX) {
                return negative ? -0.0 : 0.0;  // accepted, so zero digits or a negative power
            }
        }
        exponent += minus ? -written : written;
    }
    double value = static_cast<double>(significand);
    while (exponent < -308 || exponent > 308) {
        if (value == 0.0)
            break;
        CHECK(exponent < 0, literal);
        value /= 1e308;
        exponent += 308;
    }
    if (exponent >= -308 && exponent <= 308) {
        value = exponent >= 0 ? value * powers[exponent] : value / powers[-exponent];
    }
    CHECK(std::isfinite(value), literal);
    return negative ? -value : value;
}

// The polygons a valid document yields, read from the independent tree: rings of (x, y), with
// the first ring (or an empty one) as the exterior, closed as the reader closes them.
std::vector<std::vector<reference::Points>> polygons_in(const Node& root) {
    std::vector<std::vector<reference::Points>> polygons;
    if (root.kind != Node::Object)
        return polygons;
    const Node* type = root.member("type");
    if (type == nullptr || !type->is_string("FeatureCollection"))
        return polygons;
    const Node* features = root.member("features");
    CHECK(features != nullptr && features->kind == Node::Array);
    const auto add = [&](const Node& rings) {
        std::vector<reference::Points> polygon;
        for (const Node& ring : rings.items) {
            reference::Points points;
            for (const Node& position : ring.items) {
                CHECK(position.items.size() >= 2);
                points.push_back(
                    {read_number(position.items[0].text), read_number(position.items[1].text)});
            }
            reference::close_ring(points);
            polygon.push_back(points);
        }
        if (polygon.empty())
            polygon.emplace_back();
        polygons.push_back(polygon);
    };
    for (const Node& feature : features->items) {
        const Node* geometry = feature.member("geometry");
        CHECK(geometry != nullptr);
        if (geometry->kind != Node::Object)
            continue;
        const Node* geometry_type = geometry->member("type");
        const Node* coordinates = geometry->member("coordinates");
        if (geometry_type->is_string("Polygon")) {
            add(*coordinates);
        } else if (geometry_type->is_string("MultiPolygon")) {
            for (const Node& member : coordinates->items)
                add(member);
        }
    }
    return polygons;
}

// Whether the module read a ring as the independent reading did, bit for bit.
bool same_ring(const quorvel::Ring& ring, const reference::Points& points) {
    return ring.size() == points.size() &&
           (ring.empty() ||
            std::memcmp(ring.data(), points.data(), ring.size() * sizeof ring[0]) == 0);
}

// ---- the result -----------------------------------------------------------------------------

void check_coordinate(const Node& written, double value) {
    if (!std::isfinite(value)) {
        CHECK(written.kind == Node::Null);
        return;
    }
    CHECK(written.kind == Node::Number, written.text);
    const double read_back = std::strtod(written.text.c_str(), nullptr);
    CHECK(std::memcmp(&read_back, &value, sizeof value) == 0, written.text);
}

void check_ring(const Node& written, const quorvel::Ring& ring, std::size_t input_length,
                double tolerance) {
    CHECK(written.kind == Node::Array);
    CHECK(written.items.size() == ring.size());
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const Node& position = written.items[i];
        CHECK(position.kind == Node::Array && position.items.size() == 2);
        check_coordinate(position.items[0], ring[i].x);
        check_coordinate(position.items[1], ring[i].y);
    }
    if (!written.items.empty()) {
        const Node& first = written.items.front();
        const Node& last = written.items.back();
        for (int k = 0; k < 2; ++k) {
            CHECK(first.items[k].kind == last.items[k].kind &&
                      first.items[k].text == last.items[k].text,
                  "ring not closed");
        }
    }
    const std::size_t n = input_length;
    const std::size_t length = ring.size();
    if (n < 2) {
        CHECK(length == 0);
    } else if (0.0 >= tolerance) {
        CHECK(length == 4 * n - 3);
    } else if (std::isnan(tolerance) || tolerance == kInf) {
        CHECK(length == 2);
    } else {
        CHECK(length >= 2 && length <= 4 * n - 3);
    }
}

void check_output(std::string_view output, const quorvel::PolygonList& input,
                  const quorvel::PolygonList& result, double tolerance) {
    Node root;
    StrictReader reader(output);
    CHECK(reader.read(root), output);
    CHECK(root.kind == Node::Object && root.names.size() == 2);
    CHECK(root.names[0] == "features" && root.names[1] == "type");
    CHECK(root.items[1].is_string("FeatureCollection"));
    const Node& features = root.items[0];
    CHECK(features.kind == Node::Array && features.items.size() == result.size());
    for (std::size_t i = 0; i < result.size(); ++i) {
        const Node& feature = features.items[i];
        CHECK(feature.kind == Node::Object && feature.names.size() == 3);
        CHECK(feature.names[0] == "geometry" && feature.names[1] == "properties" &&
              feature.names[2] == "type");
        const Node& properties = feature.items[1];
        CHECK(properties.kind == Node::Object && properties.names.empty());
        CHECK(feature.items[2].is_string("Feature"));
        const Node& geometry = feature.items[0];
        CHECK(geometry.kind == Node::Object && geometry.names.size() == 2);
        CHECK(geometry.names[0] == "coordinates" && geometry.names[1] == "type");
        CHECK(geometry.items[1].is_string("Polygon"));
        const Node& rings = geometry.items[0];
        const quorvel::Polygon& polygon = result[i];
        CHECK(rings.kind == Node::Array && rings.items.size() == 1 + polygon.interiors.size());
        CHECK(input[i].interiors.size() == polygon.interiors.size());
        check_ring(rings.items[0], polygon.exterior, input[i].exterior.size(), tolerance);
        for (std::size_t k = 0; k < polygon.interiors.size(); ++k) {
            check_ring(rings.items[k + 1], polygon.interiors[k], input[i].interiors[k].size(),
                       tolerance);
        }
    }
}

// ---- the middle stage against the plain algorithm -------------------------------------------

reference::Points reference_ring(const quorvel::Ring& ring, double tolerance) {
    reference::Points points;
    for (const quorvel::Coordinate c : ring)
        points.push_back({c.x, c.y});
    points = reference::cut_corners(reference::cut_corners(points));
    reference::close_ring(points);
    points = reference::simplify_ring(points, tolerance);
    reference::close_ring(points);
    return points;
}

void check_ring_against_reference(const quorvel::Ring& input, const quorvel::Ring& result,
                                  double tolerance) {
    const reference::Points expected = reference_ring(input, tolerance);
    CHECK(result.size() == expected.size(), "ring differs from the plain algorithm's");
    // Read from text, every coordinate is finite and stays so: all bits must match.
    CHECK(result.empty() ||
              std::memcmp(result.data(), expected.data(), result.size() * sizeof result[0]) == 0,
          "ring differs from the plain algorithm's");
}

void check_stage(const quorvel::PolygonList& input, const quorvel::PolygonList& result,
                 double tolerance) {
    CHECK(input.size() == result.size());
    for (std::size_t i = 0; i < input.size(); ++i) {
        check_ring_against_reference(input[i].exterior, result[i].exterior, tolerance);
        CHECK(input[i].interiors.size() == result[i].interiors.size());
        for (std::size_t k = 0; k < input[i].interiors.size(); ++k) {
            check_ring_against_reference(input[i].interiors[k], result[i].interiors[k], tolerance);
        }
    }
}

// ---- one run --------------------------------------------------------------------------------

constexpr std::string_view kUnwrap = "called `Result::unwrap()` on an `Err` value: ";
constexpr std::string_view kMalformed = "MalformedJson(Error(";

struct Outcome {
    bool accepted = false;
    std::string text;  // the result, or the Fault's message
};

void check_refusal(std::string_view message, std::string_view text) {
    if (message == "index out of bounds: the len is 0 but the index is 0" ||
        message == "index out of bounds: the len is 1 but the index is 1") {
        return;
    }
    CHECK(message.starts_with(kUnwrap), message);
    const std::string_view description = message.substr(kUnwrap.size());
    if (!description.starts_with(kMalformed)) {
        return;
    }
    // MalformedJson(Error("...", line: L, column: C)): the position lies inside the text.
    const std::size_t at = description.rfind(", line: ");
    CHECK(at != std::string_view::npos, message);
    unsigned long long line = 0, column = 0;
    CHECK(std::sscanf(std::string(description.substr(at)).c_str(), ", line: %llu, column: %llu))",
                      &line, &column) == 2,
          message);
    std::size_t line_start = 0;
    for (unsigned long long l = 1; l < line; ++l) {
        const std::size_t newline = text.find('\n', line_start);
        CHECK(newline != std::string_view::npos, message);
        line_start = newline + 1;
    }
    CHECK(line >= 1 && line_start + column <= text.size(), message);
    CHECK(text.substr(line_start, column).find('\n') == std::string_view::npos, message);
}

Outcome run_pipeline(std::string_view text, double tolerance, quorvel::PolygonList* read,
                     quorvel::PolygonList* processed) {
    Outcome outcome;
    try {
        quorvel::PolygonList polygons = quorvel::read_polygons_from_fc(text);
        if (read != nullptr)
            *read = polygons;
        polygons = quorvel::smooth_and_simplify_polygons(std::move(polygons), tolerance);
        if (processed != nullptr)
            *processed = polygons;
        const quorvel::TextBuffer result = quorvel::write_polygons_to_fc(std::move(polygons));
        outcome.accepted = true;
        outcome.text.assign(result.data(), result.size());
    } catch (const quorvel::Fault& fault) {
        outcome.text.assign(fault.message.data(), fault.message.size());
    }
    return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto [tolerance, raw_text] = split_input(data, size);
    const std::string text = valid_utf8(raw_text);

    quorvel::PolygonList read, processed;
    Outcome first;
    try {
        first = run_pipeline(text, tolerance, &read, &processed);
    } catch (const quorvel::AllocationFailure&) {
        return 0;
    }

    Node root;
    StrictReader reader(text);
    const bool strict_json = reader.read(root);
    const bool plain_json = strict_json && reader.max_depth() < 128 && !reader.has_huge_number();
    const bool refused_as_malformed =
        !first.accepted && first.text.starts_with(std::string(kUnwrap) + std::string(kMalformed));

    if (!refused_as_malformed) {
        CHECK(strict_json, "a text that is not strict JSON was read");
    }
    if (plain_json) {
        CHECK(!refused_as_malformed, first.text);
    }
    if (!first.accepted) {
        check_refusal(first.text, text);
    } else {
        const auto polygons = polygons_in(root);
        CHECK(polygons.size() == read.size(), "feature count differs from the input's polygons");
        for (std::size_t i = 0; i < polygons.size(); ++i) {
            CHECK(read[i].interiors.size() + 1 == polygons[i].size());
            CHECK(same_ring(read[i].exterior, polygons[i][0]), "coordinates read differently");
            for (std::size_t k = 0; k < read[i].interiors.size(); ++k) {
                CHECK(same_ring(read[i].interiors[k], polygons[i][k + 1]),
                      "coordinates read differently");
            }
        }
        check_output(first.text, read, processed, tolerance);
        check_stage(read, processed, tolerance);
    }

    const Outcome second = run_pipeline(text, tolerance, nullptr, nullptr);
    CHECK(second.accepted == first.accepted && second.text == first.text,
          "the same input gave different results");
    return 0;
}
