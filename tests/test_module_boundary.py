"""The module as Python sees it: import, binding, conversion and the exceptions of each failure."""

import ctypes
import gc
import math
import sys
import unicodedata

import pytest

import quorvel
from conftest import (
    FORMATTING_FAULT,
    SQUARE,
    SQUARE_SMOOTHED,
    UnprintableTypeErrorTolerance,
    call_with_keyword_dict,
    interpreter_float_error,
)
from helpers import UNWRAP, malformed

smooth = quorvel.smooth_and_simplify_polygon_fc
F = "smooth_and_simplify_polygon_fc()"


def raised_by(*args, **kwargs):
    with pytest.raises(BaseException) as caught:
        smooth(*args, **kwargs)
    return caught.value


def assert_exactly(error, exception_type, message):
    assert type(error) is exception_type
    assert error.args == (message,)


class KeywordName(str):
    pass


class DisguisedStr(str):
    def __str__(self):
        return "{}"

    def encode(self, *args, **kwargs):
        return b"{}"


class ShownAs(str):
    def __str__(self):
        return "shown"


class UnprintableName(str):
    def __str__(self):
        raise ValueError("no text for this name")


NFC_NAME = unicodedata.normalize("NFC", "g\u00e9ojson")
NFD_NAME = unicodedata.normalize("NFD", "g\u00e9ojson")
FULLWIDTH_NAME = "\uff47\uff45\uff4f\uff4a\uff53\uff4f\uff4e"  # NFKC: geojson

BINDER_CASES = [
    ((), {}, f"{F} missing 2 required positional arguments: 'geojson' and 'simplify_tolerance_m'"),
    ((SQUARE,), {}, f"{F} missing 1 required positional argument: 'simplify_tolerance_m'"),
    ((), {"geojson": SQUARE}, f"{F} missing 1 required positional argument: 'simplify_tolerance_m'"),
    ((), {"simplify_tolerance_m": 1.0}, f"{F} missing 1 required positional argument: 'geojson'"),
    ((SQUARE, 1.0, 2.0), {}, f"{F} takes 2 positional arguments but 3 were given"),
    ((SQUARE, 1.0, 2.0, 3.0), {}, f"{F} takes 2 positional arguments but 4 were given"),
    ((SQUARE, 1.0, 2.0), {"tolerance": 1.0}, f"{F} takes 2 positional arguments but 3 were given"),
    ((1.0,), {"geojson": SQUARE}, f"{F} got multiple values for argument 'geojson'"),
    ((SQUARE, 1.0), {"simplify_tolerance_m": 1.0},
     f"{F} got multiple values for argument 'simplify_tolerance_m'"),
    ((SQUARE,), {"tolerance": 1.0}, f"{F} got an unexpected keyword argument 'tolerance'"),
    ((), {"tolerance": 1.0}, f"{F} got an unexpected keyword argument 'tolerance'"),
    ((SQUARE, 1.0), {"b": 1, "a": 2}, f"{F} got an unexpected keyword argument 'b'"),
    ((1.0,), {"Geojson": SQUARE}, f"{F} got an unexpected keyword argument 'Geojson'"),
    ((1.0,), {NFC_NAME: SQUARE}, f"{F} got an unexpected keyword argument '{NFC_NAME}'"),
    ((1.0,), {NFD_NAME: SQUARE}, f"{F} got an unexpected keyword argument '{NFD_NAME}'"),
    ((1.0,), {FULLWIDTH_NAME: SQUARE},
     f"{F} got an unexpected keyword argument '{FULLWIDTH_NAME}'"),
    ((1.0,), {"geo\ud800json": SQUARE},
     f"{F} got an unexpected keyword argument 'geo\ufffd\ufffd\ufffdjson'"),
    ((1.0,), {"\ud83d\ude00": SQUARE}, f"{F} got an unexpected keyword argument '{6 * chr(0xFFFD)}'"),
    ((SQUARE,), {ShownAs("tolerance"): 1.0}, f"{F} got an unexpected keyword argument 'shown'"),
]


@pytest.mark.parametrize("args, kwargs, message", BINDER_CASES)
def test_binder_raises_plain_type_error_with_exact_message(args, kwargs, message):
    error = raised_by(*args, **kwargs)
    assert_exactly(error, TypeError, message)
    assert error.__cause__ is None
    assert error.__suppress_context__ is False


@pytest.mark.parametrize(
    "args, kwargs",
    [
        ((SQUARE,), {UnprintableName("tolerance"): 1.0}),  # an unexpected keyword
        ((SQUARE, UnprintableTypeErrorTolerance()), {}),  # the tolerance's conversion error
    ],
)
def test_unprintable_message_is_formatting_fault(args, kwargs, panic_exception_type):
    assert_exactly(raised_by(*args, **kwargs), panic_exception_type, FORMATTING_FAULT)


