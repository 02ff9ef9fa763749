#include "json_text.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

static_assert(std::endian::native == std::endian::little,
              "eight digits are read at once in little-endian byte order");

namespace quorvel {
namespace {

constexpr std::string_view kEofWhileParsingList = "EOF while parsing a list";
constexpr std::string_view kEofWhileParsingObject = "EOF while parsing an object";
constexpr std::string_view kEofWhileParsingString = "EOF while parsing a string";
constexpr std::string_view kEofWhileParsingValue = "EOF while parsing a value";
constexpr std::string_view kExpectedColon = "expected `:`";
constexpr std::string_view kExpectedListCommaOrEnd = "expected `,` or `]`";
constexpr std::string_view kExpectedObjectCommaOrEnd = "expected `,` or `}`";
constexpr std::string_view kExpectedIdent = "expected ident";
constexpr std::string_view kExpectedValue = "expected value";
constexpr std::string_view kInvalidEscape = "invalid escape";
constexpr std::string_view kInvalidNumber = "invalid number";
constexpr std::string_view kNumberOutOfRange = "number out of range";
constexpr std::string_view kControlCharacter =
    "control character (\\u0000-\\u001F) found while parsing a string";
constexpr std::string_view kKeyMustBeAString = "key must be a string";
constexpr std::string_view kLoneLeadingSurrogate = "lone leading surrogate in hex escape";
constexpr std::string_view kTrailingComma = "trailing comma";
constexpr std::string_view kTrailingCharacters = "trailing characters";
constexpr std::string_view kUnexpectedEndOfHexEscape = "unexpected end of hex escape";
constexpr std::string_view kRecursionLimitExceeded = "recursion limit exceeded";

// Each open array or object takes one; the bracket that would take the last one is refused,
// so 127 levels are read.
constexpr int kNestingBudget = 128;

// 10^0 .. 10^308, each the double nearest to the power (decimal literals round correctly).
constexpr double kPowersOfTen[309] = {
    1e0,   1e1,   1e2,   1e3,   1e4,   1e5,   1e6,   1e7,   1e8,   1e9,   1e10,  1e11,  1e12,
    1e13,  1e14,  1e15,  1e16,  1e17,  1e18,  1e19,  1e20,  1e21,  1e22,  1e23,  1e24,  1e25,
    1e26,  1e27,  1e28,  1e29,  1e30,  1e31,  1e32,  1e33,  1e34,  1e35,  1e36,  1e37,  1e38,
    1e39,  1e40,  1e41,  1e42,  1e43,  1e44,  1e45,  1e46,  1e47,  1e48,  1e49,  1e50,  1e51,
    1e52,  1e53,  1e54,  1e55,  1e56,  1e57,  1e58,  1e59,  1e60,  1e61,  1e62,  1e63,  1e64,
    1e65,  1e66,  1e67,  1e68,  1e69,  1e70,  1e71,  1e72,  1e73,  1e74,  1e75,  1e76,  1e77,
    1e78,  1e79,  1e80,  1e81,  1e82,  1e83,  1e84,  1e85,  1e86,  1e87,  1e88,  1e89,  1e90,
    1e91,  1e92,  1e93,  1e94,  1e95,  1e96,  1e97,  1e98,  1e99,  1e100, 1e101, 1e102, 1e103,
    1e104, 1e105, 1e106, 1e107, 1e108, 1e109, 1e110, 1e111, 1e112, 1e113, 1e114, 1e115, 1e116,
    1e117, 1e118, 1e119, 1e120, 1e121, 1e122, 1e123, 1e124, 1e125, 1e126, 1e127, 1e128, 1e129,
    1e130, 1e131, 1e132, 1e133, 1e134, 1e135, 1e136, 1e137, 1e138, 1e139, 1e140, 1e141, 1e142,
    1e143, 1e144, 1e145, 1e146, 1e147, 1e148, 1e149, 1e150, 1e151, 1e152, 1e153, 1e154, 1e155,
    1e156, 1e157, 1e158, 1e159, 1e160, 1e161, 1e162, 1e163, 1e164, 1e165, 1e166, 1e167, 1e168,
    1e169, 1e170, 1e171, 1e172, 1e173, 1e174, 1e175, 1e176, 1e177, 1e178, 1e179, 1e180, 1e181,
    1e182, 1e183, 1e184, 1e185, 1e186, 1e187, 1e188, 1e189, 1e190, 1e191, 1e192, 1e193, 1e194,
    1e195, 1e196, 1e197, 1e198, 1e199, 1e200, 1e201, 1e202, 1e203, 1e204, 1e205, 1e206, 1e207,
    1e208, 1e209, 1e210, 1e211, 1e212, 1e213, 1e214, 1e215, 1e216, 1e217, 1e218, 1e219, 1e220,
    1e221, 1e222, 1e223, 1e224, 1e225, 1e226, 1e227, 1e228, 1e229, 1e230, 1e231, 1e232, 1e233,
    1e234, 1e235, 1e236, 1e237, 1e238, 1e239, 1e240, 1e241, 1e242, 1e243, 1e244, 1e245, 1e246,
    1e247, 1e248, 1e249, 1e250, 1e251, 1e252, 1e253, 1e254, 1e255, 1e256, 1e257, 1e258, 1e259,
    1e260, 1e261, 1e262, 1e263, 1e264, 1e265, 1e266, 1e267, 1e268, 1e269, 1e270, 1e271, 1e272,
    1e273, 1e274, 1e275, 1e276, 1e277, 1e278, 1e279, 1e280, 1e281, 1e282, 1e283, 1e284, 1e285,
    1e286, 1e287, 1e288, 1e289, 1e290, 1e291, 1e292, 1e293, 1e294, 1e295, 1e296, 1e297, 1e298,
    1e299, 1e300, 1e301, 1e302, 1e303, 1e304, 1e305, 1e306, 1e307, 1e308};

constexpr bool is_digit(unsigned char c) {
    return c >= '0' && c <= '9';
}
constexpr bool is_whitespace(unsigned char c) {
    return c == ' ' || c == '\n' || c == '\t' || c == '\r';
}

// Whether significand * 10 + digit would exceed the largest unsigned 64-bit value.
constexpr bool significand_overflows(std::uint64_t significand, std::uint64_t digit) {
    constexpr std::uint64_t kMax = UINT64_MAX;
    return significand >= kMax / 10 && (significand > kMax / 10 || digit > kMax % 10);
}

// Eight ASCII digits loaded little-endian (first digit in the lowest byte).
bool is_eight_digits(std::uint64_t chunk) {
    return (((chunk + 0x4646464646464646ULL) | (chunk - 0x3030303030303030ULL)) &
            0x8080808080808080ULL) == 0;
}

// How many of the eight bytes, from the first, are digits. A byte below a digit-only prefix
// gets no carry or borrow from it, so the lowest flagged byte is the first non-digit.
int leading_digit_count(std::uint64_t chunk) {
    const std::uint64_t non_digits =
        ((chunk + 0x4646464646464646ULL) | (chunk - 0x3030303030303030ULL)) & 0x8080808080808080ULL;
    return non_digits == 0 ? 8 : std::countr_zero(non_digits) / 8;
}

constexpr std::uint64_t kSmallPowersOfTen[] = {1,      10,      100,      1000,     10000,
                                               100000, 1000000, 10000000, 100000000};

std::uint64_t value_of_eight_digits(std::uint64_t chunk) {
    chunk -= 0x3030303030303030ULL;
    chunk = chunk * 10 + (chunk >> 8);  // pairs of digits in the even bytes
    const std::uint64_t pairs_0_2 = chunk & 0x000000FF000000FFULL;
    const std::uint64_t pairs_1_3 = (chunk >> 16) & 0x000000FF000000FFULL;
    return (pairs_0_2 * (100 + (1'000'000ULL << 32)) + pairs_1_3 * (1 + (10'000ULL << 32))) >> 32;
}

int hex_value(unsigned char c) {
    if (is_digit(c)) {
        return c - '0';
    }
    const unsigned char lower = c | 0x20;
    if (lower >= 'a' && lower <= 'f') {
        return lower - 'a' + 10;
    }
    return -1;
}

void append_utf8(Text& out, std::uint32_t code_point) {
    if (code_point < 0x80) {
        out.push_back(static_cast<char>(code_point));
    } else if (code_point < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code_point >> 6)));
        out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
    } else if (code_point < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code_point >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code_point >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code_point >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code_point >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code_point >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
    }
}

class Parser {
  public:
    explicit Parser(std::string_view text)
        : text_(reinterpret_cast<const unsigned char*>(text.data())), size_(text.size()) {
        // Real documents spend roughly ten bytes of text per entry; growth covers the rest.
        entries_.reserve(size_ / 8 + 16);
    }

