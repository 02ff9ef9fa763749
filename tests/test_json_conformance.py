"""Conformance of the JSON reader with RFC 8259, as a table in the manner of the public JSON
parsing suites: y_ texts must be read, n_ texts must be refused, i_ texts are those the RFC
leaves to the reader (limits of numbers, nesting and surrogates), with this reader's outcome.

An accepted value that is not an object ends reading with ExpectedObjectValue, whose description
shows the value that was read; so every accepted case states the value, not only acceptance. A
refusal states the message, line and column: the position is just after the offending byte, or
the end of the text when it ended too early; only line feeds start a line, and columns count
bytes. Cases already in test_json_reading.py are not repeated here.
"""

import re

import pytest

from helpers import description, malformed, reader_float, written

CONTROL = "control character (\\\\u0000-\\\\u001F) found while parsing a string"
EXPECTED_LIST = "expected `,` or `]`"
EXPECTED_MEMBER = "expected `,` or `}`"
EXPECTED_COLON = "expected `:`"
KEY = "key must be a string"
VALUE = "expected value"
IDENT = "expected ident"
NUMBER = "invalid number"
RANGE = "number out of range"
ESCAPE = "invalid escape"
LONE = "lone leading surrogate in hex escape"
HEX_END = "unexpected end of hex escape"
TRAILING = "trailing characters"
EOF_VALUE = "EOF while parsing a value"
EOF_LIST = "EOF while parsing a list"
EOF_OBJECT = "EOF while parsing an object"
EOF_STRING = "EOF while parsing a string"


def number(literal):
    """The description of a float literal, by the reader's decimal rule and the number rule."""
    return f"Number({written(reader_float(literal))})"


LONG_FRACTION = "0." + "1" * 400
HUGE_NEGATIVE = "-237462374673276894279832749832423479823246327846"

