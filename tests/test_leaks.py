"""Thousands of calls on every path through the function, successful or failing, leave the
interpreter's objects and the process's memory as they were: allocated blocks and tracked objects
(a leaked reference), the C heap's bytes in use and the resident set (leaked native memory).

The documents are large enough (tens of kilobytes, every failure at their very end) that keeping
any buffer of a call would show in the resident set within a few hundred calls. Under
AddressSanitizer, which keeps freed memory in quarantine and has a heap of its own, only the
interpreter's counts are compared."""

import ctypes
import gc
import os
import sys
from contextlib import contextmanager

import pytest

import quorvel
from conftest import SQUARE, UnprintableTypeErrorTolerance, call_with_keyword_dict, run_python
from helpers import fc, feature, polygon

smooth = quorvel.smooth_and_simplify_polygon_fc
UNDER_ASAN = "libasan" in os.environ.get("LD_PRELOAD", "")
TESTS = os.path.dirname(os.path.abspath(__file__))

# 40 polygons of 60 points with holes, and properties whose strings need decoding.
RING = [[i % 7 + i / 64, (i * i) % 11 - i / 32] for i in range(59)]
FEATURES = ",".join(
    feature(polygon(RING, RING[::3]), ',"properties":{"name":"caf\\u00e9 \\ud83d\\ude00 %d"}' % i)
    for i in range(40)
)
BIG = fc(FEATURES)


class FloatMethod:
    def __float__(self):
        return 0.25


class IndexMethod:
    def __index__(self):
        return 2


class Raising:
    def __init__(self, error, cause=None):
        self.error, self.cause = error, cause

    def __float__(self):
        raise self.error.with_traceback(None) from self.cause


class Text(str):
    pass


def called(*args, **kwargs):
    return lambda: smooth(*args, **kwargs)


TYPE_ERROR, PANIC = "TypeError", "PanicException"
CASES = {
    # name: (the call, the name of the exception it raises or None, a piece of its message)
    "big document": (called(BIG, 0.5), None, "Polygon"),
    "big document, tolerance 0": (called(BIG, 0.0), None, "Polygon"),
    "big document, tolerance NaN": (called(BIG, float("nan")), None, "Polygon"),
    "keywords, str subclass": (called(geojson=Text(BIG), simplify_tolerance_m=1), None, ""),
    "float method": (called(BIG, FloatMethod()), None, "Polygon"),
    "index method": (called(SQUARE, IndexMethod()), None, "Polygon"),
    "not a collection": (called('{"type":"Point","coordinates":[1,2]}', 1.0), None, "[]"),
    # Each binder message.
    "missing both": (called(), TYPE_ERROR, "missing 2 required positional arguments"),
    "missing tolerance": (called(BIG), TYPE_ERROR, "missing 1 required positional argument"),
    "missing geojson": (called(simplify_tolerance_m=1.0), TYPE_ERROR, "argument: 'geojson'"),
    "too many": (called(BIG, 1.0, 2.0), TYPE_ERROR, "but 3 were given"),
    "multiple values": (called(1.0, geojson=BIG), TYPE_ERROR, "multiple values"),
    "unexpected keyword": (called(BIG, tolerance=1.0), TYPE_ERROR, "unexpected keyword"),
    "surrogate keyword": (called(BIG, **{"t\ud800": 1.0}), TYPE_ERROR, "'t\ufffd\ufffd\ufffd'"),
    "keyword not a str": (
        lambda: call_with_keyword_dict(smooth, (BIG,), {1: 1.0}),
        TYPE_ERROR,
        "'int' object cannot be converted to 'PyString'",
    ),
    # Each conversion failure.
    "geojson bytes": (called(BIG.encode(), 1.0), TYPE_ERROR, "'bytes' object cannot be"),
    "geojson None": (called(None, 1.0), TYPE_ERROR, "'NoneType' object cannot be"),
    "geojson lone surrogate": (called(BIG + "\udc00", 1.0), "UnicodeEncodeError", "surrogate"),
    "tolerance str": (called(BIG, "1.0"), TYPE_ERROR, "argument 'simplify_tolerance_m'"),
    "tolerance None": (called(BIG, None), TYPE_ERROR, "argument 'simplify_tolerance_m'"),
    "tolerance overflow": (called(BIG, 10**400), "OverflowError", "too large"),
    "tolerance value error": (called(BIG, Raising(ValueError("no"))), "ValueError", "no"),
    "renamed with cause": (
        called(BIG, Raising(TypeError("no"), KeyError("root"))),
        TYPE_ERROR,
        "argument 'simplify_tolerance_m': no",
    ),
    "formatting fault": (called(BIG, UnprintableTypeErrorTolerance()), PANIC, "formatting trait"),
    # Reading errors found at the end of a big document.
    "MalformedJson": (called(BIG + " x", 1.0), PANIC, "trailing characters"),
    "EmptyType": (called('{"type":"x","features":[' + FEATURES + "]}", 1.0), PANIC, "EmptyType"),
}
# Each other reading error kind and both short positions, in the last feature of a big document.
LAST_FEATURES = {
    "recursion limit exceeded": "[" * 200,
    "ExpectedObjectValue": "5",
    "GeometryUnknownType": feature('{"type":"Circle"}'),
    "ExpectedProperty": '{"type":"Feature"}',
    "ExpectedStringValue": '{"type":5}',
    "NotAFeature": '{"type":"feature"}',
    "FeatureInvalidGeometryValue": feature("[]"),
    "PropertiesExpectedObjectOrNull": feature("null", ',"properties":[1]'),
    "FeatureInvalidIdentifierType": feature("null", ',"id":{}'),
    "BboxExpectedArray": feature("null", ',"bbox":"b"'),
    "BboxExpectedNumericValues": feature("null", ',"bbox":[1,"2"]'),
    "ExpectedArrayValue": feature('{"type":"Polygon","coordinates":5}'),
    "ExpectedF64Value": feature('{"type":"Polygon","coordinates":[[[true]]]}'),
    "the len is 0": feature(polygon(RING, [[0, 0], []])),
    "the len is 1": feature(polygon(RING, [[0, 0], [1]])),
}
CASES.update((k, (called(fc(FEATURES, v), 1.0), PANIC, k)) for k, v in LAST_FEATURES.items())


