// The whole state of one compilation, made of the parts each subsystem owns.
// Every operation takes it by reference, so that several compilations can run
// in one process.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

#include <string>
#include <vector>

#include "core/observer.h"
#include "core/platform.h"
#include "format/format.h"

namespace zel {

struct Reader {
    static constexpr std::size_t block_size = 1 << 15;  // bytes per file read

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
    // Not cleared: only what a read delivered is ever looked at, and pages
    // never written are never touched.
    std::unique_ptr<char[]> block = std::make_unique_for_overwrite<char[]>(block_size);
    std::size_t blkpos = 0;
    std::size_t blklen = 0;
    std::size_t special = 0;          // next carriage return or byte 26 in the block, from blkpos on
    bool fileend = false;             // the open file has no more characters
    bool cut = false;                 // (observer only) the last piece filled the line before its end
    std::string cut_end;              // (observer only) the characters other than blanks that end it
};

struct Scanner {
    const char* scanptr = nullptr;  // next character to examine
    const char* scanend = nullptr;  // end of the text being scanned
    char wordbuf[9] = {};           // last word read, blank-filled to its width
    int wordwidth = 0;              // the width it was read with
    std::int32_t numval = 0;        // last number or location code read
    std::int32_t wordtype = 0;      // type of the last word found by lookup
    const char* tokbegin = nullptr; // where the last word, number or line end was looked for
    const char* wordbegin = nullptr; // where the last readword began its word
};

struct Diagnostics {
    Console* console = nullptr;
    std::uint32_t errors = 0;
    std::uint32_t warnings = 0;
    int lineerr = 0;  // set by every per-line report; cleared by the entry compiler
};

struct Writer {
    std::uint32_t dbpos = 0;     // position of the next database byte
    std::size_t bufbase = 0;     // start of the output buffer in the work area
    std::size_t bufptr = 0;      // next free byte of the output buffer
    std::size_t bufend = 0;      // flush threshold
    int txtkeep = 0;             // a text is being assembled: keep it on flush
    std::size_t txtstart = 0;    // where the text being assembled begins
    std::unique_ptr<OutputFile> stream;
    bool streamfail = false;     // a write to the stream has failed
};

struct Vocabulary {
    std::uint32_t nwords = 0;    // entries in the table
    std::uint32_t capacity = 0;  // most entries the work area can hold
    // Hash index of the table for lookup: for each word, what the first
    // entry with it holds (see index_vocab), 0 for an empty slot; at most two
    // thirds of the slots are taken. It covers the first `indexed` entries;
    // index_vocab makes it again after the table changes.
    std::vector<std::uint64_t> slots;
    std::uint32_t indexed = 0;
};

struct Texts {
    std::uint32_t textoff[255] = {};  // position of each text of the section
    bool toolong = false;             // the current text passed its room
    TextDef def;                      // (observer only) the text being read
};

// Working tables of the substitution, indexed by a position in the text
// being compressed; all clear between texts. Positions are kept plus 1, so
// that 0 means none.
struct TokenScratch {
    std::uint16_t pairfirst[128 * 128] = {};   // first position of each pair of characters
    std::uint16_t pairnext[longest_text] = {}; // next position holding the same pair
    std::uint8_t taken[longest_text] = {};    // the character went into a token
    std::uint8_t tokenat[longest_text] = {};  // token index + 1 of a token that starts here
};

struct Tokens {
    std::uint32_t toklen[token_count] = {};
    std::uint32_t tokuse[token_count] = {};
    std::int32_t saving = 0;  // bytes saved, less the token table block
    // Made by the first substitution: a run without compression neither
    // allocates nor clears its 96 KB.
    std::unique_ptr<TokenScratch> scratch;
};

struct World {
    std::uint32_t exitpos[252] = {};  // position of each location's exit list
    std::uint8_t objloc[255] = {};    // initial location of each object
    std::uint8_t objattr[256] = {};   // weight, container and wearable bits
};

struct ProcessTables {
    int highest = 2;                        // highest table number required
    int current = 0;                        // table being compiled
    std::uint32_t tablepos[max_tables] = {};
    std::size_t idxsize = 0;                // bytes in the entry index
    std::uint32_t okcount = 0;              // entries compiled without error
    int hdrmarker = 0;                      // the header line is still current
    std::optional<EntryDef> entry;          // (observer only) the entry being compiled
    CondactDef condact;                     // (observer only) the condition or action line being compiled
};

// Fields of the driver: the name, the switches, the null word character, the
// adventure counts and the positions recorded for the header.
struct Driver {
    char advname[12] = {};
    int dbreq = 1;
    int compress = 0;
    int cmpnow = 0;
    int tokstat = 0;
    int nullchr = -1;  // -1 until the control line declares it

    std::uint32_t nsysmess = 0, nmess = 0, nobjects = 0, nlocations = 0;

    std::uint32_t vocabpos = 0, tokenpos = 0;
    std::uint32_t stxpos = 0, mtxpos = 0, otxpos = 0, ltxpos = 0;
    std::uint32_t conpos = 0, objwordpos = 0, objlocpos = 0, objattrpos = 0;
    std::uint32_t propos = 0, endpos = 0;
};

struct Compilation {
    Compilation(Console& console, FileSystem& files);

    FileSystem& files;
    Observer* observer = nullptr;  // null: nobody listens, nothing extra is done
    std::unique_ptr<std::array<unsigned char, workarea_size>> workarea;

    Driver driver;
    Reader reader;
    Scanner scanner;
    Diagnostics diag;
    Writer writer;
    Vocabulary vocab;
    Texts texts;
    Tokens tokens;
    World world;
    ProcessTables process;

    unsigned char* work() { return workarea->data(); }
};

}  // namespace zel