# name, text, the value read (as described inside ExpectedObjectValue(...))
ACCEPTED = [
    # Arrays.
    ("y_array_arraysWithSpaces", "[[]   ]", "Array [Array []]"),
    ("y_array_empty", "[]", "Array []"),
    ("y_array_empty-string", '[""]', 'Array [String("")]'),
    ("y_array_false", "[false]", "Array [Bool(false)]"),
    ("y_array_heterogeneous", '[null, 1, "1", {}]',
     'Array [Null, Number(1), String("1"), Object {}]'),
    ("y_array_with_1_and_newline", "[1\n]", "Array [Number(1)]"),
    ("y_array_with_leading_space", " [1]", "Array [Number(1)]"),
    ("y_array_with_several_null", "[1,null,null,null,2]",
     "Array [Number(1), Null, Null, Null, Number(2)]"),
    # Numbers: integers stay integers, everything with a fraction or an exponent is a float.
    ("y_number", "[123e65]", f"Array [{number('123e65')}]"),
    ("y_number_0e+1", "[0e+1]", "Array [Number(0.0)]"),
    ("y_number_0e1", "[0e1]", "Array [Number(0.0)]"),
    ("y_number_after_space", "[ 4]", "Array [Number(4)]"),
    ("y_number_double_close_to_zero", "[-0." + "0" * 77 + "1]", f"Array [{number('-1e-78')}]"),
    ("y_number_int_with_exp", "[20e1]", "Array [Number(200.0)]"),
    ("y_number_negative_int", "[-123]", "Array [Number(-123)]"),
    ("y_number_real_capital_e", "[1E22]", "Array [Number(1e22)]"),
    ("y_number_real_capital_e_neg_exp", "[1E-2]", "Array [Number(0.01)]"),
    ("y_number_real_capital_e_pos_exp", "[1E+2]", "Array [Number(100.0)]"),
    ("y_number_real_exponent", "[123e45]", f"Array [{number('123e45')}]"),
    ("y_number_real_fraction_exponent", "[123.456e78]", f"Array [{number('123.456e78')}]"),
    ("y_number_simple_int", "[123]", "Array [Number(123)]"),
    ("y_number_simple_real", "[123.456789]", "Array [Number(123.456789)]"),
    ("y_number_odd_spellings", "[0.5e-1, -0.0e-0, 1e-0, 10E+0]",
     "Array [Number(0.05), Number(-0.0), Number(1.0), Number(10.0)]"),
    ("y_number_max_double", "[1.7976931348623157e308]",
     f"Array [{number('1.7976931348623157e308')}]"),
    ("y_number_min_denormal", "[-4.9406564584124654e-324]", "Array [Number(-5e-324)]"),
    # Objects: members listed in byte order of their names.
    ("y_object", '[{"asd":"sdf", "dfg":"fgh"}]',
     'Array [Object {"asd": String("sdf"), "dfg": String("fgh")}]'),
    ("y_object_empty", "[{}]", "Array [Object {}]"),
    ("y_object_empty_key", '[{"":0}]', 'Array [Object {"": Number(0)}]'),
    ("y_object_escaped_null_in_key", '[{"foo\\u0000bar": 42}]',
     'Array [Object {"foo\\0bar": Number(42)}]'),
    ("y_object_extreme_numbers", '[{ "min": -1.0e+28, "max": 1.0e+28 }]',
     'Array [Object {"max": Number(1e28), "min": Number(-1e28)}]'),
    ("y_object_simple", '[{"a":[]}]', 'Array [Object {"a": Array []}]'),
    ("y_object_string_unicode", '[{"title":"\\u041f\\u043e\\u043b\\u0442\\u043e\\u0440\\u0430 '
     '\\u0417\\u0435\\u043c\\u043b\\u0435\\u043a\\u043e\\u043f\\u0430" }]',
     'Array [Object {"title": String("Полтора Землекопа")}]'),
    ("y_object_with_newlines", '[{\n"a": "b"\n}]', 'Array [Object {"a": String("b")}]'),
    ("y_object_name_order_is_bytes", '[{"b":1,"B":2,"é":3,"a":4,"":5}]',
     'Array [Object {"": Number(5), "B": Number(2), "a": Number(4), "b": Number(1), '
     '"é": Number(3)}]'),
    # Strings.
    ("y_string_1_2_3_bytes_UTF-8_sequences", '["\\u0060\\u012a\\u12AB"]', 'Array [String("`Īካ")]'),
    ("y_string_accepted_surrogate_pair", '["\\uD801\\udc37"]', 'Array [String("\U00010437")]'),
    ("y_string_accepted_surrogate_pairs", '["\\ud83d\\ude39\\ud83d\\udc8d"]',
     'Array [String("😹💍")]'),
    ("y_string_backslash_and_u_escaped_zero", '["\\\\u0000"]', 'Array [String("\\\\u0000")]'),
    ("y_string_backslash_doublequotes", '["\\""]', 'Array [String("\\"")]'),
    ("y_string_comments", '["a/*b*/c/*d//e"]', 'Array [String("a/*b*/c/*d//e")]'),
    ("y_string_double_escape_a", '["\\\\a"]', 'Array [String("\\\\a")]'),
    ("y_string_escaped_control_character", '["\\u0012"]', 'Array [String("\\u{12}")]'),
    ("y_string_null_escape", '["\\u0000"]', 'Array [String("\\0")]'),
    ("y_string_one-byte-utf-8", '["\\u002c"]', 'Array [String(",")]'),
    ("y_string_pi", '["π"]', 'Array [String("π")]'),
    ("y_string_surrogates_U+1D11E_MUSICAL_SYMBOL_G_CLEF", '["\\uD834\\uDd1e"]',
     'Array [String("𝄞")]'),
    ("y_string_two-byte-utf-8", '["\\u0123"]', 'Array [String("ģ")]'),
    ("y_string_uEscape", '["\\u0061\\u30af\\u30EA\\u30b9"]', 'Array [String("aクリス")]'),
    ("y_string_uescaped_newline", '["new\\u000Aline"]', 'Array [String("new\\nline")]'),
    ("y_string_unescaped_char_delete", '["\x7f"]', 'Array [String("\\u{7f}")]'),
    ("y_string_unicodeEscapedBackslash", '["\\u005C"]', 'Array [String("\\\\")]'),
    ("y_string_unicode_escaped_double_quote", '["\\u0022"]', 'Array [String("\\"")]'),
    ("y_string_utf8", '["€𝄞"]', 'Array [String("€𝄞")]'),
    ("y_string_with_del_character", '["a\x7fa"]', 'Array [String("a\\u{7f}a")]'),
    ("y_string_combining_mark", '["e\\u0301", "é"]', 'Array [String("e\\u{301}"), String("é")]'),
    ("y_string_solidus_either_way", '["/\\/"]', 'Array [String("//")]'),
    ("y_string_long", '["' + "x" * 10000 + '"]', 'Array [String("' + "x" * 10000 + '")]'),
    # Whole texts that are not objects.
    ("y_structure_lonely_false", "false", "Bool(false)"),
    ("y_structure_lonely_int", "42", "Number(42)"),
    ("y_structure_lonely_negative_real", "-0.1", "Number(-0.1)"),
    ("y_structure_lonely_null", "null", "Null"),
    ("y_structure_lonely_string", '"asd"', 'String("asd")'),
    ("y_structure_string_empty", '""', 'String("")'),
    ("y_structure_trailing_newline", '["a"]\n', 'Array [String("a")]'),
    ("y_structure_whitespace_array", " [] ", "Array []"),
    ("y_structure_every_whitespace_everywhere",
     '\t\r\n [\t\r\n 1\t\r\n ,\r\n\t{ "a"\n:\r"b"\t} ]\n\r\t ',
     'Array [Number(1), Object {"a": String("b")}]'),
    ("y_structure_number_then_newlines", "1\n\n", "Number(1)"),
    ("y_structure_nested_mixed", '[[{"a":[{}]}],[[]]]',
     'Array [Array [Object {"a": Array [Object {}]}], Array [Array []]]'),
    # Left to the reader by the RFC: this one's limits.
    ("i_number_double_huge_neg_exp", "[123.456e-789]", "Array [Number(0.0)]"),
    ("i_number_real_underflow", "[123e-10000000]", "Array [Number(0.0)]"),
    ("i_number_huge_negative_exponent_written", "[-5e-99999999999999999999]",
     "Array [Number(-0.0)]"),
    ("i_number_too_big_neg_int", "[-123123123123123123123123123123]",
     f"Array [{number('-123123123123123123123123123123')}]"),
    ("i_number_very_big_negative_int", f"[{HUGE_NEGATIVE}]", f"Array [{number(HUGE_NEGATIVE)}]"),
    ("i_number_largest_unsigned_plus_digits", "[10000000000000000999, -10000000000000000999]",
     f"Array [Number(10000000000000000999), {number('-10000000000000000999')}]"),
    ("i_number_precision_beyond_double", "[1.000000000000000005]", "Array [Number(1.0)]"),
    ("i_number_long_fraction", f"[{LONG_FRACTION}]", f"Array [{number(LONG_FRACTION)}]"),
    ("i_number_zero_with_long_exponent", "[0e" + "9" * 30 + ", -0.0e+" + "9" * 30 + "]",
     "Array [Number(0.0), Number(-0.0)]"),
]

