// Descriptions of JSON values and strings for the messages of reading errors.
#include "value_description.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "number_text.h"
#include "unicode_tables.h"
#include "utf8.h"

namespace quorvel {
namespace {

bool in_ranges(const unicode::CodePointRange* begin, const unicode::CodePointRange* end,
               std::uint32_t code_point) {
    const auto* it = std::upper_bound(
        begin, end, code_point,
        [](std::uint32_t c, const unicode::CodePointRange& range) { return c < range.first; });
    return it != begin && code_point <= (it - 1)->last;
}

bool is_grapheme_extend(std::uint32_t c) {
    return in_ranges(std::begin(unicode::kGraphemeExtend), std::end(unicode::kGraphemeExtend), c);
}

bool is_printable(std::uint32_t c) {
    return !in_ranges(std::begin(unicode::kNotPrintable), std::end(unicode::kNotPrintable), c);
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

}  // namespace

std::string_view kind_name(JsonKind kind) {
    switch (kind) {
        case JsonKind::Null:
            return "Null";
        case JsonKind::Bool:
            return "Bool";
        case JsonKind::Number:
            return "Number";
        case JsonKind::String:
            return "String";
        case JsonKind::Array:
            return "Array";
        case JsonKind::Object:
            return "Object";
    }
    return "Object";
}

void append_text_description(Text& out, std::string_view text) {
    out += '"';
    for (std::size_t at = 0; at < text.size();) {
        const char c = text[at];
        switch (c) {
            case '\0':
                out += "\\0";
                ++at;
                continue;
            case '\t':
                out += "\\t";
                ++at;
                continue;
            case '\r':
                out += "\\r";
                ++at;
                continue;
            case '\n':
                out += "\\n";
                ++at;
                continue;
            case '"':
                out += "\\\"";
                ++at;
                continue;
            case '\\':
                out += "\\\\";
                ++at;
                continue;
            default:
                break;
        }
        const Utf8Sequence sequence = decode_utf8(text.substr(at));
        if (!sequence.valid) {
            append_utf8(out, sequence.code_point);
        } else if (is_grapheme_extend(sequence.code_point) || !is_printable(sequence.code_point)) {
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
    switch (value.kind()) {
        case JsonKind::Null:
            out += "Null";
            return;
        case JsonKind::Bool:
            out += value.as_bool() ? "Bool(true)" : "Bool(false)";
            return;
        case JsonKind::Number:
            out += "Number(";
            append_number_description(out, value);
            out += ')';
            return;
        case JsonKind::String:
            out += "String(";
            append_text_description(out, value.as_string());
            out += ')';
            return;
        case JsonKind::Array: {
            out += "Array [";
            bool first = true;
            for (ArrayElements it(value); !it.done();) {
                if (!first) {
                    out += ", ";
                }
                first = false;
                append_value_description(out, it.take());
            }
            out += ']';
            return;
        }
        case JsonKind::Object: {
            out += "Object {";
            bool first = true;
            for (const auto& [name, member] : sorted_members(value)) {
                if (!first) {
                    out += ", ";
                }
                first = false;
                append_text_description(out, name);
                out += ": ";
                append_value_description(out, member);
            }
            out += '}';
            return;
        }
    }
}

}  // namespace quorvel
