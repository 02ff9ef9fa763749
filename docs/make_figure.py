#!/usr/bin/env python3
"""Draws docs/maine_coast.png, the picture at the top of the README: one stretch of the coast
of Maine from data/us_states_10m.geojson, zoomed in, in three panels: the input with its
vertices, the rings after the two passes of corner cutting (tolerance 0 keeps every smoothed
point), and the result at two tolerances, with the islands whose ring collapsed marked.

    python -m pip install . -r docs/requirements.txt
    python docs/make_figure.py [--output docs/maine_coast.png]

The figure is deterministic: the same quorvel and matplotlib give the same PNG bytes.
"""
import argparse
import json
import math
from pathlib import Path

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402

from quorvel import smooth_and_simplify_polygon_fc  # noqa: E402

ROOT = Path(__file__).resolve().parent.parent
STATES = ROOT / "data" / "us_states_10m.geojson"
STATE = "Maine"
# Penobscot Bay and Mount Desert Island, in degrees of longitude and latitude.
WEST, EAST, SOUTH, NORTH = -69.15, -68.05, 43.95, 44.5
TOLERANCES = (0.01, 0.03)  # degrees, the units of the coordinates
SCALE_KM = 10
KM_PER_DEGREE = 111.195  # along a meridian of a sphere of radius 6371 km
INPUT_COLOUR, SMOOTH_COLOUR, CONTEXT_COLOUR = "#404040", "#2563eb", "#a3a3a3"
LAND_COLOUR, WATER_COLOUR = "#f3ead7", "#e3eef8"
RESULT_COLOURS = ("#059669", "#c2410c")
COLLAPSED_COLOUR = "#dc2626"


def coast_polygons():
    """The polygons of the state that reach into the window."""
    document = json.loads(STATES.read_text(encoding="utf-8"))
    [feature] = [f for f in document["features"] if f["properties"]["name"] == STATE]
    geometry = feature["geometry"]
    polygons = geometry["coordinates"] if geometry["type"] == "MultiPolygon" else [geometry["coordinates"]]
    return [polygon for polygon in polygons
            if any(WEST <= x <= EAST and SOUTH <= y <= NORTH for x, y in polygon[0])]


def smooth(polygons, tolerance):
    """quorvel's result: one polygon per input polygon, in the same order."""
    text = json.dumps({"type": "FeatureCollection", "features": [{
        "type": "Feature", "properties": {},
        "geometry": {"type": "MultiPolygon", "coordinates": polygons}}]})
    result = json.loads(smooth_and_simplify_polygon_fc(text, tolerance))
    return [feature["geometry"]["coordinates"] for feature in result["features"]]


def vertices_in_window(polygons):
    """Vertices inside the window, counting each ring's closing repeat once."""
    return sum(WEST <= x <= EAST and SOUTH <= y <= NORTH
               for polygon in polygons for ring in polygon for x, y in ring[:-1])


def fill(axes, polygons):
    for polygon in polygons:
        axes.fill([p[0] for p in polygon[0]], [p[1] for p in polygon[0]], color=LAND_COLOUR,
                  linewidth=0, zorder=1)


def draw(axes, polygons, colour, width, marker_size, z=2):
    for polygon in polygons:
        for ring in polygon:
            axes.plot([p[0] for p in ring], [p[1] for p in ring], color=colour, linewidth=width,
                      marker="o" if marker_size else None, markersize=marker_size,
                      solid_joinstyle="round", zorder=z)


def mark_collapsed(axes, original, result, colour):
    """Circles the islands whose exterior ring collapsed to fewer than four positions."""
    for before, after in zip(original, result):
        if len(after[0]) < 4:
            xs, ys = [p[0] for p in before[0]], [p[1] for p in before[0]]
            centre = ((min(xs) + max(xs)) / 2, (min(ys) + max(ys)) / 2)
            axes.plot(*centre, marker="o", markersize=16, markerfacecolor="none",
                      markeredgecolor=colour, markeredgewidth=1.6, zorder=4)