# Strings whose characters lie beyond ASCII and may be shown escaped or as they are; the value
# read is checked by decoding the description.
ACCEPTED_STRINGS = [
    ("y_string_escaped_noncharacter", '["\\uFFFF"]', "\uffff"),
    ("y_string_last_surrogates_1_and_2", '["\\uDBFF\\uDFFF"]', "\U0010ffff"),
    ("y_string_nbsp_uescaped", '["new\\u00A0line"]', "new\u00a0line"),
    ("y_string_nonCharacterInUTF-8_U+FFFF", '["\uffff"]', "\uffff"),
    ("y_string_reservedCharacterInUTF-8_U+1BFFF", '["\U0001bfff"]', "\U0001bfff"),
    ("y_string_three-byte-utf-8", '["\\u0821"]', "\u0821"),
    ("y_string_u+2028_line_sep", '["\u2028"]', "\u2028"),
    ("y_string_u+2029_par_sep", '["\u2029"]', "\u2029"),
    ("y_string_unicode", '["\\uA66D"]', "\ua66d"),
    ("y_string_unicode_2", '["⍂㈴⍂"]', "⍂㈴⍂"),
    ("y_string_byte_order_mark_inside", '["\ufeff", "\\uFEFF"]', "\ufeff"),
    ("y_string_escaped_noncharacter_FDD0", '["\\uFDD0"]', "\ufdd0"),
]

