#include "driver/compile.h"

#include <new>

#include "core/compilation.h"
#include "database/writer.h"
#include "diagnostics/diagnostics.h"
#include "format/format.h"
#include "process/tables.h"
#include "source/reader.h"
#include "source/scanner.h"
#include "text/compression.h"
#include "text/texts.h"
#include "vocabulary/vocabulary.h"
#include "world/world.h"

namespace zel {

Compilation::Compilation(Console& console, FileSystem& fs) : files(fs) { diag.console = &console; }

namespace {

std::string file_name(const Compilation& c, const char* extension) {
    return std::string(c.driver.advname) + extension;
}

// The adventure name and the switches.
void read_command_line(Compilation& c, const std::vector<std::string>& arguments) {
    if (arguments.empty())
        pline1(c, 24);
    const std::string& first = arguments[0];
    scanfrom(c, first.data(), first.data() + first.size());
    if (readword(c, 8) != 0)
        pline1(c, 24);
    std::string name(c.scanner.wordbuf, 8);
    name.erase(name.find_last_not_of(' ') + 1);
    name.copy(c.driver.advname, sizeof c.driver.advname - 1);
    say(c, "Compiling %s\n", c.driver.advname);

    Driver& d = c.driver;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        if (arguments[i].empty())
            continue;
        const char ch = arguments[i][0];
        const char sw = (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch;
        if (sw == 'N' && d.dbreq == 1) {
            d.dbreq = 0;
            sayraw(c, "Database not required\n");
        } else if (sw == 'C' && d.cmpnow == 0) {
            d.compress = 1;
            d.cmpnow = 1;
            sayraw(c, "Text to be compressed\n");
        } else if (sw == 'T') {
            d.tokstat = 1;
        }
    }
}

// The old database goes, the temporary file is created. A temporary file
// left by an earlier run is deleted first rather than emptied: emptying it
// would write through a link of that name into another file, and costs
// more on file systems that then flush the old contents.
void open_database(Compilation& c) {
    c.files.remove(file_name(c, ".ZDB"));
    const std::string temporary = file_name(c, ".$$$");
    c.files.remove(temporary);
    c.writer.stream = c.files.create(temporary);
    if (!c.writer.stream)
        perr2(c, 34, temporary);
}

// The header space, the vocabulary, the token table and the texts.
void compile_vocabulary_and_texts(Compilation& c) {
    Driver& d = c.driver;
    Writer& w = c.writer;
    for (std::size_t i = 0; i < header_size; ++i)
        wrb(c, 0);
    d.vocabpos = compile_vocab(c);
    w.bufbase = w.bufptr = (c.vocab.nwords + 1) * entry_size;
    if (d.compress) {
        d.tokenpos = w.dbpos;
        write_token_table(c);
        c.tokens.saving = static_cast<std::int32_t>(d.tokenpos) - static_cast<std::int32_t>(w.dbpos);
    }
    d.stxpos = compile_texts(c, "/STX", most_sysmess);
    if (c.reader.nitems < fewest_sysmess)
        perr1(c, 31);
    d.nsysmess = c.reader.nitems;
    d.mtxpos = compile_texts(c, "/MTX", most_messages);
    d.nmess = c.reader.nitems;
    d.cmpnow = 0;
    d.otxpos = compile_texts(c, "/OTX", most_objects);
    d.nobjects = c.reader.nitems;
    d.cmpnow = d.compress;
    d.ltxpos = compile_texts(c, "/LTX", most_locations);
    d.nlocations = c.reader.nitems;
    w.txtkeep = 0;
}

// The world and the process tables.
void compile_world_and_processes(Compilation& c) {
    Driver& d = c.driver;
    d.conpos = compile_connections(c);
    d.objwordpos = c.writer.dbpos;
    d.objlocpos = compile_objects(c);
    flushbuf(c);
    d.propos = compile_process(c);
    d.endpos = c.writer.dbpos;
    srcclose(c);
}

// Every recorded position must lie within the database, and every
// position must fit the 16-bit words that carry it.
void end_routines(Compilation& c) {
    const Driver& d = c.driver;
    sayraw(c, "Processing end routines\n");
    const std::int32_t end = static_cast<std::int32_t>(d.endpos);
    bool toobig = end > static_cast<std::int32_t>(largest_database);
    for (std::uint32_t pos : {d.vocabpos, d.stxpos, d.mtxpos, d.otxpos, d.ltxpos, d.conpos, d.objwordpos,
                              d.objlocpos, d.objattrpos, d.propos})
        if (end < static_cast<std::int32_t>(pos))
            toobig = true;
    if (toobig)
        perr1(c, 54);
}

// The header and the closing messages.
void finish_database(Compilation& c) {
    const Driver& d = c.driver;
    const std::uint32_t length = d.endpos;
    if (d.dbreq)
        write_header(c, length);
    if (d.compress && d.tokstat)
        print_token_stats(c);
    if (d.compress)
        say(c, "Compressing the text saved %d bytes\n", c.tokens.saving);
    say(c, "Database is %lu bytes long\n", static_cast<unsigned long>(length));
}

// The temporary file becomes the database.
void rename_database(Compilation& c) {
    const std::string temporary = file_name(c, ".$$$");
    if (!c.files.rename(temporary, file_name(c, ".ZDB")))
        perr2(c, 35, temporary);
}

void run(Compilation& c, const std::vector<std::string>& arguments) {
    sayraw(c, "\nZEL COMPILER V2.3\n\n");
    c.workarea = std::make_unique<std::array<unsigned char, workarea_size>>();
    c.writer.bufend = workarea_threshold;
    c.writer.bufbase = c.writer.bufptr = 0;
    c.vocab.capacity = vocab_capacity;

    read_command_line(c, arguments);
    srcopen(c, c.driver.advname);
    rdline(c);
    findsec(c, "/CTL", 0);
    rdline(c);
    control_line(c);

    const Diagnostics& diag = c.diag;
    if (diag.errors == 0 && c.driver.dbreq == 1)
        open_database(c);
    if (diag.errors == 0)
        compile_vocabulary_and_texts(c);
    if (diag.errors == 0)
        compile_world_and_processes(c);
    if (diag.errors == 0)
        end_routines(c);
    if (diag.errors == 0)
        finish_database(c);
    if (diag.errors == 0 && c.driver.dbreq == 1)
        rename_database(c);
    summary(c);
}

}  // namespace

int compile(const std::vector<std::string>& arguments, Console& console, FileSystem& files,
            Observer* observer) {
    std::unique_ptr<Compilation> c;
    try {
        c = std::make_unique<Compilation>(console, files);
        c->observer = observer;
    } catch (const std::bad_alloc&) {
        console.out("Error - Failure to allocate heap\n");
        return 0;
    }
    int status = 0;
    try {
        run(*c, arguments);
    } catch (const FatalStop& fatal) {
        status = fatal.status;
    } catch (const std::bad_alloc&) {
        console.out("Error - Failure to allocate heap\n");
    }
    note_open_file_end(*c);
    // Whatever reached the temporary file before an error stays in it.
    close_stream(*c);
    console.flush();
    return status;
}

}  // namespace zel