    void parse_document() {
        parse_value();
        if (skip_whitespace()) {
            fail_at_peek(kTrailingCharacters);
        }
    }

    PodBuffer<tape::Entry> take_entries() { return std::move(entries_); }
    Text take_decoded() { return std::move(decoded_); }

  private:
    // --- failures -------------------------------------------------------------------------

    [[noreturn]] void fail_at(std::size_t position, std::string_view message) const {
        const auto* begin = text_;
        const auto* end = text_ + position;
        const std::size_t line = 1 + static_cast<std::size_t>(std::count(begin, end, '\n'));
        std::size_t column = position;
        for (const auto* p = end; p != begin; --p) {
            if (p[-1] == '\n') {
                column = static_cast<std::size_t>(end - p);
                break;
            }
        }
        throw JsonReadError{JsonError{message, line, column}};
    }
    // The problem is the byte at the cursor: report just after it (or the end of the text).
    [[noreturn]] void fail_at_peek(std::string_view message) const {
        fail_at(std::min(pos_ + 1, size_), message);
    }
    // The cursor is already past the offending byte.
    [[noreturn]] void fail_here(std::string_view message) const { fail_at(pos_, message); }

    // --- scanning -------------------------------------------------------------------------

    // Skips whitespace; returns whether a byte follows.
    bool skip_whitespace() {
        while (pos_ < size_ && is_whitespace(text_[pos_])) {
            ++pos_;
        }
        return pos_ < size_;
    }
    bool at_end() const { return pos_ >= size_; }
    unsigned char peek() const { return text_[pos_]; }
    // The byte at the cursor, or 0 at the end of the text.
    unsigned char peek_or_nul() const { return pos_ < size_ ? text_[pos_] : 0; }