OPEN_ARRAYS = "[" * 500

# name, text, message, line, column
REFUSED = [
    # Arrays.
    ("n_array_1_true_without_comma", "[1 true]", EXPECTED_LIST, 1, 4),
    ("n_array_colon_instead_of_comma", '["": 1]', EXPECTED_LIST, 1, 4),
    ("n_array_comma_after_close", '[""],', TRAILING, 1, 5),
    ("n_array_double_comma", "[1,,2]", VALUE, 1, 4),
    ("n_array_extra_close", '["x"]]', TRAILING, 1, 6),
    ("n_array_extra_comma", '["",]', "trailing comma", 1, 5),
    ("n_array_inner_array_no_comma", "[3[4]]", EXPECTED_LIST, 1, 3),
    ("n_array_missing_value", '[   , ""]', VALUE, 1, 5),
    ("n_array_newlines_unclosed", '["a",\n4\n,1,', EOF_VALUE, 3, 3),
    ("n_array_spaces_vertical_tab_formfeed", '["\x0ba"\\f]', CONTROL, 1, 3),
    ("n_array_star_inside", "[*]", VALUE, 1, 2),
    ("n_array_unclosed", '[""', EOF_LIST, 1, 3),
    ("n_array_unclosed_with_new_lines", "[1,\n1\n,1", EOF_LIST, 3, 2),
    ("n_array_unclosed_with_object_inside", "[{}", EOF_LIST, 1, 3),
    # Literals.
    ("n_incomplete_false", "[fals]", IDENT, 1, 6),
    ("n_incomplete_true", "[tru]", IDENT, 1, 5),
    ("n_literal_case", "[nulL]", IDENT, 1, 5),
    ("n_structure_capitalized_True", "[True]", VALUE, 1, 2),
    ("n_structure_unclosed_array_partial_null", "[ false, nul", EOF_VALUE, 1, 12),
    # Numbers.
    ("n_multidigit_number_then_00", "123\x00", TRAILING, 1, 4),
    ("n_number_++", "[++1234]", VALUE, 1, 2),
    ("n_number_+Inf", "[+Inf]", VALUE, 1, 2),
    ("n_number_-1.0.", "[-1.0.]", EXPECTED_LIST, 1, 6),
    ("n_number_-2.", "[-2.]", NUMBER, 1, 5),
    ("n_number_0.3e+", "[0.3e+]", NUMBER, 1, 7),
    ("n_number_0.e1", "[0.e1]", NUMBER, 1, 4),
    ("n_number_0_capital_E", "[0E]", NUMBER, 1, 4),
    ("n_number_1.0e-", "[1.0e-]", NUMBER, 1, 7),
    ("n_number_1_000", "[1 000.0]", EXPECTED_LIST, 1, 4),
    ("n_number_1eE2", "[1eE2]", NUMBER, 1, 4),
    ("n_number_2.e-3", "[2.e-3]", NUMBER, 1, 4),
    ("n_number_U+FF11_fullwidth_digit_one", "[１]", VALUE, 1, 2),
    ("n_number_expression", "[1+2]", EXPECTED_LIST, 1, 3),
    ("n_number_hex_1_digit", "[0x1]", EXPECTED_LIST, 1, 3),
    ("n_number_infinity", "[Infinity]", VALUE, 1, 2),
    ("n_number_invalid+-", "[0e+-1]", NUMBER, 1, 5),
    ("n_number_invalid-negative-real", "[-123.123foo]", EXPECTED_LIST, 1, 10),
    ("n_number_minus_space_1", "[- 1]", NUMBER, 1, 3),
    ("n_number_neg_int_starting_with_zero", "[-012]", NUMBER, 1, 4),
    ("n_number_neg_real_without_int_part", "[-.123]", NUMBER, 1, 3),
    ("n_number_real_garbage_after_e", "[1ea]", NUMBER, 1, 4),
    ("n_number_with_alpha_char", "[1.8011670033376514H-308]", EXPECTED_LIST, 1, 20),
    ("n_number_zero_then_digits_after_point", "[00.5]", NUMBER, 1, 3),
    # Objects.
    ("n_object_bad_value", '["x", truth]', IDENT, 1, 10),
    ("n_object_comma_instead_of_colon", '{"x", null}', EXPECTED_COLON, 1, 5),
    ("n_object_double_colon", '{"x"::"b"}', VALUE, 1, 6),
    ("n_object_emoji", "{🇨🇭}", KEY, 1, 2),
    ("n_object_garbage_at_end", '{"a":"a" 123}', EXPECTED_MEMBER, 1, 10),
    ("n_object_missing_colon", '{"a" b}', EXPECTED_COLON, 1, 6),
    ("n_object_several_trailing_commas", '{"id":0,,,,,}', KEY, 1, 9),
    ("n_object_trailing_comment", '{"a":"b"}/**/', TRAILING, 1, 10),
    ("n_object_two_commas_in_a_row", '{"a":"b",,"c":"d"}', KEY, 1, 10),
    ("n_object_unquoted_key", '{a: "b"}', KEY, 1, 2),
    ("n_object_unterminated-value", '{"a":"a', EOF_STRING, 1, 7),
    ("n_object_with_single_string", '{ "foo" : "bar", "a" }', EXPECTED_COLON, 1, 22),
    ("n_object_comma_then_end_of_text", '{"a":1,\n', EOF_VALUE, 2, 0),
    ("n_object_colon_then_end_of_text", '{"a" :  ', EOF_VALUE, 1, 8),
    ("n_object_name_then_end_of_text", '{"a" ', EOF_OBJECT, 1, 5),
    # Strings and escapes.
    ("n_string_1_surrogate_then_escape", '["\\uD800\\"]', HEX_END, 1, 10),
    ("n_string_1_surrogate_then_escape_u", '["\\uD800\\u"]', EOF_STRING, 1, 12),
    ("n_string_1_surrogate_then_escape_u1", '["\\uD800\\u1"]', EOF_STRING, 1, 13),
    ("n_string_1_surrogate_then_escape_u1x", '["\\uD800\\u1x"]', ESCAPE, 1, 14),
    ("n_string_accentuated_char_no_quotes", "[é]", VALUE, 1, 2),
    ("n_string_backslash_00", '["\\\x00"]', ESCAPE, 1, 4),
    ("n_string_escaped_backslash_bad", '["\\\\\\"]', EOF_STRING, 1, 7),
    ("n_string_escaped_ctrl_char_tab", '["\\\t"]', ESCAPE, 1, 4),
    ("n_string_escaped_emoji", '["\\🌀"]', ESCAPE, 1, 4),
    ("n_string_incomplete_escape", '["\\"]', EOF_STRING, 1, 5),
    ("n_string_incomplete_escaped_character", '["\\u00A"]', ESCAPE, 1, 8),
    ("n_string_incomplete_surrogate", '["\\uD834\\uDd"]', ESCAPE, 1, 14),
    ("n_string_incomplete_surrogate_escape_invalid", '["\\uD800\\uD800\\x"]', LONE, 1, 14),
    ("n_string_invalid_backslash_esc", '["\\a"]', ESCAPE, 1, 4),
    ("n_string_invalid_unicode_escape", '["\\uqqqq"]', ESCAPE, 1, 8),
    ("n_string_leading_uescaped_thinspace", '[\\u0020"asd"]', VALUE, 1, 2),
    ("n_string_single_doublequote", '"', EOF_STRING, 1, 1),
    ("n_string_single_string_no_double_quotes", "abc", VALUE, 1, 1),
    ("n_string_start_escape_unclosed", '["\\', EOF_STRING, 1, 3),
    ("n_string_unicode_CapitalU", '"\\UA66D"', ESCAPE, 1, 3),
    ("n_string_with_trailing_garbage", '""x', TRAILING, 1, 3),
    ("n_string_raw_nul_in_name", '{"a\x00":1}', CONTROL, 1, 4),
    ("n_string_raw_nul_at_top", '"\x00"', CONTROL, 1, 2),
    ("n_string_raw_unit_separator", '["\x1f"]', CONTROL, 1, 3),
    ("n_string_escape_then_end_of_text", '["\\u12', EOF_STRING, 1, 6),
    # Surrogates, which the RFC leaves to the reader: pairs are joined, anything else refused.
    ("i_string_1st_surrogate_but_2nd_missing", '["\\uDADA"]', HEX_END, 1, 9),
    ("i_string_1st_valid_surrogate_2nd_invalid", '["\\uD888\\u1234"]', LONE, 1, 14),
    ("i_string_inverted_surrogates_U+1D11E", '["\\uDd1e\\uD834"]', LONE, 1, 8),
    ("i_string_high_surrogate_then_raw_text", '["\\uD83Dabcdef"]', HEX_END, 1, 9),
    ("i_string_high_surrogate_then_end_of_text", '["\\uD83D', EOF_STRING, 1, 8),
    ("i_string_high_surrogate_then_backslash_at_end", '["\\uD83D\\', EOF_STRING, 1, 9),
    # Structure.
    ("n_structure_U+2060_word_joined", "[\u2060]", VALUE, 1, 2),
    ("n_structure_UTF8_BOM_no_data", "\ufeff", VALUE, 1, 1),
    ("n_structure_angle_bracket_.", "<.>", VALUE, 1, 1),
    ("n_structure_array_trailing_garbage", "[1]x", TRAILING, 1, 4),
    ("n_structure_array_with_unclosed_string", '["asd]', EOF_STRING, 1, 6),
    ("n_structure_close_unopened_array", "1]", TRAILING, 1, 2),
    ("n_structure_comma_instead_of_closing_brace", '{"x": true,', EOF_VALUE, 1, 11),
    ("n_structure_double_array", "[][]", TRAILING, 1, 3),
    ("n_structure_null-byte-outside-string", "[\x00]", VALUE, 1, 2),
    ("n_structure_number_with_trailing_garbage", "2@", TRAILING, 1, 2),
    ("n_structure_object_followed_by_closing_object", "{}}", TRAILING, 1, 3),
    ("n_structure_object_unclosed_no_value", '{"":', EOF_VALUE, 1, 4),
    ("n_structure_object_with_comment", '{"a":/*comment*/"b"}', VALUE, 1, 6),
    ("n_structure_object_with_trailing_garbage", '{"a": true} "x"', TRAILING, 1, 13),
    ("n_structure_open_array_comma", "[,", VALUE, 1, 2),
    ("n_structure_open_array_open_object", "[{", EOF_OBJECT, 1, 2),
    ("n_structure_open_array_open_string", '["a', EOF_STRING, 1, 3),
    ("n_structure_open_array_string", '["a"', EOF_LIST, 1, 4),
    ("n_structure_open_object_close_array", "{]", KEY, 1, 2),
    ("n_structure_open_object_open_string", '{"a', EOF_STRING, 1, 3),
    ("n_structure_open_open", '["\\{["\\{["\\{["\\{', ESCAPE, 1, 4),
    ("n_structure_single_eacute", "é", VALUE, 1, 1),
    ("n_structure_single_star", "*", VALUE, 1, 1),
    ("n_structure_unclosed_object", '{"asd":"asd"', EOF_OBJECT, 1, 12),
    ("n_structure_two_values", '"a" "b"', TRAILING, 1, 5),
    ("n_structure_value_then_comma", "1,", TRAILING, 1, 2),
    ("n_structure_second_value_on_later_line", "[] \n\t []", TRAILING, 2, 3),
    # Whitespace is space, tab, line feed and carriage return only.
    ("n_structure_whitespace_formfeed", "[\f]", VALUE, 1, 2),
    ("n_structure_whitespace_vertical_tab", "[\v]", VALUE, 1, 2),
    ("n_structure_whitespace_U+2028", "[\u2028]", VALUE, 1, 2),
    ("n_structure_whitespace_ideographic_space", "[1\u3000]", EXPECTED_LIST, 1, 3),
    ("n_structure_whitespace_next_line", "[\u0085]", VALUE, 1, 2),
    # Only line feeds start a line; a carriage return is a byte of its line.
    ("n_position_carriage_returns_are_not_lines", "[1,\r\r\r x]", VALUE, 1, 8),
    ("n_position_crlf", "[1,\r\n x]", VALUE, 2, 2),
    ("n_position_blank_lines_before", "\r\n\r\n]", VALUE, 3, 1),
    ("n_position_nul_on_second_line", "[1\n,\x00]", VALUE, 2, 2),
    ("n_position_nul_in_literal", "nu\x00l", IDENT, 1, 3),
    # Byte-order marks are not whitespace anywhere.
    ("n_bom_inside_array", "[\ufeff]", VALUE, 1, 2),
    ("n_bom_after_value", "[]\ufeff", TRAILING, 1, 3),
    ("n_bom_before_name", "{\ufeff\"a\":1}", KEY, 1, 2),
    # Limits left to the reader: 127 levels of nesting, finite doubles.
    ("i_structure_500_nested_arrays", OPEN_ARRAYS + "]" * 500, "recursion limit exceeded", 1, 128),
    ("i_structure_nesting_over_lines", "[\n" * 128, "recursion limit exceeded", 128, 1),
    ("i_number_huge_exp", "[0.4e006699999999]", RANGE, 1, 17),
    ("i_number_neg_int_huge_exp", "[-1e+9999]", RANGE, 1, 9),
    ("i_number_pos_double_huge_exp", "[1.5e+9999]", RANGE, 1, 10),
    ("i_number_real_neg_overflow", "[-123123e100000]", RANGE, 1, 15),
    ("i_number_real_pos_overflow", "[123123e100000]", RANGE, 1, 14),
    ("i_number_just_beyond_max", "[1.7976931348623159e308]", RANGE, 1, 23),
]


