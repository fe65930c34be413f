#include "process/tables.h"

#include "core/compilation.h"
#include "database/writer.h"
#include "diagnostics/diagnostics.h"
#include "format/format.h"
#include "format/opcodes.h"
#include "process/params.h"
#include "source/reader.h"
#include "source/scanner.h"
#include "source/spans.h"
#include "vocabulary/vocabulary.h"

namespace zel {

namespace {

constexpr unsigned end_of_entry = 255;

void next_line(Compilation& c) {
    rdline(c);
    scanline(c, 0);
}

bool begins_with_blank(const Reader& r) {
    return r.linelen > 0 && blank(static_cast<unsigned char>(r.linebuf[0]));
}

// A line holding nothing, only blanks, or blanks and a comment. Leaves the
// scan position after the blanks.
bool blank_line(Compilation& c) {
    scanline(c, 0);
    return lineend(c) == 1;
}

std::size_t index_room(const Compilation& c) { return c.writer.bufend - c.writer.bufbase; }

void append_record(Compilation& c, int verbword, int nounword, std::uint32_t position) {
    unsigned char* record = c.work() + c.writer.bufbase + c.process.idxsize;
    record[0] = static_cast<unsigned char>(verbword);
    record[1] = static_cast<unsigned char>(nounword);
    record[2] = static_cast<unsigned char>(position & 0xFF);
    record[3] = static_cast<unsigned char>((position >> 8) & 0xFF);
    c.process.idxsize += entry_record_size;
}

// What the observer is told of entries: each entry from its header line to
// its last line, and each condition or action line with its parameters.

void entry_started(Compilation& c) {
    EntryDef e;
    e.table = c.process.current;
    e.at = line_span(c);
    e.last_line = e.at.line;
    e.last_file = e.at.file;
    e.comment.file = -1;
    c.process.entry = e;
}

// The verb or noun of the header line that vocab_operand has just accepted.
void entry_word(Compilation& c, int& field, std::string& text, int number) {
    field = number;
    text = upper_text(c, word_span(c));
    note_word(c, number, c.process.current);
}

// The current line belongs to the entry; when it is blank (blank_line has
// just said so) it ended the entry, and an indented comment is remembered.
void entry_line(Compilation& c, bool ends) {
    EntryDef& e = *c.process.entry;
    if (!ends) {
        e.last_line = c.reader.lineno;
        e.last_file = current_file(c);
    } else if (c.scanner.scanptr < c.scanner.scanend && *c.scanner.scanptr == ';') {
        e.comment = span_of(c, c.scanner.scanptr, c.scanner.scanend);
    }
}

void entry_finished(Compilation& c, bool accepted) {
    std::optional<EntryDef>& e = c.process.entry;
    if (!e)
        return;  // not an entry: a line that should have begun one
    e->accepted = accepted;
    c.observer->entry_defined(*e);
    e.reset();
}

// A parameter that compile_param has just accepted: its value and span, and
// a reference to what it names.
void note_param(Compilation& c, CondactDef& def, int kind) {
    const int i = def.params++;
    Reference r;
    r.kind = kind_of_param(kind);
    r.at = token_span(c);
    r.number = r.kind == Kind::word ? lookup(c) : c.scanner.numval;  // the look-up again gives the same word
    r.type = r.kind == Kind::word ? c.scanner.wordtype : -1;
    r.opcode = def.opcode;
    r.param = i;
    r.table = def.table;
    def.kind[i] = kind;
    def.value[i] = r.number;
    def.param[i] = r.at;
    const bool names_item = r.kind == Kind::word ? r.number != 255
                          : kind != kind_locword || static_cast<std::uint32_t>(r.number) < c.driver.nlocations;
    if (names_item)
        c.observer->referenced(r);
}

[[gnu::noinline]] CondactDef* start_condact(Compilation& c, int opcode) {
    CondactDef& def = c.process.condact;
    def = CondactDef{};
    def.table = c.process.current;
    def.opcode = opcode;
    def.name = token_span(c);
    return &def;
}

// One parameter of a condition or action; false after reporting its error.
bool one_param(Compilation& c, int kind, int opcode, CondactDef* def) {
    if (!compile_param(c, kind, opcode))
        return false;
    if (def)
        note_param(c, *def, kind);
    return true;
}

// Reads, checks and emits the parameters of a condition or action; false
// after the first that fails.
bool compile_params(Compilation& c, int opcode, CondactDef* def) {
    const OpcodeRow& row = opcode_table[opcode];
    if (row.kind1 == kind_none)
        return true;
    if (!one_param(c, row.kind1, opcode, def))
        return false;
    return row.kind2 == kind_none || one_param(c, row.kind2, opcode, def);
}

// The verb and noun of an entry's header line; false after the first error.
bool header_words(Compilation& c, int& verbword, int& nounword) {
    verbword = vocab_operand(c, " verb or noun<20", [](int type, int number) {
        return type == verb || (type == noun && number < 20);
    });
    if (verbword < 0)
        return false;
    if (c.observer)
        entry_word(c, c.process.entry->verb, c.process.entry->verb_text, verbword);
    nounword = vocab_operand(c, " noun", [](int type, int) { return type == noun; });
    if (nounword < 0)
        return false;
    if (c.observer)
        entry_word(c, c.process.entry->noun, c.process.entry->noun_text, nounword);
    return true;
}

// Passes the rest of an entry that failed.
void skip_failed_entry(Compilation& c) {
    const Reader& r = c.reader;
    if (c.process.hdrmarker)
        next_line(c);
    while (!r.hdrflag && begins_with_blank(r) && !blank_line(c)) {
        if (c.observer && c.process.entry)
            entry_line(c, false);
        next_line(c);
    }
    if (c.observer && c.process.entry && !r.hdrflag && begins_with_blank(r))
        entry_line(c, true);
    scanline(c, 0);
}

void compile_table(Compilation& c) {
    ProcessTables& p = c.process;
    const Reader& r = c.reader;
    p.idxsize = 0;
    p.okcount = 0;
    findsec(c, "/PRO", p.current);
    next_line(c);
    for (;;) {
        while (!r.hdrflag && blank_line(c))
            next_line(c);
        if (r.hdrflag)
            break;
        scanline(c, 0);
        if (p.idxsize >= index_room(c)) {
            pline1(c, 22);
            p.idxsize = 0;
            p.okcount = 0;
        }
        if (compile_entry(c)) {
            ++p.okcount;
            if (c.observer)
                entry_finished(c, true);
        } else {
            skip_failed_entry(c);
            if (c.observer)
                entry_finished(c, false);
        }
    }
    p.tablepos[p.current] = c.writer.dbpos;
    put_stream(c, c.work() + c.writer.bufbase, p.idxsize);  // the entry index, as it stands
    c.writer.dbpos += static_cast<std::uint32_t>(p.idxsize);
    wrw(c, 0);
    say_number(c, p.okcount);  // as "%u entries ...", once for each of up to 255 tables
    sayraw(c, " entries processed successfully\n");
    ++p.current;
}

}  // namespace

bool vetca(Compilation& c) {
    const int opcode = find_opcode(c.scanner.wordbuf);
    if (opcode < 0)
        return false;
    CondactDef* def = c.observer ? start_condact(c, opcode) : nullptr;
    wrb(c, static_cast<unsigned>(opcode));
    if (compile_params(c, opcode, def) && lineend(c) == 0)
        pline1(c, 3);
    if (def)
        c.observer->condact_defined(*def);
    return true;
}

bool compile_entry(Compilation& c) {
    ProcessTables& p = c.process;
    const Reader& r = c.reader;
    c.diag.lineerr = 0;
    p.hdrmarker = 1;
    int verbword = -1, nounword = -1;
    std::uint32_t position = 0;
    if (c.observer && !begins_with_blank(r))
        entry_started(c);
    if (begins_with_blank(r)) {
        pline1(c, 10);
    } else if (header_words(c, verbword, nounword)) {
        position = c.writer.dbpos;
        for (;;) {
            if (readword(c, 7) != 0) {
                pline1(c, 1);
                break;
            }
            if (!vetca(c)) {
                pline1(c, 14);
                break;
            }
            next_line(c);
            p.hdrmarker = 0;
            if (r.hdrflag || blank_line(c) || !begins_with_blank(r)) {
                if (c.observer && !r.hdrflag && begins_with_blank(r))
                    entry_line(c, true);
                break;
            }
            if (c.observer)
                entry_line(c, false);
        }
    }
    if (c.diag.lineerr)
        return false;
    wrb(c, end_of_entry);
    append_record(c, verbword, nounword, position);
    return true;
}

std::uint32_t compile_process(Compilation& c) {
    ProcessTables& p = c.process;
    while (p.current <= p.highest)
        compile_table(c);
    const std::uint32_t result = c.writer.dbpos;
    for (int t = 0; t < p.current; ++t)
        wrw(c, p.tablepos[t]);
    if (!c.reader.srceof)
        pline1(c, 3);
    return result;
}

}  // namespace zel
