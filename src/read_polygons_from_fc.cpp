// placeholder: being written
#include "read_polygons_from_fc.h"
namespace quorvel {
PolygonList read_polygons_from_fc(std::string_view) { return {}; }
}  // namespace quorvel
