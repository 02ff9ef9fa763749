// The tape that the JSON reader writes and the GeoJSON reader walks: one array of 64-bit entries
// in document order, and the views that read values out of it.
//
// A finite double is stored as its own bits; every other entry lives in the NaN space (exponent
// all ones, which no number read from text can produce) with a 4-bit tag and a 48-bit payload:
//   null, false, true          one entry
//   unsigned / negative int    tag, then the raw 64-bit integer
//   string                     tag + byte offset (in the text, or in the decoded-string arena
//                              when the string had escapes), then the byte length
//   array / object             tag + index of the matching end entry, the contents, then the
//                              end entry whose payload is the number of elements or members
//   array of floats only       tag + number of elements, then the elements, no end entry: the
//                              form of almost every position, a quarter smaller
// An object's members are stored as name (a string) followed by value, in text order, with
// duplicates kept: readers take the last occurrence of a name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <utility>

#include "allocation.h"

namespace quorvel {

enum class JsonKind : std::uint8_t { Null, Bool, Number, String, Array, Object };
enum class NumberKind : std::uint8_t { Unsigned, Negative, Float };

namespace tape {

using Entry = std::uint64_t;

enum class Tag : std::uint8_t {
    Null,
    False,
    True,
    Unsigned,
    Negative,
    TextString,
    DecodedString,
    Array,
    Object,
    End,
    Floats,
};

inline constexpr Entry kTagSpace = 0x7FF0'0000'0000'0000ULL;
inline constexpr int kTagShift = 48;
inline constexpr Entry kPayloadMask = (Entry{1} << kTagShift) - 1;

constexpr bool is_double(Entry e) {
    return (e & kTagSpace) != kTagSpace;
}
constexpr Tag tag_of(Entry e) {
    return static_cast<Tag>((e >> kTagShift) & 0xF);
}
constexpr Entry payload_of(Entry e) {
    return e & kPayloadMask;
}
constexpr Entry make(Tag tag, Entry payload = 0) {
    return kTagSpace | (Entry{static_cast<std::uint8_t>(tag)} << kTagShift) | payload;
}
inline Entry double_entry(double value) {
    Entry bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}
inline double double_of(Entry e) {
    double value;
    std::memcpy(&value, &e, sizeof value);
    return value;
}

// The kind of value an entry with this tag starts (an end entry starts none).
constexpr JsonKind kind_of(Tag tag) {
    constexpr JsonKind kKinds[] = {JsonKind::Null,   JsonKind::Bool,   JsonKind::Bool,
                                   JsonKind::Number, JsonKind::Number, JsonKind::String,
                                   JsonKind::String, JsonKind::Array,  JsonKind::Object,
                                   JsonKind::Null,   JsonKind::Array};
    return kKinds[static_cast<std::size_t>(tag)];
}

// Index of the entry after the value that starts at `index`.
inline std::size_t next_value_index(const Entry* entries, std::size_t index) {
    const Entry e = entries[index];
    if (is_double(e)) {
        return index + 1;
    }
    switch (tag_of(e)) {
        case Tag::Unsigned:
        case Tag::Negative:
        case Tag::TextString:
        case Tag::DecodedString:
            return index + 2;
        case Tag::Array:
        case Tag::Object:
            return payload_of(e) + 1;
        case Tag::Floats:
            return index + 1 + payload_of(e);
        default:
            return index + 1;
    }
}

}  // namespace tape

class JsonValue;

// The read document: the tape, the text it refers to, and the arena of decoded strings.
class JsonTape {
  public:
    JsonTape(std::string_view text, PodBuffer<tape::Entry> entries, Text decoded)
        : text_(text), entries_(std::move(entries)), decoded_(std::move(decoded)) {}

    JsonValue root() const;
    const tape::Entry* entries() const { return entries_.data(); }
    std::string_view string_at(std::size_t index) const {
        const tape::Entry head = entries_[index];
        const char* base =
            tape::tag_of(head) == tape::Tag::TextString ? text_.data() : decoded_.data();
        return {base + tape::payload_of(head), static_cast<std::size_t>(entries_[index + 1])};
    }

  private:
    std::string_view text_;
    PodBuffer<tape::Entry> entries_;
    Text decoded_;
};

// A view of one value on a tape; cheap to copy, valid while the tape lives.
class JsonValue {
  public:
    JsonValue(const JsonTape* tape, std::size_t index) : tape_(tape), index_(index) {}