    void push(tape::Entry entry) { entries_.push_back(entry); }
    void push_double(double value) {
        tape::Entry bits;
        std::memcpy(&bits, &value, sizeof bits);
        entries_.push_back(bits);
    }

    // --- values ---------------------------------------------------------------------------

    void parse_value() {
        if (!skip_whitespace()) {
            fail_at_peek(kEofWhileParsingValue);
        }
        switch (peek()) {
            case 'n':
                ++pos_;
                parse_ident("ull");
                push(tape::make(tape::kNull));
                return;
            case 't':
                ++pos_;
                parse_ident("rue");
                push(tape::make(tape::kTrue));
                return;
            case 'f':
                ++pos_;
                parse_ident("alse");
                push(tape::make(tape::kFalse));
                return;
            case '-':
                ++pos_;
                parse_number(false);
                return;
            case '0':
            case '1':
            case '2':
            case '3':
            case '4':
            case '5':
            case '6':
            case '7':
            case '8':
            case '9':
                parse_number(true);
                return;
            case '"':
                ++pos_;
                parse_string();
                return;
            case '[':
                enter_container();
                parse_array();
                ++nesting_budget_;
                return;
            case '{':
                enter_container();
                parse_object();
                ++nesting_budget_;
                return;
            default:
                fail_at_peek(kExpectedValue);
        }
    }

    void enter_container() {
        if (--nesting_budget_ == 0) {
            fail_at_peek(kRecursionLimitExceeded);
        }
        ++pos_;
    }

    void parse_ident(std::string_view rest) {
        for (const char expected : rest) {
            if (at_end()) {
                fail_here(kEofWhileParsingValue);
            }
            if (text_[pos_++] != static_cast<unsigned char>(expected)) {
                fail_here(kExpectedIdent);
            }
        }
    }

    // Writes the container's head now and patches it once the end is known.
    std::size_t open(tape::Tag tag) {
        const std::size_t head = entries_.size();
        push(tape::make(tag));
        return head;
    }
    void close(std::size_t head, tape::Tag tag, std::uint64_t count) {
        entries_[head] = tape::make(tag, entries_.size());
        push(tape::make(tape::kEnd, count));
    }

