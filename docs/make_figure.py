#!/usr/bin/env python3
"""Draws docs/norway_before_after.png, the picture at the top of the README: the outline of
mainland Norway from data/ne_countries_50m.geojson before and after quorvel, at two tolerances.

    python -m pip install . -r docs/requirements.txt
    python docs/make_figure.py [--output docs/norway_before_after.png]

The figure is deterministic: the same quorvel and matplotlib give the same PNG bytes.
"""
import argparse
import json
import math
from pathlib import Path

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
from matplotlib.lines import Line2D  # noqa: E402

from quorvel import smooth_and_simplify_polygon_fc  # noqa: E402

ROOT = Path(__file__).resolve().parent.parent
COUNTRIES = ROOT / "data" / "ne_countries_50m.geojson"
COUNTRY = "Norway"
# Mainland Norway and its coastal islands; leaves out Svalbard and Jan Mayen, far to the north
# and west, so that the coast fills the picture.
LON_RANGE, LAT_RANGE = (4.0, 32.0), (57.0, 72.0)
TOLERANCES = (0.05, 0.2)  # degrees, the units of the coordinates
ZOOM = ((4.6, 7.6), (60.3, 62.3))  # the coast north of Bergen, in the insets
ORIGINAL_COLOUR, RESULT_COLOUR = "#9a9a9a", "#c2410c"


def mainland_polygons():
    document = json.loads(COUNTRIES.read_text(encoding="utf-8"))
    [feature] = [f for f in document["features"] if f["properties"].get("name") == COUNTRY]
    geometry = feature["geometry"]
    polygons = geometry["coordinates"] if geometry["type"] == "MultiPolygon" else [geometry["coordinates"]]

    def inside(polygon):
        return all(LON_RANGE[0] <= x <= LON_RANGE[1] and LAT_RANGE[0] <= y <= LAT_RANGE[1]
                   for x, y in polygon[0])

    return [polygon for polygon in polygons if inside(polygon)]


def smooth(polygons, tolerance):
    """quorvel's result for one Feature holding the polygons: a list of polygons again."""
    text = json.dumps({"type": "FeatureCollection", "features": [{
        "type": "Feature", "properties": {"name": COUNTRY},
        "geometry": {"type": "MultiPolygon", "coordinates": polygons}}]})
    result = json.loads(smooth_and_simplify_polygon_fc(text, tolerance))
    return [feature["geometry"]["coordinates"] for feature in result["features"]]


def point_count(polygons):
    return sum(len(ring) for polygon in polygons for ring in polygon)


def draw(axes, polygons, colour, width):
    for polygon in polygons:
        for ring in polygon:
            axes.plot([p[0] for p in ring], [p[1] for p in ring], color=colour, linewidth=width,
                      solid_joinstyle="round")


def panel(axes, original, result, bounds, width):
    draw(axes, original, ORIGINAL_COLOUR, 0.8 * width)
    draw(axes, result, RESULT_COLOUR, 1.5 * width)
    (west, east), (south, north) = bounds
    axes.set_xlim(west, east)
    axes.set_ylim(south, north)
    # Degrees of longitude are shorter than degrees of latitude up here: stretch the axes so
    # that a kilometre is as long east-west as north-south at the middle latitude.
    axes.set_aspect(1 / math.cos(math.radians((south + north) / 2)))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--output", type=Path, default=ROOT / "docs" / "norway_before_after.png")
    args = parser.parse_args()

    original = mainland_polygons()
    figure, panels = plt.subplots(1, len(TOLERANCES), figsize=(11, 7), layout="constrained")
    for axes, tolerance in zip(panels, TOLERANCES):
        result = smooth(original, tolerance)
        panel(axes, original, result, ((4.2, 31.8), (57.6, 71.6)), 1.0)
        axes.set_title(f"tolerance {tolerance}°: {point_count(original):,} → "
                       f"{point_count(result):,} points", fontsize=12)
        axes.set_xlabel("longitude (°)")
        axes.set_ylabel("latitude (°)")
        axes.grid(color="#e8e8e8", linewidth=0.5)
        axes.set_axisbelow(True)
        # A closer look at the fjords north of Bergen, drawn where Sweden would be.
        zoom = axes.inset_axes((0.47, 0.02, 0.51, 0.52))
        panel(zoom, original, result, ZOOM, 1.4)
        zoom.set_xticks([])
        zoom.set_yticks([])
        axes.indicate_inset_zoom(zoom, edgecolor="#444444")
    figure.legend(handles=[
        Line2D([], [], color=ORIGINAL_COLOUR, linewidth=1.5, label="original outline (Natural Earth 1:50m)"),
        Line2D([], [], color=RESULT_COLOUR, linewidth=2, label="smoothed and simplified by quorvel"),
    ], loc="outside lower center", ncols=2, fontsize=11, frameon=False)
    figure.suptitle("Mainland Norway: two passes of Chaikin smoothing, then Ramer–Douglas–Peucker "
                    "(tolerance in degrees)", fontsize=13)
    figure.savefig(args.output, dpi=100, metadata={"Software": None})
    print(f"wrote {args.output} ({args.output.stat().st_size:,} bytes)")


if __name__ == "__main__":
    main()
