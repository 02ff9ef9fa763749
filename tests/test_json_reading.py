"""Reading the JSON text: strictness, failure messages with line and column, number kinds and the
reader's own decimal conversion.

Columns count bytes from the last line feed up to just after the byte at which the problem was
found (or to the end of the text when it ended too early).
"""

import pytest

from helpers import (
    EMPTY_FC,
    description,
    fc,
    feature,
    malformed,
    out_fc,
    out_feature,
    point_ring_fc,
    ring,
    run,
)

CONTROL = "control character (\\\\u0000-\\\\u001F) found while parsing a string"

MALFORMED = [
    # text, message (as described), line, column
    ("", "EOF while parsing a value", 1, 0),
    ("   ", "EOF while parsing a value", 1, 3),
    ("\n\n", "EOF while parsing a value", 3, 0),
    ("[1,]", "trailing comma", 1, 4),
    ('{"a":1,}', "trailing comma", 1, 8),
    ('{\n"a" 1}', "expected `:`", 2, 5),
    ('{"a" 1}', "expected `:`", 1, 6),
    ("01", "invalid number", 1, 2),
    ("[01]", "invalid number", 1, 3),
    ("-01", "invalid number", 1, 3),
    ("1.", "EOF while parsing a value", 1, 2),
    ("1e", "EOF while parsing a value", 1, 2),
    ("1e+", "EOF while parsing a value", 1, 3),
    ("-", "EOF while parsing a value", 1, 1),
    ("-a", "invalid number", 1, 2),
    ("1.e5", "invalid number", 1, 3),
    ("[1.]", "invalid number", 1, 4),
    ("[1e]", "invalid number", 1, 4),
    ("[-]", "invalid number", 1, 3),
    ("+1", "expected value", 1, 1),
    (".5", "expected value", 1, 1),
    ("\ufeff{}", "expected value", 1, 1),
    ("\u00a0{}", "expected value", 1, 1),
    ("\f{}", "expected value", 1, 1),
    ("NaN", "expected value", 1, 1),
    ("-Infinity", "invalid number", 1, 2),
    ("// c\n{}", "expected value", 1, 1),
    ("]", "expected value", 1, 1),
    ("[,1]", "expected value", 1, 2),
    ('{"a":}', "expected value", 1, 6),
    ("[1 2]", "expected `,` or `]`", 1, 4),
    ("[1}", "expected `,` or `]`", 1, 3),
    ('{"a":1 "b":2}', "expected `,` or `}`", 1, 8),
    ('{"a":1]', "expected `,` or `}`", 1, 7),
    ("{1:2}", "key must be a string", 1, 2),
    ("{'a':1}", "key must be a string", 1, 2),
    ("{,}", "key must be a string", 1, 2),
    ('{"a":1', "EOF while parsing an object", 1, 6),
    ('{"a"', "EOF while parsing an object", 1, 4),
    ("{", "EOF while parsing an object", 1, 1),
    ('{"a":1,', "EOF while parsing a value", 1, 7),
    ('{"a":', "EOF while parsing a value", 1, 5),
    ("[1", "EOF while parsing a list", 1, 2),
    ("[", "EOF while parsing a list", 1, 1),
    ("[1,", "EOF while parsing a value", 1, 3),
    ("nul", "EOF while parsing a value", 1, 3),
    ("nulx", "expected ident", 1, 4),
    ("trux", "expected ident", 1, 4),
    ("falsy", "expected ident", 1, 5),
    ("nan", "expected ident", 1, 2),
    ('"ab\t"', CONTROL, 1, 4),
    ('"a\nb"', CONTROL, 2, 0),
    ('"abc', "EOF while parsing a string", 1, 4),
    ('"\\x"', "invalid escape", 1, 3),
    ('"\\U00e9"', "invalid escape", 1, 3),
    ('"\\u123g"', "invalid escape", 1, 7),
    ('"\\udc00"', "lone leading surrogate in hex escape", 1, 7),
    ('"\\ud83d\\u0041"', "lone leading surrogate in hex escape", 1, 13),
    ('"\\ud83d\\ud83d"', "lone leading surrogate in hex escape", 1, 13),
    ('"\\ud83dx"', "unexpected end of hex escape", 1, 8),
    ('"\\ud83d"', "unexpected end of hex escape", 1, 8),
    ('"\\ud83d\\n"', "unexpected end of hex escape", 1, 9),
    ("{} x", "trailing characters", 1, 4),
    ("[]]", "trailing characters", 1, 3),
    ("1 2", "trailing characters", 1, 3),
    ("{}\n\n x", "trailing characters", 3, 2),
    ("{} // x", "trailing characters", 1, 4),
    # NUL is never accepted raw.
    ("\x00", "expected value", 1, 1),
    ('"a\x00"', CONTROL, 1, 3),
    ("[1,\x00]", "expected value", 1, 4),
    ("[1\x00]", "expected `,` or `]`", 1, 3),
    ("{}\x00", "trailing characters", 1, 3),
    # Columns count bytes, not characters.
    ('["\u00e9" x]', "expected `,` or `]`", 1, 7),
    ('["\U0001f600",\n "\u00e9\u00e9" x]', "expected `,` or `]`", 2, 9),
    # Numbers too large for a double.
    ("1e309", "number out of range", 1, 5),
    ("-1e309", "number out of range", 1, 6),
    ("[1e309]", "number out of range", 1, 6),
    ("1.8e308", "number out of range", 1, 7),
    ("1e2147483648", "number out of range", 1, 12),
    ("1" + "0" * 309, "number out of range", 1, 310),
    # 17976931348623157 followed by 292 zeros is just below the largest double, but the reader
    # keeps 20 digits (rounded to 1.7976931348623157e19) and multiplies by 1e289: infinite.
    ("17976931348623157" + "0" * 292, "number out of range", 1, 309),
]