    std::size_t index() const { return index_; }
    const JsonTape& tape() const { return *tape_; }

    JsonKind kind() const {
        const tape::Entry e = entry();
        return tape::is_double(e) ? JsonKind::Number : tape::kind_of(tape::tag_of(e));
    }
    bool is_null() const { return entry() == tape::make(tape::Tag::Null); }
    bool is_number() const {
        const tape::Entry e = entry();
        return tape::is_double(e) || tape::tag_of(e) == tape::Tag::Unsigned ||
               tape::tag_of(e) == tape::Tag::Negative;
    }
    bool is_string() const { return kind() == JsonKind::String; }
    bool is_array() const { return has_tag(tape::Tag::Array) || is_floats(); }
    // An array whose elements are all floats, stored without an end entry.
    bool is_floats() const { return has_tag(tape::Tag::Floats); }
    bool is_object() const { return has_tag(tape::Tag::Object); }

    bool as_bool() const { return tape::tag_of(entry()) == tape::Tag::True; }
    NumberKind number_kind() const {
        const tape::Entry e = entry();
        if (tape::is_double(e)) {
            return NumberKind::Float;
        }
        return tape::tag_of(e) == tape::Tag::Unsigned ? NumberKind::Unsigned : NumberKind::Negative;
    }
    std::uint64_t as_unsigned() const { return tape_->entries()[index_ + 1]; }
    std::int64_t as_negative() const {
        return static_cast<std::int64_t>(tape_->entries()[index_ + 1]);
    }
    double as_double() const { return tape::double_of(entry()); }
    // Any number as the nearest 64-bit float (integers round to nearest, ties to even).
    double as_f64() const {
        const tape::Entry e = entry();
        if (tape::is_double(e)) [[likely]] {
            return tape::double_of(e);
        }
        return tape::tag_of(e) == tape::Tag::Unsigned ? static_cast<double>(as_unsigned())
                                                      : static_cast<double>(as_negative());
    }
    std::string_view as_string() const { return tape_->string_at(index_); }

    // Arrays and objects: the number of elements or members (duplicate names included).
    std::size_t count() const {
        if (is_floats()) {
            return static_cast<std::size_t>(tape::payload_of(entry()));
        }
        return static_cast<std::size_t>(
            tape::payload_of(tape_->entries()[tape::payload_of(entry())]));
    }
    // First element (or first member name) and the end of a container: its end entry, or the
    // entry after the last float.
    std::size_t first_index() const { return index_ + 1; }
    std::size_t end_index() const {
        if (is_floats()) {
            return index_ + 1 + static_cast<std::size_t>(tape::payload_of(entry()));
        }
        return static_cast<std::size_t>(tape::payload_of(entry()));
    }
    // The first element of a non-empty array (or the first member name of an object).
    JsonValue first() const { return {tape_, index_ + 1}; }
    // The value after this one in its container (or the container's end entry).
    JsonValue next() const { return {tape_, tape::next_value_index(tape_->entries(), index_)}; }

  private:
    tape::Entry entry() const { return tape_->entries()[index_]; }
    bool has_tag(tape::Tag tag) const {
        return !tape::is_double(entry()) && tape::tag_of(entry()) == tag;
    }

    const JsonTape* tape_;
    std::size_t index_;
};

inline JsonValue JsonTape::root() const {
    return JsonValue(this, 0);
}

// Walks the contents of an array or object in text order.
class ContainerWalk {
  public:
    explicit ContainerWalk(JsonValue container)
        : tape_(&container.tape()), next_(container.first_index()), end_(container.end_index()) {}
    bool done() const { return next_ == end_; }

  protected:
    // The value at `index`; the walk moves on to the entry after it.
    JsonValue take_at(std::size_t index) {
        next_ = tape::next_value_index(tape_->entries(), index);
        return {tape_, index};
    }

    const JsonTape* tape_;
    std::size_t next_;
    std::size_t end_;
};

// The elements of an array.
class ArrayElements : public ContainerWalk {
  public:
    using ContainerWalk::ContainerWalk;
    JsonValue take() { return take_at(next_); }
};

// The members of an object, names and values.
class ObjectMembers : public ContainerWalk {
  public:
    using ContainerWalk::ContainerWalk;
    // The name of the current member; call before take().
    std::string_view name() const { return tape_->string_at(next_); }
    // The current member's value (a name is two entries).
    JsonValue take() { return take_at(next_ + 2); }
};

}  // namespace quorvel
