"""Behaviour seen only from outside the interpreter (standard error, process survival) or that
changes process-wide state, each in a fresh interpreter."""

import ast
import re

import pytest

from conftest import run_python
from helpers import UNWRAP, malformed

UNWRAPPED = "('Unwrapped panic from Python code',)"
RESUME_LINES = (
    "--- PyO3 is resuming a panic after fetching a PanicException from Python. ---\n"
    "Python stack trace below:\n"
)
REPORT_HEAD = r"quorvel: thread 'main' \(tid \d+\) faulted at src/\w+\.cpp:\d+:\d+:\n"

# Obtains a PanicException (the conversion error cannot be rendered), then marks fd 2.
OBTAIN_PANIC = """
import os, quorvel
smooth = quorvel.smooth_and_simplify_polygon_fc

class Unprintable:
    def __str__(self):
        raise ValueError("no text")

class UnprintableError:
    def __float__(self):
        raise TypeError(Unprintable())

try:
    smooth(SQUARE, UnprintableError())
except BaseException as error:
    panic = error
os.write(2, b"=== panic obtained\\n")
"""

RESUME_SCENARIOS = {
    "float method": """
class Tolerance:
    def __float__(self):
        raise panic
arguments = (SQUARE, Tolerance())
""",
    "index method": """
class Tolerance:
    def __index__(self):
        raise panic
arguments = (SQUARE, Tolerance())
""",
    "str of a conversion error": """
class Message:
    def __str__(self):
        raise panic
class Tolerance:
    def __float__(self):
        raise TypeError(Message())
arguments = (SQUARE, Tolerance())
""",
    "qualname of the geojson type": """
class Meta(type):
    def __getattribute__(cls, name):
        if name == "__qualname__":
            raise panic
        return super().__getattribute__(name)
arguments = (Meta("Text", (), {})(), 1.0)
""",
}


@pytest.mark.parametrize("scenario", sorted(RESUME_SCENARIOS))
def test_panic_coming_back_from_python_code_is_resumed(scenario):
    child = run_python(
        OBTAIN_PANIC
        + RESUME_SCENARIOS[scenario]
        + """
import sys
try:
    smooth(*arguments)
except BaseException as error:
    print(type(error) is type(panic), repr(error.args))
print(hasattr(sys, "last_value"))
print(smooth(SQUARE, 1.0) == SQUARE_SMOOTHED)
"""
    )
    assert child.returncode == 0, child.stderr
    assert child.stdout == f"True {UNWRAPPED}\nFalse\nTrue\n"
    after_marker = child.stderr.split("=== panic obtained\n", 1)[1]
    assert after_marker.startswith(RESUME_LINES + "Traceback (most recent call last):\n")
    assert after_marker.endswith(
        "\npyo3_runtime.PanicException: a formatting trait implementation returned an error: "
        "Error\n"
    )
    assert "quorvel: thread" not in after_marker  # a resumed fault is not reported again


def test_each_fault_is_reported_and_only_the_first_with_a_hint():
    child = run_python(
        """
import threading, quorvel
def fail(text):
    try:
        quorvel.smooth_and_simplify_polygon_fc(text, 1.0)
    except BaseException as error:
        print(repr(str(error)))
fail("")
fail("[1, 2]")
worker = threading.Thread(target=fail, args=("[1, 2]",))
worker.start()
worker.join()
fail('{"\u00e9": 1} x')
"""
    )
    assert child.returncode == 0, child.stderr
    messages = [ast.literal_eval(line) for line in child.stdout.splitlines()]
    array_text = UNWRAP + "ExpectedObjectValue(Array [Number(1), Number(2)])"
    # The last text is stored one byte per character and read as such first: it fails again as
    # UTF-8, and only that failure is reported, with the column of the UTF-8 text.
    latin1_text = UNWRAP + malformed("trailing characters", 1, 11)
    empty_text = UNWRAP + malformed("EOF while parsing a value", 1, 0)
    assert messages == [empty_text, array_text, array_text, latin1_text]
    worker_head = REPORT_HEAD.replace("'main'", "'(?!main')[^'\n]+'")
    expected = (
        REPORT_HEAD + re.escape(messages[0]) + "\n"
        + r"note: [^\n]*PanicException[^\n]*\n"
        + REPORT_HEAD + re.escape(messages[1]) + "\n"
        + worker_head + re.escape(messages[2]) + "\n"
        + REPORT_HEAD + re.escape(messages[3]) + "\n"
    )
    assert re.fullmatch(expected, child.stderr), child.stderr


