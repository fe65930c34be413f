// The four text sections and their encoding.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zel {

struct Compilation;

constexpr unsigned char text_end = 10;        // terminator of every text
constexpr unsigned char paragraph_break = 13; // one per empty line
constexpr unsigned char join_space = 32;      // between joined lines

struct Texts {
    std::uint32_t textoff[255] = {};  // position of each text of the section
    bool toolong = false;             // the current text passed its room
};

std::uint32_t compile_texts(Compilation& c, const char* name, std::int32_t limit);
void put_text_line(Compilation& c, const char* line, std::size_t length);
void put_text_byte(Compilation& c, unsigned char byte);
void encode_text(Compilation& c);

}  // namespace zel