    void parse_array() {
        const std::size_t head = open(tape::kArray);
        std::uint64_t count = 0;
        for (;;) {
            if (!skip_whitespace()) {
                fail_at_peek(kEofWhileParsingList);
            }
            if (peek() == ']') {
                break;
            }
            if (count != 0) {
                if (peek() != ',') {
                    fail_at_peek(kExpectedListCommaOrEnd);
                }
                ++pos_;
                if (!skip_whitespace()) {
                    fail_at_peek(kEofWhileParsingValue);
                }
                if (peek() == ']') {
                    fail_at_peek(kTrailingComma);
                }
            }
            parse_value();
            ++count;
        }
        ++pos_;
        close(head, tape::kArray, count);
    }

    void parse_object() {
        const std::size_t head = open(tape::kObject);
        std::uint64_t count = 0;
        for (;;) {
            if (!skip_whitespace()) {
                fail_at_peek(kEofWhileParsingObject);
            }
            if (peek() == '}') {
                break;
            }
            bool has_byte = true;
            if (count != 0) {
                if (peek() != ',') {
                    fail_at_peek(kExpectedObjectCommaOrEnd);
                }
                ++pos_;
                has_byte = skip_whitespace();
            }
            if (!has_byte) {
                fail_at_peek(kEofWhileParsingValue);
            }
            if (peek() == '}') {
                fail_at_peek(kTrailingComma);
            }
            if (peek() != '"') {
                fail_at_peek(kKeyMustBeAString);
            }
            ++pos_;
            parse_string();
            if (!skip_whitespace()) {
                fail_at_peek(kEofWhileParsingObject);
            }
            if (peek() != ':') {
                fail_at_peek(kExpectedColon);
            }
            ++pos_;
            parse_value();
            ++count;
        }
        ++pos_;
        close(head, tape::kObject, count);
    }

    // --- strings --------------------------------------------------------------------------

    // Advances to the next quote or backslash of a string and returns it; the end of the text
    // or a raw control character ends reading.
    unsigned char scan_string_run() {
        while (pos_ < size_) {
            const unsigned char c = text_[pos_];
            if (c == '"' || c == '\\') {
                return c;
            }
            if (c < 0x20) {
                ++pos_;
                fail_here(kControlCharacter);
            }
            ++pos_;
        }
        fail_here(kEofWhileParsingString);
    }

    // The cursor is just after the opening quote. A string without escapes stays in the text.
    void parse_string() {
        const std::size_t start = pos_;
        if (scan_string_run() == '\\') {
            parse_escaped_string(start);
            return;
        }
        push(tape::make(tape::kTextString, start));
        push(pos_ - start);
        ++pos_;
    }

    // The string from `start` holds an escape at the cursor: decode it into the arena.
    void parse_escaped_string(std::size_t start) {
        const std::size_t offset = decoded_.size();
        std::size_t run = start;
        for (;;) {
            const unsigned char c = scan_string_run();
            decoded_.append(reinterpret_cast<const char*>(text_ + run), pos_ - run);
            ++pos_;
            if (c == '"') {
                push(tape::make(tape::kDecodedString, offset));
                push(decoded_.size() - offset);
                return;
            }
            parse_escape();
            run = pos_;
        }
    }

    // The character a one-letter escape stands for, or 0 for a letter that is not one.
    static char unescaped(unsigned char letter) {
        switch (letter) {
            case '"':
            case '\\':
            case '/':
                return static_cast<char>(letter);
            case 'b':
                return '\b';
            case 'f':
                return '\f';
            case 'n':
                return '\n';
            case 'r':
                return '\r';
            case 't':
                return '\t';
            default:
                return 0;
        }
    }

    // The cursor is just after a backslash.
    void parse_escape() {
        if (at_end()) {
            fail_here(kEofWhileParsingString);
        }
        const unsigned char letter = text_[pos_++];
        if (letter == 'u') {
            parse_unicode_escape();
        } else if (const char c = unescaped(letter); c != 0) {
            decoded_.push_back(c);
        } else {
            fail_here(kInvalidEscape);
        }
    }

    // Four hex digits are read as a unit: a bad one is reported after all four.
    std::uint32_t parse_hex_code_unit() {
        if (size_ - pos_ < 4) {
            pos_ = size_;
            fail_here(kEofWhileParsingString);
        }
        std::uint32_t unit = 0;
        bool valid = true;
        for (int i = 0; i < 4; ++i) {
            const int digit = hex_value(text_[pos_ + i]);
            valid = valid && digit >= 0;
            unit = (unit << 4) | static_cast<std::uint32_t>(digit & 0xF);
        }
        pos_ += 4;
        if (!valid) {
            fail_here(kInvalidEscape);
        }
        return unit;
    }

