#include "core/compilation.h"
#include "database/writer.h"
#include "diagnostics/diagnostics.h"
#include "format/format.h"
#include "source/reader.h"
#include "source/scanner.h"
#include "source/spans.h"
#include "world/world.h"

namespace zel {

namespace {

bool starts_with_slash(const Reader& r) { return r.linelen > 0 && r.linebuf[0] == '/'; }

void note_exit(Compilation& c, int word, int destination, const Span& destination_at) {
    ExitDef e;
    e.location = static_cast<int>(c.reader.nitems) - 1;
    e.word = word;
    e.word_at = word_span(c);
    e.text = upper_text(c, e.word_at);
    e.destination = destination;
    e.destination_at = destination_at;
    note_word(c, word);
    note_reference(c, Kind::location, destination, destination_at);
    c.observer->exit_defined(e);
}

ConnectionDef start_connections(const Compilation& c) {
    ConnectionDef def;
    def.location = static_cast<int>(c.reader.nitems);
    def.number_at = token_span(c);
    def.at = item_span(c);
    def.note = item_note(c);
    def.note_at = item_note_span(c);
    def.last_line = def.at.line;
    def.last_file = def.at.file;
    return def;
}

// One exit line: a movement word and a destination. Only the first fault
// is reported; a faulty line emits nothing.
void exit_line(Compilation& c) {
    Scanner& s = c.scanner;
    scanline(c, 0);
    if (readword(c, 5) != 0 || wordnull(c)) {
        pline1(c, 1);
        return;
    }
    if (readnum(c) != 0) {
        pline1(c, 7);
        return;
    }
    const std::int32_t destination = s.numval;
    const Span destination_at = c.observer ? token_span(c) : Span{};
    if (static_cast<std::uint32_t>(destination) >= c.driver.nlocations) {
        pline1(c, 8);
        return;
    }
    if (lineend(c) == 0) {
        pline1(c, 3);
        return;
    }
    const int number = lookup(c);
    if (number == 0) {
        pline1(c, 5);
        return;
    }
    if ((s.wordtype == noun && number < 20) || s.wordtype == verb) {
        putb(c, static_cast<unsigned>(number));
        putb(c, static_cast<unsigned>(destination));
        if (c.observer)
            note_exit(c, number, destination, destination_at);
    } else {
        pline2(c, 44, " verb or noun<20");
    }
}

}  // namespace

std::uint32_t compile_connections(Compilation& c) {
    Reader& r = c.reader;
    std::uint32_t result = 0;
    findsec(c, "/CON", 0);
    rdline(c);
    while (!r.hdrflag && r.nitems < c.driver.nlocations) {
        if (!itemline(c)) {
            pline1(c, 23);
            break;
        }
        std::optional<ConnectionDef> def;
        if (c.observer)
            def = start_connections(c);
        c.world.exitpos[r.nitems] = c.writer.dbpos;
        ++r.nitems;
        rdline(c);
        while (!r.hdrflag && !starts_with_slash(r)) {
            if (def) {
                def->last_line = r.lineno;
                def->last_file = current_file(c);
            }
            exit_line(c);
            rdline(c);
        }
        putb(c, end_of_list);
        if (def)
            c.observer->connections_defined(*def);
    }
    if (!r.hdrflag && r.nitems == c.driver.nlocations) {
        pline1(c, 6);
        return 0;
    }
    say(c, "Connections for %u locations processed\n", r.nitems);
    if (r.hdrflag && r.nitems == c.driver.nlocations) {
        result = c.writer.dbpos;
        for (unsigned n = 0; n < r.nitems; ++n)
            putw(c, c.world.exitpos[n]);
    } else {
        perr1(c, 32);
    }
    return result;
}

}  // namespace zel
