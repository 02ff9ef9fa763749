// placeholder: being written
#include "smooth_and_simplify.h"
namespace quorvel {
PolygonList smooth_and_simplify_polygons(PolygonList polygons, double) { return polygons; }
}  // namespace quorvel
