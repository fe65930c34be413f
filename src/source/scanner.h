// Lexical scanner: words, numbers, location operands and the end of a line,
// read from a shared scan position; look-up of words in the vocabulary.
// Every operation returns 0 for success and 1 for failure and reports nothing.
#pragma once

#include <cstdint>

namespace zel {

struct Compilation;

int blank(int ch);
void scanfrom(Compilation& c, const char* begin, const char* end);
void scanline(Compilation& c, std::size_t offset);  // scan linebuf from offset
int lineend(Compilation& c);
int readword(Compilation& c, int width);
int readnum(Compilation& c);
int readloc(Compilation& c);
int lookup(Compilation& c);
// Makes the index through which lookup finds the words of the sorted table.
void index_vocab(Compilation& c);

// True when the word last read holds the null word character anywhere.
bool wordnull(const Compilation& c);
// True when linebuf is a numbered item line: "/" and the number that the
// current section expects next (nitems); whatever follows a blank is ignored.
bool itemline(Compilation& c);

}  // namespace zel
