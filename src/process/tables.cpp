#include "process/tables.h"

#include "core/compilation.h"
#include "database/writer.h"
#include "diagnostics/diagnostics.h"
#include "format/format.h"
#include "format/opcodes.h"
#include "process/params.h"
#include "source/reader.h"
#include "source/scanner.h"
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

// Passes the rest of an entry that failed.
void skip_failed_entry(Compilation& c) {
    const Reader& r = c.reader;
    if (c.process.hdrmarker)
        next_line(c);
    while (!r.hdrflag && begins_with_blank(r) && !blank_line(c))
        next_line(c);
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
        if (compile_entry(c))
            ++p.okcount;
        else
            skip_failed_entry(c);
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
    wrb(c, static_cast<unsigned>(opcode));
    const OpcodeRow& row = opcode_table[opcode];
    if (row.kind1 != kind_none) {
        if (!compile_param(c, row.kind1, opcode))
            return true;
        if (row.kind2 != kind_none && !compile_param(c, row.kind2, opcode))
            return true;
    }
    if (lineend(c) == 0)
        pline1(c, 3);
    return true;
}

bool compile_entry(Compilation& c) {
    ProcessTables& p = c.process;
    const Reader& r = c.reader;
    c.diag.lineerr = 0;
    p.hdrmarker = 1;
    int verbword = -1, nounword = -1;
    std::uint32_t position = 0;
    if (begins_with_blank(r)) {
        pline1(c, 10);
    } else if ((verbword = vocab_operand(c, " verb or noun<20", [](int type, int number) {
                    return type == verb || (type == noun && number < 20);
                })) >= 0 &&
               (nounword = vocab_operand(c, " noun", [](int type, int) { return type == noun; })) >= 0) {
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
            if (r.hdrflag || blank_line(c) || !begins_with_blank(r))
                break;
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
