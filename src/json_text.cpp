// The structure of a JSON text: values, arrays, objects and literals, nesting, and where a
// failure lies. Numbers and strings are read by their own units.
#include "json_text.h"

#include <algorithm>
#include <cstdint>

#include "json_number.h"
#include "json_reading.h"
#include "json_string.h"

namespace quorvel {
namespace {

// Each open array or object takes one; the bracket that would take the last one is refused,
// so 127 levels are read.
constexpr int kNestingBudget = 128;

constexpr bool is_whitespace(unsigned char c) {
    return c == ' ' || c == '\n' || c == '\t' || c == '\r';
}

// Line and column of a byte offset: lines start after line feeds, columns count bytes.
JsonError located(std::string_view text, const JsonSyntaxError& failure) {
    const auto* begin = text.data();
    const auto* end = text.data() + failure.position;
    const std::size_t line = 1 + static_cast<std::size_t>(std::count(begin, end, '\n'));
    std::size_t column = failure.position;
    for (const auto* p = end; p != begin; --p) {
        if (p[-1] == '\n') {
            column = static_cast<std::size_t>(end - p);
            break;
        }
    }
    return {text_of(failure.message), line, column};
}

class Parser {
  public:
    explicit Parser(std::string_view text)
        : cursor_{reinterpret_cast<const unsigned char*>(text.data()), text.size()} {
        // Real documents spend roughly ten bytes of text per entry; growth covers the rest.
        entries_.reserve(text.size() / 8 + 16);
    }

    void parse_document() {
        parse_value();
        if (skip_whitespace()) {
            cursor_.fail_at_peek(JsonMessage::TrailingCharacters);
        }
    }

    PodBuffer<tape::Entry> take_entries() {
        entries_.release_unused_pages();
        return std::move(entries_);
    }
    Text take_decoded() { return std::move(decoded_); }

  private:
    // Skips whitespace; returns whether a byte follows.
    bool skip_whitespace() {
        while (cursor_.pos < cursor_.size && is_whitespace(cursor_.text[cursor_.pos])) {
            ++cursor_.pos;
        }
        return cursor_.pos < cursor_.size;
    }
    unsigned char peek() const { return cursor_.peek(); }

    void parse_value() {
        if (!skip_whitespace()) {
            cursor_.fail_at_peek(JsonMessage::EofWhileParsingValue);
        }
        switch (peek()) {
            case 'n':
                parse_literal("null", tape::Tag::Null);
                return;
            case 't':
                parse_literal("true", tape::Tag::True);
                return;
            case 'f':
                parse_literal("false", tape::Tag::False);
                return;
            case '-':
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
                read_number(cursor_, entries_);
                return;
            case '"':
                ++cursor_.pos;
                read_string(cursor_, entries_, decoded_);
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
                cursor_.fail_at_peek(JsonMessage::ExpectedValue);
        }
    }

    void enter_container() {
        if (--nesting_budget_ == 0) {
            cursor_.fail_at_peek(JsonMessage::RecursionLimitExceeded);
        }
        ++cursor_.pos;
    }

    // The cursor is at the literal's first letter, which is known to match.
    void parse_literal(std::string_view literal, tape::Tag tag) {
        ++cursor_.pos;
        for (const char expected : literal.substr(1)) {
            if (cursor_.at_end()) {
                cursor_.fail_here(JsonMessage::EofWhileParsingValue);
            }
            if (cursor_.text[cursor_.pos++] != static_cast<unsigned char>(expected)) {
                cursor_.fail_here(JsonMessage::ExpectedIdent);
            }
        }
        entries_.push_back(tape::make(tag));
    }

    // Writes the container's head now and patches it once the end is known.
    std::size_t open(tape::Tag tag) {
        const std::size_t head = entries_.size();
        entries_.push_back(tape::make(tag));
        return head;
    }
    void close(std::size_t head, tape::Tag tag, std::uint64_t count) {
        entries_[head] = tape::make(tag, entries_.size());
        entries_.push_back(tape::make(tape::Tag::End, count));
    }

    // What closes a container, and what its failures say.
    struct ContainerSyntax {
        unsigned char closer;
        JsonMessage eof;
        JsonMessage expected_comma_or_end;
    };
    static constexpr ContainerSyntax kArraySyntax = {']', JsonMessage::EofWhileParsingList,
                                                     JsonMessage::ExpectedListCommaOrEnd};
    static constexpr ContainerSyntax kObjectSyntax = {'}', JsonMessage::EofWhileParsingObject,
                                                      JsonMessage::ExpectedObjectCommaOrEnd};

    // Before each element or member: whitespace, then either the closing bracket (consumed;
    // returns false) or, after the first, a comma and whitespace. Leaves the cursor at the
    // element's first byte.
    bool next_element(const ContainerSyntax& syntax, std::uint64_t count) {
        if (!skip_whitespace()) {
            cursor_.fail_at_peek(syntax.eof);
        }
        if (peek() == syntax.closer) {
            ++cursor_.pos;
            return false;
        }
        if (count != 0) {
            if (peek() != ',') {
                cursor_.fail_at_peek(syntax.expected_comma_or_end);
            }
            ++cursor_.pos;
            if (!skip_whitespace()) {
                cursor_.fail_at_peek(JsonMessage::EofWhileParsingValue);
            }
            if (peek() == syntax.closer) {
                cursor_.fail_at_peek(JsonMessage::TrailingComma);
            }
        }
        return true;
    }

    // Whether the `count` values after the head are one entry each, and floats.
    bool holds_floats_only(std::size_t head, std::uint64_t count) const {
        if (entries_.size() != head + 1 + count) {
            return false;
        }
        for (std::size_t i = head + 1; i < entries_.size(); ++i) {
            if (!tape::is_double(entries_[i])) {
                return false;
            }
        }
        return true;
    }

    // An array of floats only is stored without its end entry (the common position).
    void parse_array() {
        const std::size_t head = open(tape::Tag::Array);
        std::uint64_t count = 0;
        while (next_element(kArraySyntax, count)) {
            parse_value();
            ++count;
        }
        if (holds_floats_only(head, count)) {
            entries_[head] = tape::make(tape::Tag::Floats, count);
        } else {
            close(head, tape::Tag::Array, count);
        }
    }

    // Members are a name (a string), a colon and a value.
    void parse_object() {
        const std::size_t head = open(tape::Tag::Object);
        std::uint64_t count = 0;
        while (next_element(kObjectSyntax, count)) {
            if (peek() != '"') {
                cursor_.fail_at_peek(JsonMessage::KeyMustBeAString);
            }
            ++cursor_.pos;
            read_string(cursor_, entries_, decoded_);
            if (!skip_whitespace()) {
                cursor_.fail_at_peek(JsonMessage::EofWhileParsingObject);
            }
            if (peek() != ':') {
                cursor_.fail_at_peek(JsonMessage::ExpectedColon);
            }
            ++cursor_.pos;
            parse_value();
            ++count;
        }
        close(head, tape::Tag::Object, count);
    }

    JsonCursor cursor_;
    int nesting_budget_ = kNestingBudget;
    PodBuffer<tape::Entry> entries_;
    Text decoded_;
};

}  // namespace

JsonTape parse_json(std::string_view text) {
    Parser parser(text);
    try {
        parser.parse_document();
    } catch (const JsonSyntaxError& failure) {
        throw JsonReadError{located(text, failure)};
    }
    return JsonTape(text, parser.take_entries(), parser.take_decoded());
}

}  // namespace quorvel
