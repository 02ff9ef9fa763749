#!/usr/bin/env python3
"""Derives data/ne_countries_coarse.geojson from data/ne_countries_50m.geojson: every coordinate
rounded to one decimal of a degree (about 11 km), repeated positions in a row dropped, rings of
fewer than four positions (and polygons whose exterior is one) left out, features without a
polygon left out, properties kept. The result is a coarse world map of short numbers, whose
smoothed and simplified form is longer than the map itself.

    python tools/derive_coarse_map.py [--decimals 1]
"""
import argparse
import json
from pathlib import Path

DATA = Path(__file__).resolve().parent.parent / "data"


def coarse_ring(ring, decimals):
    kept = []
    for x, y, *_ in ring:
        position = [round(x, decimals), round(y, decimals)]
        if not kept or kept[-1] != position:
            kept.append(position)
    return kept if len(kept) >= 4 and kept[0] == kept[-1] else None


def coarse_polygon(rings, decimals):
    exterior = coarse_ring(rings[0], decimals) if rings else None
    if exterior is None:
        return None
    holes = [hole for hole in (coarse_ring(r, decimals) for r in rings[1:]) if hole is not None]
    return [exterior, *holes]


def coarse_feature(feature, decimals):
    geometry = feature["geometry"]
    if geometry is None or geometry["type"] not in ("Polygon", "MultiPolygon"):
        return None
    if geometry["type"] == "Polygon":
        polygon = coarse_polygon(geometry["coordinates"], decimals)
        if polygon is None:
            return None
        coordinates = polygon
    else:
        polygons = [p for p in (coarse_polygon(m, decimals) for m in geometry["coordinates"]) if p]
        if not polygons:
            return None
        coordinates = polygons
    return {"type": "Feature", "properties": feature.get("properties", {}),
            "geometry": {"type": geometry["type"], "coordinates": coordinates}}


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--decimals", type=int, default=1)
    args = parser.parse_args()
    source = json.loads((DATA / "ne_countries_50m.geojson").read_text(encoding="utf-8"))
    features = [f for f in (coarse_feature(f, args.decimals) for f in source["features"]) if f]
    document = {"type": "FeatureCollection", "features": features}
    text = json.dumps(document, ensure_ascii=False, separators=(",", ":"))
    (DATA / "ne_countries_coarse.geojson").write_text(text, encoding="utf-8")
    print(f"{len(features)} features, {len(text.encode()) / 1e6:.2f} MB")


if __name__ == "__main__":
    main()