def scale_bar(axes):
    middle = math.radians((SOUTH + NORTH) / 2)
    length = SCALE_KM / (KM_PER_DEGREE * math.cos(middle))  # in degrees of longitude
    x, y = WEST + 0.04 * (EAST - WEST), SOUTH + 0.05 * (NORTH - SOUTH)
    axes.plot([x, x + length], [y, y], color="black", linewidth=4, solid_capstyle="butt", zorder=6)
    axes.text(x + length / 2, y + 0.015 * (NORTH - SOUTH), f"{SCALE_KM} km", ha="center",
              va="bottom", fontsize=12, zorder=6,
              bbox={"facecolor": "white", "edgecolor": "none", "alpha": 0.8, "pad": 1.5})


def frame(axes, title):
    axes.set_xlim(WEST, EAST)
    axes.set_ylim(SOUTH, NORTH)
    # A kilometre as long east-west as north-south at the middle latitude.
    axes.set_aspect(1 / math.cos(math.radians((SOUTH + NORTH) / 2)))
    axes.set_xticks([])
    axes.set_yticks([])
    axes.set_facecolor(WATER_COLOUR)
    axes.set_title(title, fontsize=14)
    scale_bar(axes)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--output", type=Path, default=ROOT / "docs" / "maine_coast.png")
    args = parser.parse_args()

    original = coast_polygons()
    smoothed = smooth(original, 0.0)
    results = [smooth(original, tolerance) for tolerance in TOLERANCES]

    figure, panels = plt.subplots(1, 3, figsize=(15, 4.9), layout="constrained")
    first, second, third = panels
    for axes in panels:
        fill(axes, original)
    draw(first, original, INPUT_COLOUR, 1.2, 3.6)
    frame(first, f"1. Input: {vertices_in_window(original)} vertices")

    draw(second, original, CONTEXT_COLOUR, 0.8, 0)
    draw(second, smoothed, SMOOTH_COLOUR, 1.3, 2.0, z=3)
    frame(second, f"2. Two corner-cutting passes: {vertices_in_window(smoothed)} vertices")

    draw(third, smoothed, CONTEXT_COLOUR, 0.8, 0)
    for tolerance, result, colour in zip(TOLERANCES, results, RESULT_COLOURS):
        draw(third, result, colour, 1.5, 3.2, z=3)
    mark_collapsed(third, original, results[-1], COLLAPSED_COLOUR)
    frame(third, "3. Simplified: " + ", ".join(
        f"{vertices_in_window(result)} at {tolerance}°" for tolerance, result in zip(TOLERANCES, results)))

    handles = [
        plt.Line2D([], [], color=INPUT_COLOUR, marker="o", markersize=4, label="input (US Census, Maine)"),
        plt.Line2D([], [], color=SMOOTH_COLOUR, marker="o", markersize=3, label="smoothed (tolerance 0)"),
        *[plt.Line2D([], [], color=colour, marker="o", markersize=4, label=f"tolerance {tolerance}°")
          for tolerance, colour in zip(TOLERANCES, RESULT_COLOURS)],
        plt.Line2D([], [], linestyle="none", marker="o", markersize=12, markerfacecolor="none",
                   markeredgecolor=COLLAPSED_COLOUR, label=f"island collapsed at {TOLERANCES[-1]}° (2 positions)"),
    ]
    figure.legend(handles=handles, loc="outside lower center", ncols=len(handles), fontsize=12.5, frameon=False,
                  handletextpad=0.4, columnspacing=1.2)
    figure.suptitle("The coast of Maine around Penobscot Bay: Chaikin smoothing (two passes), then "
                    "Ramer–Douglas–Peucker", fontsize=15)
    figure.savefig(args.output, dpi=100, metadata={"Software": None})
    print(f"wrote {args.output} ({args.output.stat().st_size:,} bytes)")


if __name__ == "__main__":
    main()