@pytest.mark.parametrize("text, message, line, column", MALFORMED)
def test_malformed_text(text, message, line, column):
    assert description(text) == malformed(message, line, column)


def nested_arrays(depth):
    return "[" * depth + "]" * depth


PROPERTIES_PREFIX = (
    '{"type":"FeatureCollection","features":[{"type":"Feature","geometry":null,"properties":{"a":'
)


@pytest.mark.parametrize(
    "text, described",
    [
        (nested_arrays(127), "ExpectedObjectValue(" + "Array [" * 127 + "]" * 127 + ")"),
        (nested_arrays(128), malformed("recursion limit exceeded", 1, 128)),
        # Objects count too: 127 of them are read (the top object has no "type"); the 128th
        # opening brace is the byte at index 127 * 5.
        ('{"a":' * 126 + "{}" + "}" * 126, 'GeometryUnknownType("type")'),
        ('{"a":' * 128, malformed("recursion limit exceeded", 1, 636)),
        ('[{"a":' * 64, malformed("recursion limit exceeded", 1, 63 * 6 + 2)),
        (PROPERTIES_PREFIX + nested_arrays(124) + "}}]}",
         malformed("recursion limit exceeded", 1, len(PROPERTIES_PREFIX) + 124)),
    ],
)
def test_nesting_limit(text, described):
    assert description(text) == described


@pytest.mark.parametrize(
    "text",
    [
        fc(),
        ' \t\r\n{ "type" :\n"FeatureCollection" ,\r\n"features"\t:\t[ ] }\n\t \r',
        PROPERTIES_PREFIX + nested_arrays(123) + "}}]}",
        fc('{"type":"\\u0046e\\u0061ture","geometry":null}'),  # an escaped name is the same
        '{"type":"FeatureCollection","features":5,"features":[]}',  # the last member counts
        fc(feature("null", ',"properties":{"名前":"Zürich \U0001f600"}')),  # raw non-ASCII text
    ],
)
def test_texts_read_to_the_empty_collection(text):
    assert run(text, 1.0) == EMPTY_FC


def test_number_kinds_in_descriptions():
    literals = [
        "18446744073709551615", "18446744073709551616", "-0", "1.0", "1", "1e0", "10e-1",
        "-9223372036854775808", "-9223372036854775809", "1e-400", "-1e-400", "0e999999999999",
        "-0e999999999999", "1e-2147483649", "1e20", "12.5e-1", "100000000000000000000", "-1",
        "0", "-0.0", "0.000001", "2.5E+3",
    ]
    assert description("[" + ", ".join(literals) + "]") == (
        "ExpectedObjectValue(Array [Number(18446744073709551615), Number(1.8446744073709552e19), "
        "Number(-0.0), Number(1.0), Number(1), Number(1.0), Number(1.0), "
        "Number(-9223372036854775808), Number(-9.223372036854776e18), Number(0.0), "
        "Number(-0.0), Number(0.0), Number(-0.0), Number(0.0), Number(1e20), Number(1.25), "
        "Number(1e20), Number(-1), Number(0), Number(-0.0), Number(1e-6), Number(2500.0)])"
    )


