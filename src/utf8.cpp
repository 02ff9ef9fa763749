// UTF-8 encoding and decoding for the reader's escapes and the texts of messages.
#include "utf8.h"

namespace quorvel {

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

Utf8Sequence decode_utf8(std::string_view bytes) {
    const auto byte = [&](std::size_t index) { return static_cast<unsigned char>(bytes[index]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) {
        return {lead, 1, true};
    }
    std::size_t length = 0;
    std::uint32_t code_point = 0;
    // The second byte's range also excludes overlong forms, surrogates and values past U+10FFFF.
    unsigned char second_low = 0x80;
    unsigned char second_high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code_point = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code_point = lead & 0x0F;
        second_low = lead == 0xE0 ? 0xA0 : 0x80;
        second_high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code_point = lead & 0x07;
        second_low = lead == 0xF0 ? 0x90 : 0x80;
        second_high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return {kReplacementCharacter, 1, false};
    }
    std::size_t index = 1;
    for (; index < length && index < bytes.size(); ++index) {
        const unsigned char low = index == 1 ? second_low : 0x80;
        const unsigned char high = index == 1 ? second_high : 0xBF;
        if (byte(index) < low || byte(index) > high) {
            break;
        }
        code_point = (code_point << 6) | (byte(index) & 0x3F);
    }
    if (index != length) {
        return {kReplacementCharacter, index, false};
    }
    return {code_point, length, true};
}

bool is_ascii(std::string_view bytes) {
    unsigned char any = 0;
    for (const char c : bytes) {
        any |= static_cast<unsigned char>(c);
    }
    return any < 0x80;
}

Text replace_invalid_utf8(std::string_view bytes) {
    Text text;
    text.reserve(bytes.size());
    while (!bytes.empty()) {
        const Utf8Sequence sequence = decode_utf8(bytes);
        if (sequence.valid) {
            text += bytes.substr(0, sequence.length);
        } else {
            append_utf8(text, kReplacementCharacter);
        }
        bytes.remove_prefix(sequence.length);
    }
    return text;
}

}  // namespace quorvel
