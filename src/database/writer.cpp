#include "database/writer.h"

#include <cstring>

#include "core/compilation.h"
#include "diagnostics/diagnostics.h"

namespace zel {

namespace {

bool writing(const Compilation& c) { return c.diag.errors == 0 && c.driver.dbreq == 1; }

void flush_test(Compilation& c) {
    if (c.writer.bufptr >= c.writer.bufend)
        flushbuf(c);
}

}  // namespace

void put_stream(Compilation& c, const unsigned char* bytes, std::size_t size) {
    if (!writing(c) || !c.writer.stream || size == 0)
        return;
    if (!c.writer.stream->write(bytes, size))
        c.writer.streamfail = true;
}

void putb(Compilation& c, unsigned byte) {
    Writer& w = c.writer;
    c.work()[w.bufptr++] = static_cast<unsigned char>(byte);
    ++w.dbpos;
    flush_test(c);
}

void putw(Compilation& c, std::uint32_t value) {
    Writer& w = c.writer;
    c.work()[w.bufptr++] = static_cast<unsigned char>(value & 0xFF);
    c.work()[w.bufptr++] = static_cast<unsigned char>((value >> 8) & 0xFF);
    w.dbpos += 2;
    flush_test(c);
}

void flushbuf(Compilation& c) {
    Writer& w = c.writer;
    unsigned char* work = c.work();
    const std::size_t limit = w.txtkeep ? w.txtstart : w.bufptr;
    put_stream(c, work + w.bufbase, limit - w.bufbase);
    if (w.txtkeep) {
        const std::size_t kept = w.bufptr - w.txtstart;
        std::memmove(work + w.bufbase, work + w.txtstart, kept);
        w.bufptr = w.bufbase + kept;
        w.txtstart = w.bufbase;
    } else {
        w.bufptr = w.bufbase;
    }
}

// Without a stream (switch N) nothing is put: the test comes first, since a
// process table puts each of its bytes this way.
void wrb(Compilation& c, unsigned byte) {
    if (c.writer.stream) {
        const unsigned char b = static_cast<unsigned char>(byte);
        put_stream(c, &b, 1);
    }
    ++c.writer.dbpos;
}

void wrw(Compilation& c, std::uint32_t value) {
    if (c.writer.stream) {
        const unsigned char b[2] = {static_cast<unsigned char>(value & 0xFF),
                                    static_cast<unsigned char>((value >> 8) & 0xFF)};
        put_stream(c, b, 2);
    }
    c.writer.dbpos += 2;
}

void write_header(Compilation& c, std::uint32_t length) {
    Writer& w = c.writer;
    const Driver& d = c.driver;
    const long written = w.stream->position();
    if (!w.stream->rewind())
        w.streamfail = true;
    wrw(c, 512);
    wrb(c, static_cast<unsigned>(d.nullchr));
    wrb(c, d.nobjects);
    wrb(c, d.nlocations);
    wrb(c, d.nmess);
    wrb(c, d.nsysmess);
    wrb(c, static_cast<unsigned>(c.process.current));
    for (std::uint32_t pos : {d.tokenpos, d.propos, d.otxpos, d.ltxpos, d.mtxpos, d.stxpos, d.conpos,
                              d.vocabpos, d.objlocpos, d.objwordpos, d.objattrpos, length})
        wrw(c, pos);
    if (!w.stream->close())
        w.streamfail = true;
    w.stream.reset();
    if (written != static_cast<long>(length) || w.streamfail)
        perr1(c, 38);
}

void close_stream(Compilation& c) {
    if (c.writer.stream) {
        c.writer.stream->close();
        c.writer.stream.reset();
    }
}

}  // namespace zel
