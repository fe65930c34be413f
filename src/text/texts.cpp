#include "text/texts.h"

#include <algorithm>
#include <cstring>

#include "core/compilation.h"
#include "database/writer.h"
#include "diagnostics/diagnostics.h"
#include "format/format.h"
#include "source/reader.h"
#include "source/scanner.h"
#include "source/spans.h"
#include "text/compression.h"

namespace zel {

namespace {

// Room of the output buffer: one text must fit in it whole until it is encoded.
std::size_t buffer_room(const Compilation& c) { return c.writer.bufend - c.writer.bufbase; }

// Stores one byte of the text being assembled. A text may hold at most
// room - 1 bytes before its terminator; further bytes are refused with one
// error 25 per text.
void store_text_byte(Compilation& c, unsigned char byte) {
    Writer& w = c.writer;
    if (byte != text_end && w.bufptr - w.txtstart >= buffer_room(c) - 1) {
        if (!c.texts.toolong) {
            c.texts.toolong = true;
            pline1(c, 25);
        }
        return;
    }
    c.work()[w.bufptr++] = byte;
}

Kind kind_of_section(const char* name) {
    switch (name[1]) {
    case 'S': return Kind::sysmess;
    case 'O': return Kind::object;
    case 'L': return Kind::location;
    default: return Kind::message;
    }
}

// The text whose number line itemline has just accepted; the observer is
// told of it when it ends.
[[gnu::noinline]] TextDef* start_text_def(Compilation& c, const char* section) {
    TextDef& t = c.texts.def;
    t = TextDef{};
    t.kind = kind_of_section(section);
    t.number = static_cast<int>(c.reader.nitems);
    t.number_at = token_span(c);
    t.at = item_span(c);
    t.note = item_note(c);
    t.note_at = item_note_span(c);
    t.last_line = t.at.line;
    t.last_file = t.at.file;
    return &t;
}

// The text as stored, before its terminator and any compression.
[[gnu::noinline]] void end_text_def(Compilation& c, TextDef& t) {
    const unsigned char* work = c.work();
    t.text.assign(reinterpret_cast<const char*>(work + c.writer.txtstart), c.writer.bufptr - c.writer.txtstart);
}

void open_text(Compilation& c) {
    c.texts.textoff[c.reader.nitems] = c.writer.dbpos;
    c.writer.txtstart = c.writer.bufptr;
    c.texts.toolong = false;
    ++c.reader.nitems;
}

}  // namespace

namespace {

bool needs_report(unsigned char ch) { return ch < 32 || ch > 127; }

// Whether any character of a line needs a report: a test of every byte
// without an early exit, which the compiler does sixteen bytes at a time.
// As a signed byte, a character above 127 is negative, so one comparison
// finds both kinds.
bool any_reported(const char* line, std::size_t length) {
    unsigned char any = 0;
    for (std::size_t i = 0; i < length; ++i)
        any |= static_cast<unsigned char>(static_cast<signed char>(line[i]) < 32);
    return any != 0;
}

// Stores a run of characters that need no report, in as few copies as the
// text's room and the flush threshold allow; the same bytes are stored, and
// the same flushes made, as one store_text_byte per character would make.
void put_plain_run(Compilation& c, const char* run, std::size_t length) {
    Writer& w = c.writer;
    while (length > 0) {
        const std::size_t used = w.bufptr - w.txtstart;
        const std::size_t room = buffer_room(c) - 1;
        if (used >= room) {
            store_text_byte(c, static_cast<unsigned char>(*run));  // refused: error 25, once
            return;
        }
        const std::size_t n = std::min({length, room - used, w.bufend - w.bufptr});
        std::memcpy(c.work() + w.bufptr, run, n);
        w.bufptr += n;
        run += n;
        length -= n;
        if (w.bufptr >= w.bufend)
            flushbuf(c);
    }
}

// One character that is reported (a control character, or one above 127)
// and then stored like any other.
void put_reported_char(Compilation& c, const char* line, std::size_t length, std::size_t i) {
    const unsigned char ch = static_cast<unsigned char>(line[i]);
    scanfrom(c, line + i, line + length);  // the column of the report
    if (ch < 32)
        warn_control(c, ch);
    else if (c.driver.compress)
        pline3(c, 53, ch);
    else
        warn_high(c, ch);
    store_text_byte(c, ch);
    if (c.writer.bufptr >= c.writer.bufend)
        flushbuf(c);
}

}  // namespace

void put_text_line(Compilation& c, const char* line, std::size_t length) {
    if (!any_reported(line, length)) {
        put_plain_run(c, line, length);
        return;
    }
    std::size_t i = 0;
    while (i < length) {
        std::size_t j = i;
        while (j < length && !needs_report(static_cast<unsigned char>(line[j])))
            ++j;
        put_plain_run(c, line + i, j - i);
        if (j < length)
            put_reported_char(c, line, length, j++);
        i = j;
    }
}

void put_text_byte(Compilation& c, unsigned char byte) {
    store_text_byte(c, byte);
    if (byte == text_end)
        encode_text(c);
    if (c.writer.bufptr >= c.writer.bufend)
        flushbuf(c);
}

void encode_text(Compilation& c) {
    if (c.driver.cmpnow)
        substitute_tokens(c);
    // The terminator is the text's last byte: no source line holds a line
    // feed, and token codes are 128 or more.
    unsigned char* work = c.work();
    const std::size_t start = c.writer.txtstart, end = c.writer.bufptr;
    for (std::size_t i = start; i < end; ++i)
        work[i] = static_cast<unsigned char>(255 - work[i]);
    c.writer.dbpos += static_cast<std::uint32_t>(end - start);
}

std::uint32_t compile_texts(Compilation& c, const char* name, std::int32_t limit) {
    Reader& r = c.reader;
    std::uint32_t result = 0;
    findsec(c, name, 0);
    rdline(c);
    c.writer.txtkeep = 1;
    for (;;) {
        if (!itemline(c)) {
            pline1(c, 23);
            break;
        }
        TextDef* def = c.observer ? start_text_def(c, name) : nullptr;
        open_text(c);
        bool join = false;
        rdline(c);
        while (!r.hdrflag && !(r.linelen > 0 && r.linebuf[0] == '/')) {
            if (def) {
                def->last_line = r.lineno;
                def->last_file = current_file(c);
            }
            if (r.linelen == 0) {
                put_text_byte(c, paragraph_break);
                join = false;
            } else {
                if (join)
                    put_text_byte(c, join_space);
                join = true;
                put_text_line(c, r.linebuf, r.linelen);
            }
            rdline(c);
        }
        if (def)
            end_text_def(c, *def);
        put_text_byte(c, text_end);
        if (def)
            c.observer->text_defined(*def);
        if (r.hdrflag || static_cast<std::int32_t>(r.nitems) >= limit)
            break;
    }
    c.writer.txtkeep = 0;
    if (!r.hdrflag && static_cast<std::int32_t>(r.nitems) == limit)
        pline1(c, 0);
    if (r.hdrflag) {
        result = c.writer.dbpos;
        for (unsigned n = 0; n < r.nitems; ++n)
            putw(c, c.texts.textoff[n]);
        say(c, "%u texts processed\n", r.nitems);
    }
    return result;
}

}  // namespace zel