@pytest.mark.parametrize(
    "keywords, message",
    [
        ({1: 1.0}, "'int' object cannot be converted to 'PyString'"),
        ({b"simplify_tolerance_m": 1.0}, "'bytes' object cannot be converted to 'PyString'"),
        ({2: 1.0, "tolerance": 1.0}, "'int' object cannot be converted to 'PyString'"),
        ({"tolerance": 1.0, 2: 1.0}, f"{F} got an unexpected keyword argument 'tolerance'"),
    ],
)
def test_keyword_names_are_checked_in_call_order(keywords, message):
    with pytest.raises(BaseException) as caught:
        call_with_keyword_dict(smooth, (SQUARE,), keywords)
    assert_exactly(caught.value, TypeError, message)


@pytest.mark.parametrize(
    "args, kwargs",
    [
        ((SQUARE, 1.0), {}),
        ((SQUARE,), {"simplify_tolerance_m": 1.0}),
        ((), {"geojson": SQUARE, "simplify_tolerance_m": 1.0}),
        ((), {"simplify_tolerance_m": 1.0, "geojson": SQUARE}),
        ((SQUARE,), {KeywordName("simplify_tolerance_m"): 1.0}),
        ((DisguisedStr(SQUARE), 1.0), {}),  # a str subclass is read by its contents
    ],
)
def test_positional_and_keyword_forms_bind_the_same_values(args, kwargs):
    assert smooth(*args, **kwargs) == SQUARE_SMOOTHED


def test_typical_call_returns_new_str_each_time():
    first, second = smooth(SQUARE, 1.0), smooth(SQUARE, 1.0)
    assert type(first) is str
    assert first == second == SQUARE_SMOOTHED
    assert first is not second


class Outer:
    class Inner:
        pass


class QualnameRaises(type):
    def __getattribute__(cls, name):
        if name == "__qualname__":
            raise RuntimeError("no qualified name")
        return super().__getattribute__(name)


class QualnameNotStr(type):
    def __getattribute__(cls, name):
        return 42 if name == "__qualname__" else super().__getattribute__(name)


class QualnameSurrogate(type):
    def __getattribute__(cls, name):
        return "Odd\udc80" if name == "__qualname__" else super().__getattribute__(name)


class StrLike:
    def __str__(self):
        return SQUARE


@pytest.mark.parametrize(
    "geojson, type_name",
    [
        (SQUARE.encode(), "bytes"),
        (bytearray(SQUARE.encode()), "bytearray"),
        (None, "NoneType"),
        (1, "int"),
        (StrLike(), "StrLike"),
        (Outer.Inner(), "Outer.Inner"),
        (QualnameRaises("Hidden", (), {})(), "<failed to extract type name>"),
        (QualnameNotStr("Hidden", (), {})(), "<failed to extract type name>"),
        (QualnameSurrogate("Hidden", (), {})(), "<failed to extract type name>"),
    ],
)
def test_geojson_must_be_str(geojson, type_name):
    error = raised_by(geojson, 1.0)
    message = f"argument 'geojson': '{type_name}' object cannot be converted to 'PyString'"
    assert_exactly(error, TypeError, message)


@pytest.mark.parametrize("tolerance", [1.0, "not a number"])
def test_lone_surrogate_in_geojson_is_interpreters_encode_error(tolerance):
    text = SQUARE[:20] + "\ud800" + SQUARE[20:]
    with pytest.raises(UnicodeEncodeError) as expected:
        text.encode("utf-8")
    error = raised_by(text, tolerance)
    assert type(error) is UnicodeEncodeError
    assert error.args == expected.value.args


class FloatSubclass(float):
    pass


class HasIndex:
    def __index__(self):
        return 1


class HasFloat:
    def __float__(self):
        return 1.0


@pytest.mark.parametrize(
    "tolerance",
    [1, True, FloatSubclass(1.0), HasIndex(), HasFloat(), -1.0, -1, 0.0, -0.0, 1e-300,
     math.nan, math.inf, -math.inf, 2**53 + 1],
)
def test_tolerance_is_handed_on_as_the_interpreters_float(tolerance):
    assert smooth(SQUARE, tolerance) == smooth(SQUARE, float(tolerance))


class FloatReturnsStr:
    def __float__(self):
        return "1.0"


@pytest.mark.parametrize("tolerance", ["1.0", None, object(), FloatReturnsStr()])
def test_tolerance_type_error_is_renamed(tolerance):
    expected = interpreter_float_error(tolerance)
    assert type(expected) is TypeError
    error = raised_by(SQUARE, tolerance)
    assert_exactly(error, TypeError, f"argument 'simplify_tolerance_m': {expected}")
    assert error.__cause__ is None
    assert error.__suppress_context__ is True


def test_tolerance_overflow_error_passes_unchanged():
    expected = interpreter_float_error(10**400)
    error = raised_by(SQUARE, 10**400)
    assert type(error) is OverflowError
    assert error.args == expected.args


class TypeErrorSubclass(TypeError):
    pass


@pytest.mark.parametrize(
    "raised", [ValueError("no float here"), TypeErrorSubclass("subclass"), KeyboardInterrupt()]
)
def test_exception_from_float_method_passes_unchanged(raised):
    class Tolerance:
        def __float__(self):
            raise raised

    assert raised_by(SQUARE, Tolerance()) is raised


