// Descriptions of JSON values and strings for the messages of reading errors.
#include "value_description.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "enum_texts.h"
#include "number_text.h"
#include "unicode_tables.h"
#include "utf8.h"

namespace quorvel {
namespace {

// The names of the JSON kinds, in the order of JsonKind.
constexpr auto kJsonKindNames =
    texts_for<JsonKind::Object>({"Null", "Bool", "Number", "String", "Array", "Object"});

// What stands between a kind's name and its contents, and after them: Null, Bool(true),
// Number(1.5), String("a"), Array [..], Object {..}.
struct Wrapping {
    std::string_view open;
    std::string_view close;
};
constexpr Wrapping kWrappings[] = {{"", ""},   {"(", ")"},  {"(", ")"},
                                   {"(", ")"}, {" [", "]"}, {" {", "}"}};

// The characters a described string writes as a backslash and a letter (or 0).
constexpr std::pair<char, std::string_view> kShortEscapes[] = {
    {'\0', "\\0"}, {'\t', "\\t"}, {'\r', "\\r"}, {'\n', "\\n"}, {'"', "\\\""}, {'\\', "\\\\"},
};

// The escape of a character, or nothing when it has none.
std::string_view short_escape(char c) {
    for (const auto& [character, escape] : kShortEscapes) {
        if (c == character) {
            return escape;
        }
    }
    return {};
}

// Whether a description writes the code point as an escape: it is not printable, or it
// extends a grapheme.
bool is_escaped(std::uint32_t code_point) {
    const auto* begin = std::begin(unicode::kEscaped);
    const auto* end = std::end(unicode::kEscaped);
    const auto* it = std::upper_bound(
        begin, end, code_point,
        [](std::uint32_t c, const unicode::CodePointRange& range) { return c < range.first; });
    return it != begin && code_point <= (it - 1)->last;
}

// Object members in ascending byte order of their names, the last of equal names only.
Vector<std::pair<std::string_view, JsonValue>> sorted_members(JsonValue object) {
    Vector<std::pair<std::string_view, JsonValue>> members;
    members.reserve(object.count());
    for (ObjectMembers it(object); !it.done();) {
        const std::string_view name = it.name();
        members.emplace_back(name, it.take());
    }
    std::stable_sort(members.begin(), members.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    Vector<std::pair<std::string_view, JsonValue>> unique;
    unique.reserve(members.size());
    for (std::size_t i = 0; i < members.size(); ++i) {
        if (i + 1 < members.size() && members[i + 1].first == members[i].first) {
            continue;
        }
        unique.push_back(members[i]);
    }
    return unique;
}

void append_number_description(Text& out, JsonValue number) {
    switch (number.number_kind()) {
        case NumberKind::Unsigned:
            append_decimal(out, number.as_unsigned());
            break;
        case NumberKind::Negative:
            append_decimal(out, number.as_negative());
            break;
        case NumberKind::Float:
            append_shortest(out, number.as_double());
            break;
    }
}

// ", " before every item of a list but the first.
class ListSeparator {
  public:
    void before_item(Text& out) {
        if (!first_) {
            out += ", ";
        }
        first_ = false;
    }

  private:
    bool first_ = true;
};

void append_elements_description(Text& out, JsonValue array) {
    ListSeparator separator;
    for (ArrayElements it(array); !it.done();) {
        separator.before_item(out);
        append_value_description(out, it.take());
    }
}

void append_members_description(Text& out, JsonValue object) {
    ListSeparator separator;
    for (const auto& [name, member] : sorted_members(object)) {
        separator.before_item(out);
        append_text_description(out, name);
        out += ": ";
        append_value_description(out, member);
    }
}

// What a value holds, as its description shows it between the wrapping of its kind.
void append_contents(Text& out, JsonValue value) {
    switch (value.kind()) {
        case JsonKind::Null:
            return;
        case JsonKind::Bool:
            out += value.as_bool() ? "true" : "false";
            return;
        case JsonKind::Number:
            append_number_description(out, value);
            return;
        case JsonKind::String:
            append_text_description(out, value.as_string());
            return;
        case JsonKind::Array:
            append_elements_description(out, value);
            return;
        case JsonKind::Object:
            append_members_description(out, value);
            return;
    }
}

}  // namespace

std::string_view kind_name(JsonKind kind) {
    return text_in(kJsonKindNames, kind);
}

void append_text_description(Text& out, std::string_view text) {
    out += '"';
    for (std::size_t at = 0; at < text.size();) {
        if (const std::string_view escape = short_escape(text[at]); !escape.empty()) {
            out += escape;
            ++at;
            continue;
        }
        const Utf8Sequence sequence = decode_utf8(text.substr(at));
        if (!sequence.valid) {
            append_utf8(out, sequence.code_point);
        } else if (is_escaped(sequence.code_point)) {
            out += "\\u{";
            append_hex(out, sequence.code_point);
            out += '}';
        } else {
            out.append(text.data() + at, sequence.length);
        }
        at += sequence.length;
    }
    out += '"';
}

void append_value_description(Text& out, JsonValue value) {
    const JsonKind kind = value.kind();
    const Wrapping& wrapping = kWrappings[static_cast<std::size_t>(kind)];
    out += kind_name(kind);
    out += wrapping.open;
    append_contents(out, value);
    out += wrapping.close;
}

}  // namespace quorvel
