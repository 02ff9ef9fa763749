"""Behaviour seen only from outside the interpreter (standard error, process survival) or that
changes process-wide state, each in a fresh interpreter."""

import ast
import re

import pytest

from conftest import run_python

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
"""
    )
    assert child.returncode == 0, child.stderr
    messages = [ast.literal_eval(line) for line in child.stdout.splitlines()]
    empty_text = (
        'called `Result::unwrap()` on an `Err` value: MalformedJson(Error("EOF while parsing a '
        'value", line: 1, column: 0))'
    )
    array_text = (
        "called `Result::unwrap()` on an `Err` value: ExpectedObjectValue(Array "
        "[Number(1), Number(2)])"
    )
    assert messages == [empty_text, array_text, array_text]
    worker_head = REPORT_HEAD.replace("'main'", "'(?!main')[^'\n]+'")
    expected = (
        REPORT_HEAD + re.escape(messages[0]) + "\n"
        + r"note: [^\n]*PanicException[^\n]*\n"
        + REPORT_HEAD + re.escape(messages[1]) + "\n"
        + worker_head + re.escape(messages[2]) + "\n"
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


def test_memory_exhaustion_raises_memory_error_and_the_process_goes_on():
    child = run_python(
        """
import resource, quorvel
smooth = quorvel.smooth_and_simplify_polygon_fc
ring = ",".join(f"[{i % 1000}.5,{i // 1000}.25]" for i in range(3_000_000))
big = ('{"type":"FeatureCollection","features":[{"type":"Feature","properties":{},'
       '"geometry":{"type":"Polygon","coordinates":[[' + ring + ']]}}]}')
del ring

def address_space_in_use():
    with open("/proc/self/status") as status:
        for line in status:
            if line.startswith("VmSize:"):
                return int(line.split()[1]) * 1024

# Room for the UTF-8 copy of the text, far from enough for the polygons it holds.
limit = address_space_in_use() + len(big) + 48 * 2**20
resource.setrlimit(resource.RLIMIT_AS, (limit, resource.RLIM_INFINITY))
try:
    smooth(big, 1.0)
    print("returned")
except MemoryError as error:
    print(type(error).__name__, repr(error.args))
print(smooth(SQUARE, 1.0) == SQUARE_SMOOTHED)
"""
    )
    assert child.returncode == 0, child.stderr
    first, second = child.stdout.splitlines()
    assert re.fullmatch(r"MemoryError \('memory allocation of \d+ bytes failed',\)", first)
    assert second == "True"


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
