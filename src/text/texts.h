// The four text sections and their encoding.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zel {

struct Compilation;

std::uint32_t compile_texts(Compilation& c, const char* name, std::int32_t limit);
void put_text_line(Compilation& c, const char* line, std::size_t length);
void put_text_byte(Compilation& c, unsigned char byte);
void encode_text(Compilation& c);

}  // namespace zel
