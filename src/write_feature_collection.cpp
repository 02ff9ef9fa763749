// placeholder: being written
#include "write_feature_collection.h"
namespace quorvel {
Text write_polygons_to_fc(PolygonList) { return Text(R"({"features":[],"type":"FeatureCollection"})"); }
}  // namespace quorvel
