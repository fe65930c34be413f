// UTF-8 as the tools meet it in sources, which are bytes: a character
// written in UTF-8 where the language knows only single bytes.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace zel {

// The length of the valid UTF-8 sequence of two bytes or more that starts at
// s[at]; 0 when there is none (overlong forms, surrogates and values above
// U+10FFFF are not valid).
inline std::size_t utf8_length(std::string_view s, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    if (at >= s.size())
        return 0;
    const unsigned char lead = byte(at);
    std::size_t n = 0;
    unsigned char low = 0x80, high = 0xBF;  // range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        n = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        n = 3;
        if (lead == 0xE0) low = 0xA0;   // no overlong forms
        if (lead == 0xED) high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        n = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
    } else {
        return 0;
    }
    if (at + n > s.size() || byte(at + 1) < low || byte(at + 1) > high)
        return 0;
    for (std::size_t i = 2; i < n; ++i)
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF)
            return 0;
    return n;
}

// The code point of the valid sequence of n bytes at s[at] (n from
// utf8_length), as "U+00E9".
inline std::string utf8_code_point(std::string_view s, std::size_t at, std::size_t n) {
    static constexpr unsigned lead_bits[] = {0, 0, 0x1F, 0x0F, 0x07};
    unsigned value = static_cast<unsigned char>(s[at]) & lead_bits[n];
    for (std::size_t i = 1; i < n; ++i)
        value = (value << 6) | (static_cast<unsigned char>(s[at + i]) & 0x3Fu);
    char text[12];
    std::snprintf(text, sizeof text, "U+%04X", value);
    return text;
}

}  // namespace zel
