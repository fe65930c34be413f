#include "text/texts.h"

#include "driver/compilation.h"

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

void open_text(Compilation& c) {
    c.texts.textoff[c.reader.nitems] = c.writer.dbpos;
    c.writer.txtstart = c.writer.bufptr;
    c.texts.toolong = false;
    ++c.reader.nitems;
}

}  // namespace

void put_text_line(Compilation& c, const char* line, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) {
        const unsigned char ch = static_cast<unsigned char>(line[i]);
        if (ch < 32 || ch > 127)
            scanfrom(c, line + i, line + length);  // the column of the report
        if (ch < 32) {
            warn_control(c, ch);
        } else if (ch > 127) {
            if (c.driver.compress)
                pline3(c, 53, ch);
            else
                warn_high(c, ch);
        }
        store_text_byte(c, ch);
        if (c.writer.bufptr >= c.writer.bufend)
            flushbuf(c);
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
    unsigned char* work = c.work();
    for (std::size_t i = c.writer.txtstart;; ++i) {
        work[i] = static_cast<unsigned char>(255 - work[i]);
        ++c.writer.dbpos;
        if (work[i] == 255 - text_end)
            break;
    }
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
        open_text(c);
        bool join = false;
        rdline(c);
        while (!r.hdrflag && !(r.linelen > 0 && r.linebuf[0] == '/')) {
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
        put_text_byte(c, text_end);
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
