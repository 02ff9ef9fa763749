"""Smooth (Chaikin) and simplify (Ramer-Douglas-Peucker) every polygon of a GeoJSON
FeatureCollection, exactly and fast.

Type information for the compiled module ``quorvel.abi3.so``, installed beside it.
"""

__all__ = ["smooth_and_simplify_polygon_fc"]

def smooth_and_simplify_polygon_fc(geojson: str, simplify_tolerance_m: float) -> str:
    """Smooth and simplify every polygon of a GeoJSON FeatureCollection.

    Reads ``geojson``, the text of one GeoJSON document, and takes every Polygon and every
    member of every MultiPolygon of its features, in document order. Each ring is smoothed by
    two passes of Chaikin corner cutting, then simplified by Ramer-Douglas-Peucker with
    ``simplify_tolerance_m``, and closed. Returns a compact FeatureCollection text with one
    Feature per polygon, in the same order, each with empty properties.

    ``simplify_tolerance_m`` is a distance in the units of the coordinates (degrees for
    longitude/latitude data), never metres, whatever its name says. Anything that converts to
    ``float`` is accepted; it is not range-checked.

    Properties, identifiers, bounding boxes and geometries other than Polygon and MultiPolygon
    are dropped. A document that is not a FeatureCollection gives an empty FeatureCollection.

    Raises:
        TypeError: an argument is missing, unexpected or of the wrong type, for example
            "argument 'geojson': 'bytes' object cannot be converted to 'PyString'".
        pyo3_runtime.PanicException: the text is not valid JSON or not valid GeoJSON. The
            message names the problem, for example for an empty text:
            called `Result::unwrap()` on an `Err` value: MalformedJson(Error("EOF while parsing a value", line: 1, column: 0))
            It derives from BaseException, not Exception, so ``except Exception`` does not
            catch it; the type is not importable, so test ``type(error).__name__``.
        MemoryError: the input is too big for the memory available.
    """
