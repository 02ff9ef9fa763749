// Closing a ring: the one helper of the shared polygon types.
#include "polygon_model.h"

namespace quorvel {

bool is_closed(const Ring& ring) {
    return !ring.empty() && ring.front() == ring.back();
}

void close_ring(Ring& ring) {
    if (!ring.empty() && !is_closed(ring)) {
        const Coordinate first = ring.front();
        ring.push_back(first);
    }
}

}  // namespace quorvel
