// Lexical scanner: words, numbers, location operands and the end of a line,
// read from a shared scan position; look-up of words in the vocabulary.
// Every operation returns 0 for success and 1 for failure and reports nothing.
#pragma once

#include <cstdint>

namespace zel {

struct Compilation;

struct Scanner {
    const char* scanptr = nullptr;  // next character to examine
    const char* scanend = nullptr;  // end of the text being scanned
    char wordbuf[9] = {};           // last word read, blank-filled to its width
    int wordwidth = 0;              // the width it was read with
    std::int32_t numval = 0;        // last number or location code read
    std::int32_t wordtype = 0;      // type of the last word found by lookup
};

// Location codes delivered by readloc besides plain numbers.
enum LocationCode : int {
    loc_notcreated = 252,
    loc_worn = 253,
    loc_carried = 254,
    loc_here = 255,
};

int blank(int ch);
void scanfrom(Compilation& c, const char* begin, const char* end);
void scanline(Compilation& c, std::size_t offset);  // scan linebuf from offset
int lineend(Compilation& c);
int readword(Compilation& c, int width);
int readnum(Compilation& c);
int readloc(Compilation& c);
int lookup(Compilation& c);

// True when the word last read holds the null word character anywhere.
bool wordnull(const Compilation& c);
// True when linebuf is a numbered item line: "/" and the number that the
// current section expects next (nitems); whatever follows a blank is ignored.
bool itemline(Compilation& c);

}  // namespace zel
