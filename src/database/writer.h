// Database output: the buffered path through the output buffer in the work
// area, the direct path to the file, and the running position dbpos.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/platform.h"

namespace zel {

struct Compilation;

void putb(Compilation& c, unsigned byte);
void putw(Compilation& c, std::uint32_t value);
void flushbuf(Compilation& c);
void wrb(Compilation& c, unsigned byte);
void wrw(Compilation& c, std::uint32_t value);
// Puts bytes to the database stream when errors is 0 and dbreq is 1;
// does not touch dbpos.
void put_stream(Compilation& c, const unsigned char* bytes, std::size_t size);
// Writes the header over the reserved 32 bytes and closes the stream;
// reports error 38 when anything written did not reach the file.
void write_header(Compilation& c, std::uint32_t length);
// Closes the stream, if one is open, without any check.
void close_stream(Compilation& c);

}  // namespace zel
