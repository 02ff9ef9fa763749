// The result document as compact text, written once into room reserved for its longest form.
#include "write_feature_collection.h"

#include <cassert>
#include <cmath>
#include <cstring>
#include <string_view>

#include "number_text.h"

namespace quorvel {
namespace {

constexpr std::string_view kCollectionHead = R"({"features":[)";
constexpr std::string_view kCollectionTail = R"(],"type":"FeatureCollection"})";
constexpr std::string_view kFeatureHead = R"({"geometry":{"coordinates":[)";
constexpr std::string_view kFeatureTail =
    R"(],"type":"Polygon"},"properties":{},"type":"Feature"})";

constexpr std::size_t kLongestPosition = 2 * kLongestShortest + 4;  // "[x,y]" and a comma

char* write_coordinate_value(char* out, double value) {
    if (std::isfinite(value)) {
        return write_shortest(out, value);
    }
    std::memcpy(out, "null", 4);
    return out + 4;
}

char* write_text(char* out, std::string_view text) {
    std::memcpy(out, text.data(), text.size());
    return out + text.size();
}

// `text` only serves the debug builds' check that every number has its room.
char* write_ring(char* out, const Ring& ring, [[maybe_unused]] const TextBuffer& text) {
    *out++ = '[';
    for (std::size_t i = 0; i < ring.size(); ++i) {
        assert(text.has_room(out, kLongestPosition + kShortestRoom));
        *out = ',';
        out += i != 0;
        *out++ = '[';
        out = write_coordinate_value(out, ring[i].x);
        *out++ = ',';
        out = write_coordinate_value(out, ring[i].y);
        *out++ = ']';
    }
    *out++ = ']';
    return out;
}

std::size_t upper_bound_of_text(const PolygonList& polygons) {
    // The last number may move a whole block past its own end.
    std::size_t bound = kCollectionHead.size() + kCollectionTail.size() + kShortestRoom;
    for (const Polygon& polygon : polygons) {
        bound += kFeatureHead.size() + kFeatureTail.size() + 1;
        bound += 3 + kLongestPosition * polygon.exterior.size();
        for (const Ring& interior : polygon.interiors) {
            bound += 3 + kLongestPosition * interior.size();
        }
    }
    return bound;
}

}  // namespace

TextBuffer write_polygons_to_fc(PolygonList polygons) {
    TextBuffer text(upper_bound_of_text(polygons));
    char* out = text.begin_writing();
    out = write_text(out, kCollectionHead);
    for (std::size_t i = 0; i < polygons.size(); ++i) {
        *out = ',';
        out += i != 0;
        const Polygon& polygon = polygons[i];
        out = write_text(out, kFeatureHead);
        out = write_ring(out, polygon.exterior, text);
        for (const Ring& interior : polygon.interiors) {
            *out++ = ',';
            out = write_ring(out, interior, text);
        }
        out = write_text(out, kFeatureTail);
    }
    out = write_text(out, kCollectionTail);
    text.finish_writing(out);
    return text;
}

}  // namespace quorvel