@pytest.mark.parametrize(
    "text, value", [pytest.param(text, value, id=name) for name, text, value in ACCEPTED]
)
def test_accepted(text, value):
    assert description(text) == f"ExpectedObjectValue({value})"


def decoded_string(described):
    """The string a String("...") description stands for, escapes undone."""
    escapes = {"\\\\": "\\", '\\"': '"', "\\n": "\n", "\\t": "\t", "\\r": "\r", "\\0": "\0"}

    def undo(match):
        text = match.group(0)
        return escapes.get(text) or chr(int(text[3:-1], 16))

    return re.sub(r'\\u\{[0-9a-f]+\}|\\[\\"ntr0]', undo, described)


@pytest.mark.parametrize(
    "text, value", [pytest.param(text, value, id=name) for name, text, value in ACCEPTED_STRINGS]
)
def test_accepted_strings_beyond_ascii(text, value):
    found = re.fullmatch(r'ExpectedObjectValue\(Array \[(.*)\]\)', description(text))
    assert found, description(text)
    strings = found.group(1).split(", ")
    assert all(s.startswith('String("') and s.endswith('")') for s in strings), strings
    assert {decoded_string(s[len('String("'):-2]) for s in strings} == {value}


@pytest.mark.parametrize(
    "text, message, line, column",
    [pytest.param(text, message, line, column, id=name) for name, text, message, line, column
     in REFUSED],
)
def test_refused(text, message, line, column):
    assert description(text) == malformed(message, line, column)
