import ctypes
import os
import subprocess
import sys
import textwrap

import pytest

import quorvel

SQUARE = (
    '{"type":"FeatureCollection","features":[{"type":"Feature","properties":{"name":"a"},'
    '"geometry":{"type":"Polygon","coordinates":[[[0,0],[4,0],[4,4],[0,4],[0,0]]]}}]}'
)
SQUARE_SMOOTHED = (
    '{"features":[{"geometry":{"coordinates":[[[1.5,0.0],[3.75,0.75],[3.25,3.75],[0.25,3.25],'
    '[1.5,0.0]]],"type":"Polygon"},"properties":{},"type":"Feature"}],"type":"FeatureCollection"}'
)

FORMATTING_FAULT = "a formatting trait implementation returned an error: Error"


class Unprintable:
    def __str__(self):
        raise ValueError("no text for this object")


class UnprintableTypeErrorTolerance:
    """A tolerance whose conversion fails with a TypeError that cannot be put into a message."""

    def __float__(self):
        raise TypeError(Unprintable())


@pytest.fixture(scope="session")
def panic_exception_type():
    with pytest.raises(BaseException) as caught:
        quorvel.smooth_and_simplify_polygon_fc(SQUARE, UnprintableTypeErrorTolerance())
    return type(caught.value)


def interpreter_float_error(value):
    """The exception the interpreter's own float conversion raises for `value`."""
    as_double = ctypes.pythonapi.PyFloat_AsDouble
    as_double.argtypes = [ctypes.py_object]
    as_double.restype = ctypes.c_double
    with pytest.raises(BaseException) as caught:
        as_double(value)
    return caught.value


def call_with_keyword_dict(function, positional, keywords):
    """Calls through PyObject_Call, which hands the dict over as it is (any key type)."""
    call = ctypes.pythonapi.PyObject_Call
    call.argtypes = [ctypes.py_object, ctypes.py_object, ctypes.py_object]
    call.restype = ctypes.py_object
    return call(function, positional, keywords)


CHILD_PRELUDE = f"""
SQUARE = {SQUARE!r}
SQUARE_SMOOTHED = {SQUARE_SMOOTHED!r}

def address_space_in_use():
    with open("/proc/self/status") as status:
        return [int(line.split()[1]) * 1024 for line in status if line.startswith("VmSize:")][0]
"""


def run_python(source, environment=None, timeout=120):
    """Runs `source` in a fresh interpreter after CHILD_PRELUDE; output is unbuffered so fd 2 and
    sys.stderr interleave in the order written."""
    return subprocess.run(
        [sys.executable, "-u", "-c", CHILD_PRELUDE + textwrap.dedent(source)],
        capture_output=True,
        text=True,
        timeout=timeout,
        env={**os.environ, **(environment or {})},
    )