@pytest.mark.parametrize(
    "literal, written, number",
    [
        # Significand rounded to a double, then divided by the nearest double of 10^k; a correctly
        # rounded conversion would give 160.04082495435046, -29.528123660458366,
        # 43.353137748600666, 9007199254740992.0 and 1.2345678901234568e20.
        ("160.04082495435045", "160.04082495435043", None),
        ("-29.528123660458367", "-29.52812366045837", None),
        ("43.353137748600669", "43.35313774860067", None),
        ("9007199254740993.0", "9007199254740994.0", None),
        ("123456789012345678901", "1.2345678901234567e20", None),
        # Digits are gathered while the significand stays within 2^64 - 1: the last digit of the
        # first literal fits, that of the next two does not and is skipped.
        ("1.8446744073709551615", "1.8446744073709551", None),
        ("1.8446744073709551616", "1.8446744073709553", None),
        ("0.18446744073709551616", "0.18446744073709553", None),
        ("0.000000000000000000018446744073709551615", "1.8446744073709553e-20", None),
        # An integer digit that does not fit only raises the exponent, and no later digit is
        # gathered: the fraction digit 5 would fit but is skipped (gathering it would give
        # 1.844674407370955e42).
        ("1844674407370955161600000000000000000000000.5", "1.8446744073709553e42", None),
        # Here both conversions agree.
        ("0.12345678901234567890123", "0.12345678901234568", None),
        ("12345678.901234567890123", "12345678.901234567", None),
        ("-73.98765432109876", "-73.98765432109876", None),
        ("5e-324", "5e-324", None),
        # An integer literal stays an integer; read as a coordinate it is rounded, ties to even.
        ("9007199254740993", "9007199254740992.0", "9007199254740993"),
    ],
)
def test_decimal_conversion_is_the_readers_own(literal, written, number):
    assert run(point_ring_fc(literal, "0"), 1.0) == out_fc(
        out_feature(ring(f"{written},0.0", f"{written},0.0"))
    )
    number = number or written
    assert description(f"[{literal}]") == f"ExpectedObjectValue(Array [Number({number})])"


def test_duplicate_members_last_wins():
    assert description(fc(feature("null", ',"properties":[{"b":1,"a":2,"b":3,"\\u0061":4}]'))) == (
        'PropertiesExpectedObjectOrNull(Array [Object {"a": Number(4), "b": Number(3)}])'
    )


@pytest.mark.parametrize(
    "character",
    # Stored one byte per character (ASCII, Latin-1 up to U+00FF), two and four.
    ["a", "\u00e9", "\u00ff", "\u0100", "\u540d", "\U0001f600"],
)
def test_the_storage_of_the_str_changes_no_outcome(character):
    polygon = '{"type":"Polygon","coordinates":[[[0,0],[4,0],[4,4],[0,4],[0,0]]]}'
    named = fc(feature(polygon, f',"properties":{{"{character}":"{character}"}}'))
    assert run(named, 1.0) == run(fc(feature(polygon)), 1.0)
    # The column counts the bytes of the UTF-8 text, up to just after the character's first.
    column = len(f'["{character}", '.encode()) + 1
    assert description(f'["{character}", {character}]') == malformed("expected value", 1, column)
    assert description(f'["{character}"]') == f'ExpectedObjectValue(Array [String("{character}")])'


# Longer than the strs whose Latin-1 form is made in slices (32 Mi characters).
LONG_LATIN1 = "\u00e9" * (33 << 20)


@pytest.mark.parametrize("last", ["a", "\u00ff", "\u0100", "\U0001f600"])
def test_long_str_read_in_slices_changes_no_outcome(last):
    # A ring of 20,000 points whose text spans several slices, after the long name; every digit
    # shows in the result at tolerance 0. A character beyond U+00FF, in the last slice, sends
    # the text to UTF-8.
    positions = ",".join(
        f"[{i * 0.000731:.6f},{(i * 7919 % 20011) * 0.001:.3f}]" for i in range(20_000)
    )
    polygon = f'{{"type":"Polygon","coordinates":[[{positions},[0.0,0.0]]]}}'
    named = fc(f'{{"type":"Feature","properties":{{"a":"{LONG_LATIN1}"}},"geometry":{polygon},'
               f'"b":"{last}"}}')
    assert run(named, 0.0) == run(fc(feature(polygon)), 0.0)
    column = len(f'["{LONG_LATIN1}", '.encode()) + 1
    assert description(f'["{LONG_LATIN1}", {last}]') == malformed("expected value", 1, column)

