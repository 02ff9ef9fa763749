// What the native checks share: a failure counter and the exit status it gives.
#pragma once

#include <cstdio>

namespace check {

inline int failures = 0;

// Records a failure with its description; the check goes on, so one run shows every failure.
inline void expect(bool holds, const char* what) {
    if (!holds) {
        ++failures;
        std::fprintf(stderr, "FAILED: %s\n", what);
    }
}

// The exit status: 0 when every expectation held.
inline int status() {
    if (failures != 0) {
        std::fprintf(stderr, "%d expectation(s) failed\n", failures);
    }
    return failures == 0 ? 0 : 1;
}

}  // namespace check
