// Source reader: delivers the adventure source one significant line at a
// time, across the files that link lines chain together.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "driver/platform.h"

namespace zel {

struct Compilation;

struct Reader {
    static constexpr std::size_t line_room = 258;    // characters per line piece
    static constexpr std::size_t block_size = 1 << 17;  // bytes per file read

    char linebuf[line_room + 2] = {};  // the current line, NUL-terminated
    std::size_t linelen = 0;          // its length; a NUL inside is an ordinary character
    unsigned lineno = 0;              // lines read from the file now open
    int hdrflag = 0;                  // a section header line waits in linebuf
    int srceof = 0;                   // the source has ended
    std::string srcname;              // name of the source file now open
    std::string srcfound;             // the name it was found under
    unsigned nitems = 0;              // item counter of the current section

    std::unique_ptr<InputFile> stream;
    std::vector<FileId> opened;       // every source file opened in this run
    std::unique_ptr<char[]> block = std::make_unique<char[]>(block_size);
    std::size_t blkpos = 0;
    std::size_t blklen = 0;
    std::size_t special = 0;          // next carriage return or byte 26 in the block, from blkpos on
    bool fileend = false;             // the open file has no more characters
};

void srcopen(Compilation& c, const std::string& name);
void rdline(Compilation& c);
void findsec(Compilation& c, const char* name, int number);
void srcclose(Compilation& c);

}  // namespace zel