    // The cursor is just after "\u".
    void parse_unicode_escape() {
        const std::uint32_t unit = parse_hex_code_unit();
        if (unit >= 0xDC00 && unit <= 0xDFFF) {
            fail_here(kLoneLeadingSurrogate);
        }
        if (unit < 0xD800 || unit > 0xDBFF) {
            append_utf8(decoded_, unit);
            return;
        }
        // A high surrogate must be followed directly by an escaped low surrogate.
        expect_byte_of_pair('\\');
        expect_byte_of_pair('u');
        const std::uint32_t low = parse_hex_code_unit();
        if (low < 0xDC00 || low > 0xDFFF) {
            fail_here(kLoneLeadingSurrogate);
        }
        append_utf8(decoded_, 0x10000 + (((unit - 0xD800) << 10) | (low - 0xDC00)));
    }

    void expect_byte_of_pair(unsigned char expected) {
        if (at_end()) {
            fail_here(kEofWhileParsingString);
        }
        if (text_[pos_++] != expected) {
            fail_here(kUnexpectedEndOfHexEscape);
        }
    }

    // --- numbers --------------------------------------------------------------------------

    // The cursor is at the first digit (after any '-').
    void parse_number(bool positive) {
        if (at_end()) {
            fail_here(kEofWhileParsingValue);
        }
        const unsigned char first = text_[pos_++];
        if (first == '0') {
            if (is_digit(peek_or_nul())) {
                fail_at_peek(kInvalidNumber);
            }
            finish_number(positive, 0);
            return;
        }
        if (!is_digit(first)) {
            fail_here(kInvalidNumber);
        }
        std::uint64_t significand = first - '0';
        for (;;) {
            const unsigned char c = peek_or_nul();
            if (!is_digit(c)) {
                finish_number(positive, significand);
                return;
            }
            const std::uint64_t digit = c - '0';
            if (significand_overflows(significand, digit)) {
                parse_long_integer(positive, significand);
                return;
            }
            ++pos_;
            significand = significand * 10 + digit;
        }
    }

    // All integer digits fit: an integer unless a fraction or exponent follows.
    void finish_number(bool positive, std::uint64_t significand) {
        const unsigned char c = peek_or_nul();
        if (c == '.') {
            push_double(parse_decimal(positive, significand, 0));
        } else if (c == 'e' || c == 'E') {
            push_double(parse_exponent(positive, significand, 0));
        } else if (positive) {
            push(tape::make(tape::kUnsigned));
            push(significand);
        } else if (significand == 0 || significand > (std::uint64_t{1} << 63)) {
            // -0 and integers below the signed range become floats.
            push_double(-static_cast<double>(significand));
        } else {
            push(tape::make(tape::kNegative));
            push(static_cast<tape::Entry>(-static_cast<std::int64_t>(significand - 1) - 1));
        }
    }

    // Integer digits beyond the significand only raise the exponent.
    void parse_long_integer(bool positive, std::uint64_t significand) {
        std::int64_t exponent = 0;
        for (;;) {
            const unsigned char c = peek_or_nul();
            if (is_digit(c)) {
                ++pos_;
                ++exponent;
            } else if (c == '.') {
                push_double(parse_decimal(positive, significand, exponent));
                return;
            } else if (c == 'e' || c == 'E') {
                push_double(parse_exponent(positive, significand, exponent));
                return;
            } else {
                push_double(double_from_parts(positive, significand, exponent));
                return;
            }
        }
    }

