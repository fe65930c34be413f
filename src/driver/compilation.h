// The whole state of one compilation, made of the parts each subsystem owns.
// Every operation takes it by reference, so that several compilations can run
// in one process.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "database/writer.h"
#include "diagnostics/diagnostics.h"
#include "driver/platform.h"
#include "process/tables.h"
#include "source/reader.h"
#include "source/scanner.h"
#include "text/compression.h"
#include "text/texts.h"
#include "vocabulary/vocabulary.h"
#include "world/world.h"

namespace zel {

constexpr std::size_t workarea_size = 16007;
constexpr std::size_t workarea_threshold = 16000;  // bufend

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