@contextmanager
def fault_reports_discarded():
    """Every Fault writes its report to file descriptor 2; thousands of them are not wanted."""
    saved = os.dup(2)
    with open(os.devnull, "wb") as devnull:
        os.dup2(devnull.fileno(), 2)
    try:
        yield
    finally:
        os.dup2(saved, 2)
        os.close(saved)


class MallInfo2(ctypes.Structure):
    _fields_ = [
        (name, ctypes.c_size_t)
        for name in "arena ordblks smblks hblks hblkhd usmblks fsmblks uordblks fordblks keepcost"
        .split()
    ]


def usage():
    """(allocated blocks, tracked objects, C heap bytes in use, resident bytes)."""
    gc.collect()
    heap = 0
    if not UNDER_ASAN:
        mallinfo2 = ctypes.CDLL(None).mallinfo2
        mallinfo2.restype = MallInfo2
        info = mallinfo2()
        heap = info.uordblks + info.hblkhd
    with open("/proc/self/statm") as statm:
        resident = int(statm.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")
    return sys.getallocatedblocks(), len(gc.get_objects()), heap, resident


def outcome(call):
    try:
        return None, call()
    except BaseException as error:
        return type(error).__name__, str(error)


def growth(call, calls):
    before = usage()
    for _ in range(calls):
        outcome(call)
    return [after - start for start, after in zip(before, usage())]


def assert_flat(call, calls=2000, resident_slack=4 * 2**20):
    for _ in range(calls // 10):
        outcome(call)
    # The interpreter's own caches and free lists settle by fits: the blocks it holds may grow
    # by a hundred over one stretch of calls and not at all over the next. A leak grows over
    # both, so each measure counts its smaller growth of two stretches.
    blocks, objects, heap, resident = map(min, zip(growth(call, calls), growth(call, calls)))
    assert blocks < 100  # one block per call would leave thousands
    assert objects < 50
    if not UNDER_ASAN:
        assert heap < 32 * 1024  # 16 bytes per call would leave 32000
        assert resident < resident_slack


@pytest.mark.parametrize("case", list(CASES))
def test_repeated_calls_leave_memory_flat(case):
    call, error_type, piece = CASES[case]
    with fault_reports_discarded():
        error, message = outcome(call)
        assert error == error_type and piece in message, message[:300]
        assert_flat(call)


def test_resumed_panics_leave_memory_flat():
    # A PanicException raised again by the tolerance's conversion is resumed: two lines on fd 2
    # and the traceback on sys.stderr per call, so it runs in a child with both discarded.
    child = run_python(
        f"""
import sys
sys.path.insert(0, {TESTS!r})
from test_leaks import assert_flat, fault_reports_discarded, outcome, smooth
from conftest import UnprintableTypeErrorTolerance

try:
    smooth(SQUARE, UnprintableTypeErrorTolerance())
except BaseException as error:
    panic = error

class Resuming:
    def __float__(self):
        raise panic.with_traceback(None)

sys.stderr = open("/dev/null", "w")
with fault_reports_discarded():
    print(outcome(lambda: smooth(SQUARE, Resuming())))
    assert_flat(lambda: smooth(SQUARE, Resuming()))
print("flat")
"""
    )
    assert child.returncode == 0, child.stderr[-3000:]
    assert child.stdout == "('PanicException', 'Unwrapped panic from Python code')\nflat\n"


def test_memory_errors_leave_memory_flat():
    # Room for the text and its UTF-8 copy, not for what reading it needs: our MemoryError with
    # the size of the request, and the process goes on.
    child = run_python(
        f"""
import re, resource, sys
sys.path.insert(0, {TESTS!r})
from test_leaks import assert_flat, outcome, smooth

ring = ",".join(f"[{{i % 1000}}.5,{{i // 1000}}.25]" for i in range(1_000_000))
text = '{{"type":"FeatureCollection","features":[{{"type":"Feature","geometry":' \\
    '{{"type":"Polygon","coordinates":[[' + ring + ']]}}}}]}}'
del ring
limit = address_space_in_use() + len(text) + 16 * 2**20
resource.setrlimit(resource.RLIMIT_AS, (limit, resource.RLIM_INFINITY))
error, message = outcome(lambda: smooth(text, 1.0))
print(error, bool(re.fullmatch(r"memory allocation of \\d+ bytes failed", message)))
assert_flat(lambda: smooth(text, 1.0), calls=40, resident_slack=8 * 2**20)
print(smooth(SQUARE, 1.0) == SQUARE_SMOOTHED)
"""
    )
    assert child.returncode == 0, child.stderr[-3000:]
    assert child.stdout == "MemoryError True\nTrue\n"