    // The cursor is at '.'.
    double parse_decimal(bool positive, std::uint64_t significand, std::int64_t exponent) {
        ++pos_;
        std::int64_t fraction_digits = 0;
        bool any_digit = false;
        // Eight digits at a time while all of them surely fit: below 10^11, eight more digits
        // stay below 10^19.
        while (significand < 100'000'000'000ULL && size_ - pos_ >= 8) {
            std::uint64_t chunk;
            std::memcpy(&chunk, text_ + pos_, sizeof chunk);
            if (!is_eight_digits(chunk)) {
                break;
            }
            significand = significand * 100'000'000 + value_of_eight_digits(chunk);
            pos_ += 8;
            fraction_digits += 8;
            any_digit = true;
        }
        // Then the one to seven digits that end the fraction, padded with leading zeros.
        if (significand < 100'000'000'000ULL && size_ - pos_ >= 8) {
            std::uint64_t chunk;
            std::memcpy(&chunk, text_ + pos_, sizeof chunk);
            const int digits = leading_digit_count(chunk);
            if (digits > 0 && digits < 8) {
                const std::uint64_t padded =
                    (chunk << (64 - 8 * digits)) | (0x3030303030303030ULL >> (8 * digits));
                significand =
                    significand * kSmallPowersOfTen[digits] + value_of_eight_digits(padded);
                pos_ += static_cast<std::size_t>(digits);
                fraction_digits += digits;
                any_digit = true;
            }
        }
        while (is_digit(peek_or_nul())) {
            any_digit = true;
            const std::uint64_t digit = peek() - '0';
            if (significand_overflows(significand, digit)) {
                // Digits that no longer fit are skipped and do not count.
                while (is_digit(peek_or_nul())) {
                    ++pos_;
                }
                break;
            }
            ++pos_;
            significand = significand * 10 + digit;
            ++fraction_digits;
        }
        if (!any_digit) {
            fail_at_peek(at_end() ? kEofWhileParsingValue : kInvalidNumber);
        }
        exponent -= fraction_digits;
        const unsigned char c = peek_or_nul();
        if (c == 'e' || c == 'E') {
            return parse_exponent(positive, significand, exponent);
        }
        return double_from_parts(positive, significand, exponent);
    }

    // The cursor is at 'e' or 'E'.
    double parse_exponent(bool positive, std::uint64_t significand, std::int64_t exponent) {
        ++pos_;
        bool positive_exponent = true;
        if (peek_or_nul() == '+') {
            ++pos_;
        } else if (peek_or_nul() == '-') {
            ++pos_;
            positive_exponent = false;
        }
        if (at_end()) {
            fail_here(kEofWhileParsingValue);
        }
        const unsigned char first = text_[pos_++];
        if (!is_digit(first)) {
            fail_here(kInvalidNumber);
        }
        constexpr std::int64_t kMaxWritten = INT32_MAX;
        std::int64_t written = first - '0';
        while (is_digit(peek_or_nul())) {
            const std::int64_t digit = peek() - '0';
            ++pos_;
            if (written * 10 + digit > kMaxWritten) {
                // An exponent beyond 32 bits: infinite unless it is negative or the digits are 0.
                if (significand != 0 && positive_exponent) {
                    fail_here(kNumberOutOfRange);
                }
                while (is_digit(peek_or_nul())) {
                    ++pos_;
                }
                return positive ? 0.0 : -0.0;
            }
            written = written * 10 + digit;
        }
        return double_from_parts(positive, significand,
                                 positive_exponent ? exponent + written : exponent - written);
    }

    double double_from_parts(bool positive, std::uint64_t significand, std::int64_t exponent) {
        // The exponent arithmetic saturates at the 32-bit range.
        exponent = std::clamp<std::int64_t>(exponent, INT32_MIN, INT32_MAX);
        double value = static_cast<double>(significand);
        for (;;) {
            const std::int64_t magnitude = exponent < 0 ? -exponent : exponent;
            if (magnitude <= 308) {
                if (exponent >= 0) {
                    value *= kPowersOfTen[magnitude];
                    if (std::isinf(value)) {
                        fail_here(kNumberOutOfRange);
                    }
                } else {
                    value /= kPowersOfTen[magnitude];
                }
                break;
            }
            if (value == 0.0) {
                break;
            }
            if (exponent >= 0) {
                fail_here(kNumberOutOfRange);
            }
            value /= 1e308;
            exponent += 308;
        }
        return positive ? value : -value;
    }

    const unsigned char* text_;
    std::size_t size_;
    std::size_t pos_ = 0;
    int nesting_budget_ = kNestingBudget;
    PodBuffer<tape::Entry> entries_;
    Text decoded_;
};

}  // namespace

JsonTape parse_json(std::string_view text) {
    Parser parser(text);
    parser.parse_document();
    return JsonTape(text, parser.take_entries(), parser.take_decoded());
}

}  // namespace quorvel
