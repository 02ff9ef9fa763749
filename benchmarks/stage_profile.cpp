// Where the time of one call goes, stage by stage, on one file: reading the JSON text, the
// GeoJSON walk, collecting the polygons, smoothing, simplifying and writing. The interpreter's
// two copies at the boundary are timed by profile_stages.py next to this.
//
//   cmake -S . -B build/tools -DQUORVEL_MODULE=OFF -DQUORVEL_TOOLS=ON && cmake --build build/tools
//   build/tools/stage_profile data/ne_countries_50m.geojson 0.01
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "geojson_input.h"
#include "json_text.h"
#include "read_polygons_from_fc.h"
#include "smooth_and_simplify.h"
#include "write_feature_collection.h"

namespace {

using Clock = std::chrono::steady_clock;

double median_ms(int repeat, const std::function<void()>& setup,
                 const std::function<void()>& stage) {
    std::vector<double> times;
    for (int i = 0; i < repeat; ++i) {
        setup();
        const auto start = Clock::now();
        stage();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::nth_element(times.begin(), times.begin() + repeat / 2, times.end());
    return times[repeat / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s FILE TOLERANCE [REPEAT]\n", argv[0]);
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    std::stringstream buffer;
    buffer << file.rdbuf();
    const std::string text = buffer.str();
    const double tolerance = std::stod(argv[2]);
    const int repeat = argc > 3 ? std::stoi(argv[3]) : 15;
    const auto nothing = [] {};

    const double json = median_ms(repeat, nothing, [&] { quorvel::parse_json(text); });
    const double geojson = median_ms(repeat, nothing, [&] { quorvel::parse_geojson(text); });
    const double read = median_ms(repeat, nothing, [&] { quorvel::read_polygons_from_fc(text); });

    const quorvel::PolygonList polygons = quorvel::read_polygons_from_fc(text);
    quorvel::PolygonList input;
    const auto fresh_input = [&] { input = polygons; };
    const double smooth = median_ms(
        repeat, fresh_input, [&] { quorvel::smooth_and_simplify_polygons(std::move(input), 0.0); });
    const double smooth_and_simplify = median_ms(repeat, fresh_input, [&] {
        quorvel::smooth_and_simplify_polygons(std::move(input), tolerance);
    });
    const quorvel::PolygonList output = quorvel::smooth_and_simplify_polygons(polygons, tolerance);
    quorvel::PolygonList to_write;
    std::size_t written = 0;
    const double write = median_ms(
        repeat, [&] { to_write = output; },
        [&] { written = quorvel::write_polygons_to_fc(std::move(to_write)).size(); });

    const double mb = static_cast<double>(text.size()) / 1e6;
    std::printf("%s, %.2f MB, tolerance %g (median of %d, ms)\n", argv[1], mb, tolerance, repeat);
    std::printf("  JSON text          %7.2f\n", json);
    std::printf("  GeoJSON walk       %7.2f\n", geojson - json);
    std::printf("  collection         %7.2f\n", read - geojson);
    std::printf("  smoothing          %7.2f\n", smooth);
    std::printf("  simplification     %7.2f\n", smooth_and_simplify - smooth);
    std::printf("  writing            %7.2f  (%.2f MB out)\n", write,
                static_cast<double>(written) / 1e6);
    const double total = read + smooth_and_simplify + write;
    std::printf("  pipeline           %7.2f  = %.0f MB/s\n", total, mb / total * 1000.0);
}
