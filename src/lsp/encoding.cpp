#include "lsp/encoding.h"

#include <algorithm>

namespace zel::lsp {

namespace {

bool ascii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

std::string text_from_client(std::string text, Encoding encoding) {
    if (encoding != Encoding::bytes || ascii(text))
        return text;
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const bool one_byte = (lead == 0xC2 || lead == 0xC3) && i + 1 < text.size() &&
                              (static_cast<unsigned char>(text[i + 1]) & 0xC0) == 0x80;
        if (one_byte) {
            bytes += static_cast<char>(((lead & 0x03) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3F));
            ++i;
        } else {
            bytes += text[i];
        }
    }
    return bytes;
}

std::string text_for_client(std::string text, Encoding encoding) {
    if (encoding != Encoding::bytes || ascii(text))
        return text;
    std::string shown;
    shown.reserve(text.size() + text.size() / 4);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            shown += c;
        } else {
            shown += static_cast<char>(0xC0 | (byte >> 6));
            shown += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return shown;
}

}  // namespace zel::lsp