def test_reimport_in_the_same_process_is_refused():
    child = run_python(
        """
import sys, quorvel
del sys.modules["quorvel"]
try:
    import quorvel
except ImportError as error:
    print(type(error).__name__, repr(error.args))
"""
    )
    assert child.returncode == 0, child.stderr
    assert child.stdout == (
        "ImportError ('PyO3 modules may only be initialized once per interpreter process',)\n"
    )
    assert child.stderr == ""


def test_memory_limit_sweep_gives_a_result_or_memory_error_at_every_stage():
    # The address-space limit rises in half-megabyte steps from what the child uses to beyond
    # what one call needs, so the allocation that fails moves through the copy of the input,
    # reading, smoothing, simplifying (at a positive tolerance), writing and the result str (at
    # tolerance 0 it holds every smoothed point and is the call's last large allocation). Every
    # call returns the exact result or raises MemoryError (the interpreter's own for the copy of
    # the input, ours with the size of the request otherwise), prints nothing, and leaves the
    # process able to make a small call. A fixed mmap threshold makes freed blocks leave the
    # address space at once, so the limit meets each stage's own allocations.
    child = run_python(
        """
import re, resource, quorvel
smooth = quorvel.smooth_and_simplify_polygon_fc
ring = ",".join(f"[{i * 0.0137:.4f},{(i * 7919) % 1000 * 0.0311:.4f}]" for i in range(60_000))
text = ('{"type":"FeatureCollection","features":[{"type":"Feature","properties":{},'
        '"geometry":{"type":"Polygon","coordinates":[[' + ring + ']]}}]}')
del ring

def sweep(tolerance, expected):
    start, outcomes = address_space_in_use(), []
    for step in range(80):
        resource.setrlimit(resource.RLIMIT_AS, (start + step * 2**19, resource.RLIM_INFINITY))
        try:
            result = smooth(text, tolerance)
        except MemoryError as error:
            if error.args:
                (message,) = error.args
                outcomes.append(int(re.fullmatch(r"memory allocation of (\\d+) bytes failed", message)[1]))
            else:
                outcomes.append("interpreter")
        else:
            assert result == expected
            outcomes.append("result")
        finally:
            resource.setrlimit(resource.RLIMIT_AS, (resource.RLIM_INFINITY, resource.RLIM_INFINITY))
        assert smooth(SQUARE, 1.0) == SQUARE_SMOOTHED
    return outcomes

every_point = smooth(text, 0.0)
some_points = smooth(text, 1e-9)
outcomes = sweep(0.0, every_point) + sweep(1e-9, some_points)
sizes = {outcome for outcome in outcomes if isinstance(outcome, int)}
print(len(sizes), "result" in outcomes, len(every_point) in sizes)
""",
        environment={
            "GLIBC_TUNABLES": "glibc.malloc.mmap_threshold=65536:glibc.malloc.trim_threshold=65536"
        },
    )
    assert child.returncode == 0, child.stderr[-3000:]
    assert child.stderr == ""
    distinct_sizes, returned, result_str_failed = child.stdout.split()
    # The input's copy in the tape, the tape grown, a ring, the smoothed ring, the estimates of
    # simplification, the room for the text, and the result str.
    assert int(distinct_sizes) >= 6
    assert returned == result_str_failed == "True"


def test_bound_tolerance_outlives_the_keyword_dict_emptied_by_its_own_conversion():
    # PyObject_Call hands the caller's dict over as it is. The debug allocator poisons freed
    # objects, so reading a tolerance that died during its own __float__ would crash the child.
    child = run_python(
        """
import ctypes, quorvel
call = ctypes.pythonapi.PyObject_Call
call.argtypes = [ctypes.py_object] * 3
call.restype = ctypes.py_object
keywords = {}

class Tolerance:
    def __float__(self):
        keywords.clear()
        return "not a float"

keywords["simplify_tolerance_m"] = Tolerance()
try:
    call(quorvel.smooth_and_simplify_polygon_fc, (SQUARE,), keywords)
except TypeError as error:
    print(error)
""",
        environment={"PYTHONMALLOC": "debug"},
    )
    assert child.returncode == 0, child.stderr
    assert child.stdout == (
        "argument 'simplify_tolerance_m': Tolerance.__float__ returned non-float (type str)\n"
    )
