"""A small program using quorvel the way a typed code base does.

CI type-checks it with `mypy --strict` against the installed package (which must bring its own
type information), and runs it against every build it installs: it exits 0 and prints
nothing when the typical call gives the exact expected text. Written for Python 3.8 and later.
"""
from pathlib import Path
from typing import Callable, Dict, List

import quorvel
from quorvel import smooth_and_simplify_polygon_fc

SQUARE = (
    '{"type":"FeatureCollection","features":[{"type":"Feature","properties":{"name":"a"},'
    '"geometry":{"type":"Polygon","coordinates":[[[0,0],[4,0],[4,4],[0,4],[0,0]]]}}]}'
)
SQUARE_SMOOTHED = (
    '{"features":[{"geometry":{"coordinates":[[[1.5,0.0],[3.75,0.75],[3.25,3.75],[0.25,3.25],'
    '[1.5,0.0]]],"type":"Polygon"},"properties":{},"type":"Feature"}],"type":"FeatureCollection"}'
)

Smoother = Callable[[str, float], str]


def smooth_all(texts: Dict[str, str], tolerance: float, smooth: Smoother) -> Dict[str, str]:
    return {name: smooth(text, tolerance) for name, text in texts.items()}


def main() -> None:
    result: str = smooth_and_simplify_polygon_fc(SQUARE, 1.0)
    assert result == SQUARE_SMOOTHED, result
    # Keywords, and an int where a float is expected, as type checkers allow.
    assert smooth_and_simplify_polygon_fc(geojson=SQUARE, simplify_tolerance_m=1) == result
    assert smooth_all({"square": SQUARE}, 1.0, quorvel.smooth_and_simplify_polygon_fc) == {
        "square": SQUARE_SMOOTHED
    }
    names: List[str] = quorvel.__all__
    assert names == ["smooth_and_simplify_polygon_fc"], names
    location = Path(quorvel.__file__ or "")
    assert location.name == "quorvel.abi3.so", location


if __name__ == "__main__":
    main()
