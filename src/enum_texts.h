// Tables of texts indexed by an enumeration: one text per enumerator, in declaration order.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace quorvel {

// The table for an enumeration whose last enumerator is `Last`; the count is checked when it
// is compiled.
template <auto Last, std::size_t N>
constexpr std::array<std::string_view, N> texts_for(const std::string_view (&texts)[N]) {
    static_assert(N == static_cast<std::size_t>(Last) + 1, "one text for each enumerator");
    return std::to_array(texts);
}

// The text of one enumerator.
template <class Enum, std::size_t N>
constexpr std::string_view text_in(const std::array<std::string_view, N>& texts, Enum value) {
    return texts[static_cast<std::size_t>(value)];
}

}  // namespace quorvel
