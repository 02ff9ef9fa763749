// The pipeline without Python: reads a GeoJSON FeatureCollection file, smooths and simplifies
// it at the given tolerance and writes the result text to standard output, the same bytes the
// module's function returns. tools/check_platforms.sh runs it where there is no CPython (static
// musl builds, natively and under qemu) to compare result digests across platforms.
//
//   cmake -S . -B build/tools -DQUORVEL_MODULE=OFF -DQUORVEL_TOOLS=ON && cmake --build build/tools
//   build/tools/run_pipeline data/us_states_10m.geojson 0.01 | sha256sum
//
// Exit status 0 with the result, 1 with a fault report (unreadable input, memory exhausted) on
// standard error, 2 for a usage error.
#include <charconv>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>

#include "allocation.h"
#include "fault.h"
#include "read_polygons_from_fc.h"
#include "smooth_and_simplify.h"
#include "write_feature_collection.h"

namespace {

std::optional<std::string> read_file(const char* path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    std::ostringstream text;
    text << file.rdbuf();
    return std::move(text).str();
}

// The whole argument as a double, correctly rounded, as Python's float() reads it.
std::optional<double> parse_tolerance(std::string_view text) {
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

bool write_all(std::string_view text) {
    return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() &&
           std::fflush(stdout) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::optional<double> tolerance = argc == 3 ? parse_tolerance(argv[2]) : std::nullopt;
    if (!tolerance) {
        std::fprintf(stderr, "usage: %s FILE TOLERANCE\n", argc > 0 ? argv[0] : "run_pipeline");
        return 2;
    }
    const std::optional<std::string> text = read_file(argv[1]);
    if (!text) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
        return 1;
    }
    try {
        const quorvel::TextBuffer result =
            quorvel::write_polygons_to_fc(quorvel::smooth_and_simplify_polygons(
                quorvel::read_polygons_from_fc(*text), *tolerance));
        return write_all(result.view()) ? 0 : 1;
    } catch (const quorvel::Fault&) {
        return 1;  // the fault report is on standard error already
    } catch (const quorvel::AllocationFailure& failure) {
        std::fprintf(stderr, "memory allocation of %zu bytes failed\n", failure.bytes);
        return 1;
    }
}