def test_renamed_type_error_keeps_cause_of_the_original():
    root = ValueError("root cause")

    class Tolerance:
        def __float__(self):
            raise TypeError("tolerance refused") from root

    error = raised_by(SQUARE, Tolerance())
    assert_exactly(error, TypeError, "argument 'simplify_tolerance_m': tolerance refused")
    assert error.__cause__ is root
    assert error.__suppress_context__ is True


def test_renamed_type_error_suppresses_context_of_an_enclosing_handler():
    try:
        raise LookupError("being handled")
    except LookupError:
        error = raised_by(SQUARE.encode(), 1.0)
    assert error.__cause__ is None
    assert error.__suppress_context__ is True


@pytest.mark.parametrize(
    "args, named_parameter",
    [
        (("", "x"), "simplify_tolerance_m"),  # unreadable text: conversion comes first
        (("[1, 2]", None), "simplify_tolerance_m"),
        ((b"x", "x"), "geojson"),
        ((b"x", 10**400), "geojson"),
    ],
)
def test_geojson_is_converted_first_and_before_reading(args, named_parameter):
    error = raised_by(*args)
    assert type(error) is TypeError
    assert error.args[0].startswith(f"argument '{named_parameter}': ")


# ---- PanicException ----

PANIC_CASES = [
    ("", UNWRAP + malformed("EOF while parsing a value", 1, 0)),
    ("[1, 2]", UNWRAP + "ExpectedObjectValue(Array [Number(1), Number(2)])"),
    # A NUL reaches the reader inside the text.
    (SQUARE + "\0", UNWRAP + malformed("trailing characters", 1, len(SQUARE) + 1)),
]


@pytest.mark.parametrize("geojson, message", PANIC_CASES)
def test_unreadable_text_raises_panic_exception(geojson, message, panic_exception_type):
    error = raised_by(geojson, 1.0)
    assert_exactly(error, panic_exception_type, message)
    assert str(error) == message
    assert smooth(SQUARE, 1.0) == SQUARE_SMOOTHED


def test_panic_exception_type(panic_exception_type):
    assert panic_exception_type.__module__ == "pyo3_runtime"
    assert panic_exception_type.__name__ == "PanicException"
    assert panic_exception_type.__bases__ == (BaseException,)
    assert type(raised_by("", 1.0)) is panic_exception_type
    assert not hasattr(quorvel, "PanicException")


def test_panic_exception_docstring_layout(panic_exception_type):
    lines = panic_exception_type.__doc__.split("\n")
    assert len(lines) == 7
    assert lines[0] == lines[2] == lines[6] == ""
    assert "panics" in lines[1] and "Python" in lines[1]
    assert all(lines[3:6])
    body = " ".join(lines[3:6])
    assert "SystemExit" in body and "BaseException" in body and "exit" in body


# ---- The module ----


def test_module_attributes():
    assert quorvel.__doc__ == ""
    assert quorvel.__all__ == ["smooth_and_simplify_polygon_fc"]
    assert type(quorvel.__all__) is list
    assert smooth.__name__ == "smooth_and_simplify_polygon_fc"
    assert smooth.__module__ == "quorvel"
    assert smooth.__self__ is quorvel
    public = {name for name in vars(quorvel) if not name.startswith("__")}
    assert public == {"smooth_and_simplify_polygon_fc"}


def test_initialiser_refuses_every_later_call():
    library = ctypes.PyDLL(quorvel.__file__)
    library.PyInit_quorvel.restype = ctypes.py_object
    for _ in range(3):
        with pytest.raises(ImportError) as caught:
            library.PyInit_quorvel()
        assert_exactly(
            caught.value,
            ImportError,
            "PyO3 modules may only be initialized once per interpreter process",
        )
    assert smooth(SQUARE, 1.0) == SQUARE_SMOOTHED


# ---- References ----


class TypeErrorWithCause:
    def __float__(self):
        raise TypeError("refused") from ValueError("root")


REFERENCE_CASES = {
    "result": ((SQUARE, 1.0), {}),
    "keywords": ((), {"geojson": SQUARE, "simplify_tolerance_m": 1.0}),
    "binder error": ((SQUARE,), {}),
    "unexpected surrogate keyword": ((SQUARE,), {"geo\ud800json": 1.0}),
    "geojson type error": ((b"x", 1.0), {}),
    "renamed error with cause": ((SQUARE, TypeErrorWithCause()), {}),
    "overflow": ((SQUARE, 10**400), {}),
    "encode error": (("\ud800", 1.0), {}),
    "panic": (("[1, 2]", 1.0), {}),
    "formatting fault": ((SQUARE, UnprintableTypeErrorTolerance()), {}),
}


@pytest.mark.parametrize("case", sorted(REFERENCE_CASES))
def test_calls_release_every_reference(case):
    args, kwargs = REFERENCE_CASES[case]

    def call_repeatedly(count):
        for _ in range(count):
            try:
                smooth(*args, **kwargs)
            except BaseException:
                pass
        gc.collect()

    call_repeatedly(100)
    before = sys.getallocatedblocks()
    call_repeatedly(1000)
    assert sys.getallocatedblocks() - before < 100  # a leak per call would leave >= 1000
