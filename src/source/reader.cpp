#include "source/reader.h"

#include <algorithm>
#include <cstring>

#include "core/compilation.h"
#include "diagnostics/diagnostics.h"
#include "format/format.h"
#include "source/line_scan.h"
#include "source/scanner.h"
#include "source/spans.h"

namespace zel {

namespace {

constexpr char end_of_file_byte = 26;

bool ascii_letter(unsigned char ch) { return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z'); }

unsigned char upper(unsigned char ch) {
    return (ch >= 'a' && ch <= 'z') ? static_cast<unsigned char>(ch - 'a' + 'A') : ch;
}

// Position of the next carriage return or end-of-file byte in the block at
// or after from, or the block's length when there is none. Both are rare, so
// a line is normally split by one search for its line feed alone.
std::size_t next_special(const Reader& r, std::size_t from) {
    const char* p = r.block.get() + from;
    std::size_t n = r.blklen - from;
    if (const void* sub = std::memchr(p, end_of_file_byte, n))
        n = static_cast<std::size_t>(static_cast<const char*>(sub) - p);
    if (const void* cr = std::memchr(p, '\r', n))
        n = static_cast<std::size_t>(static_cast<const char*>(cr) - p);
    return from + n;
}

// What the observer is told while lines are read: the files, where a line
// longer than the line buffer is split, the sections found.

[[gnu::noinline]] void note_file_opened(Compilation& c) {
    Reader& r = c.reader;
    const int index = current_file(c);
    SourceFile f;
    f.index = index;
    f.name = r.srcname;
    f.found = r.srcfound;
    if (index > 0) {
        // The link line of the file before is still the current line.
        f.link = Span{index - 1, r.lineno, 1, static_cast<unsigned>(r.linelen) + 1};
        c.observer->file_closed(Span{index - 1, r.lineno, 0, 0});
    }
    r.cut = false;
    c.observer->file_opened(f);
}

// The characters other than blanks at the start of a piece (its end when
// from_end), at most 32: the word a split may fall inside.
std::string word_at_edge(const Reader& r, bool from_end) {
    constexpr std::size_t most = 32;
    std::size_t n = 0;
    while (n < r.linelen && n < most) {
        const char ch = r.linebuf[from_end ? r.linelen - 1 - n : n];
        if (ch == ' ' || ch == '\t')
            break;
        ++n;
    }
    return std::string(r.linebuf + (from_end ? r.linelen - n : 0), n);
}

// A piece has been read; `line` when it is a line, `cut` when it filled the
// line buffer before the line's end, so that the next piece continues it.
[[gnu::noinline]] void note_piece(Compilation& c, bool cut, bool line) {
    Reader& r = c.reader;
    if (r.cut && line)
        c.observer->line_split(LineSplit{line_span(c), r.cut_end, word_at_edge(r, false)});
    r.cut = cut;
    if (cut)
        r.cut_end = word_at_edge(r, true);
}

[[gnu::noinline]] void note_section(Compilation& c, const char* name, int number) {
    const Reader& r = c.reader;
    SectionDef s;
    s.header = name;
    s.number = number;
    s.at = line_span(c);
    std::size_t word_end = 1;
    while (word_end < r.linelen && !blank(static_cast<unsigned char>(r.linebuf[word_end])))
        ++word_end;
    s.name = span_of(c, r.linebuf, r.linebuf + word_end);
    if (s.header == "/PRO") {
        s.number_at = token_span(c);                            // findsec has just read the number
        s.name.end = std::min(s.name.end, s.number_at.begin);  // "/PRO5"
    }
    c.observer->section_found(s);
}

// Reads the next block of the open file; false at its end. A failing read
// would otherwise look like the end of the source, so it is fatal.
bool refill(Compilation& c) {
    Reader& r = c.reader;
    if (r.fileend || !r.stream)
        return false;
    const long n = r.stream->read(r.block.get(), Reader::block_size);
    if (n < 0)
        perr2(c, 55, r.srcname);
    r.blkpos = 0;
    r.blklen = n > 0 ? static_cast<std::size_t>(n) : 0;
    r.special = next_special(r, 0);
    if (r.blklen == 0)
        r.fileend = true;
    return r.blklen != 0;
}

// Reads one line piece into linebuf, as a text-mode stream delivers it: a
// carriage return directly before a line feed is dropped and the byte 26
// ends the file. Returns false when the file ended before any character.
[[gnu::noinline]] bool read_piece_across(Compilation& c) {
    Reader& r = c.reader;
    std::size_t len = 0;
    bool ended = false;  // met the end of the file
    bool newline = false;
    while (len < line_room && !newline) {
        if (r.blkpos == r.blklen && !refill(c)) {
            ended = true;
            break;
        }
        const char* p = r.block.get() + r.blkpos;
        const std::size_t avail = std::min(r.blklen - r.blkpos, line_room - len);
        const std::size_t plain = std::min(avail, r.special - r.blkpos);
        const std::size_t n = find_line_feed(p, plain);
        std::memcpy(r.linebuf + len, p, n);
        len += n;
        r.blkpos += n;
        if (n == avail)
            continue;
        const char stopper = p[n];
        ++r.blkpos;
        if (stopper == '\n') {
            newline = true;
            continue;
        }
        r.special = next_special(r, r.blkpos);
        if (stopper == end_of_file_byte) {
            r.fileend = true;  // nothing after it is ever read, in this block or later
            r.blklen = r.blkpos;
            r.special = r.blklen;
            ended = true;
            break;
        }
        // A carriage return is dropped only before a line feed.
        if (r.blkpos == r.blklen)
            refill(c);
        if (r.blkpos < r.blklen && r.block[r.blkpos] == '\n') {
            ++r.blkpos;
            newline = true;
        } else {
            r.linebuf[len++] = '\r';
        }
    }
    r.linebuf[len] = '\0';
    r.linelen = len;
    if (c.observer) [[unlikely]]
        note_piece(c, len == line_room && !newline && !ended, !(ended && len == 0));
    return !(ended && len == 0);
}

// The same, made quick for most lines, which lie whole in the block before
// the next special byte and are shorter than a line piece; the rest are left
// to read_piece_across, out of line.
bool read_piece(Compilation& c) {
    Reader& r = c.reader;
    if (r.blkpos < r.special) {
        const char* p = r.block.get() + r.blkpos;
        const std::size_t room = std::min(r.special - r.blkpos, line_room);
        const std::size_t n = find_line_feed(p, room);
        if (n < room) {
            // Short lines are copied in one or two fixed moves; what passes
            // the line's end in linebuf is never looked at.
            if (n < 16 && room >= 16)
                std::memcpy(r.linebuf, p, 16);
            else if (n < 32 && room >= 32)
                std::memcpy(r.linebuf, p, 32);
            else
                std::memcpy(r.linebuf, p, n);
            r.linebuf[n] = '\0';
            r.linelen = n;
            r.blkpos += n + 1;
            if (c.observer) [[unlikely]]
                note_piece(c, false, true);
            return true;
        }
    }
    return read_piece_across(c);
}

// Passes a comment line that lies whole in the block before the next
// special byte, without copying it: nothing ever looks at a comment line.
// A line of 258 characters or more is left to read_piece, which cuts it, and
// so is the piece that continues a line cut (which only an observer notes).
bool skip_comment_in_block(Reader& r) {
    if (r.blkpos >= r.special || r.block[r.blkpos] != ';' || r.cut)
        return false;
    const char* p = r.block.get() + r.blkpos;
    const std::size_t n = std::min(r.special - r.blkpos, line_room);
    const std::size_t lf = find_line_feed(p, n);
    if (lf == n)
        return false;
    r.blkpos += lf + 1;
    return true;
}

bool is_header_line(const Reader& r) {
    return r.linelen >= 2 && r.linebuf[0] == '/' && ascii_letter(static_cast<unsigned char>(r.linebuf[1]));
}

[[gnu::noinline]] void follow_link(Compilation& c) {
    Reader& r = c.reader;
    r.stream.reset();
    sayraw(c, std::string_view(r.linebuf, r.linelen));
    sayraw(c, "\n");
    scanline(c, 4);
    if (readword(c, 8) != 0)
        pline1(c, 24);
    std::string name(c.scanner.wordbuf, 8);
    name.erase(name.find_last_not_of(' ') + 1);
    srcopen(c, name);
    r.linebuf[0] = ';';
}

}  // namespace

void srcopen(Compilation& c, const std::string& name) {
    Reader& r = c.reader;
    r.srcname = name + ".SCE";
    FileId id;
    r.stream = c.files.open_source(r.srcname, id);
    // A file that is there but cannot be read is no missing file: the
    // author must not go looking for it.
    if (!r.stream)
        perr2(c, id.unreadable ? 55 : 37, r.srcname);
    // A link back to a file already read would deliver its sections again,
    // or read on forever.
    if (std::find(r.opened.begin(), r.opened.end(), id) != r.opened.end())
        pline2(c, 28, r.srcname.c_str());
    r.opened.push_back(id);
    r.srcfound = id.found.empty() ? r.srcname : id.found;
    if (c.observer)
        note_file_opened(c);
    r.blkpos = r.blklen = r.special = 0;
    r.fileend = false;
    r.lineno = 0;
    say(c, "Processing %s\n", r.srcname.c_str());
}

void srcclose(Compilation& c) { c.reader.stream.reset(); }

void note_open_file_end(Compilation& c) {
    const Reader& r = c.reader;
    if (c.observer && !r.srceof && !r.opened.empty())
        c.observer->file_closed(Span{current_file(c), r.lineno, 0, 0});
}

void rdline(Compilation& c) {
    Reader& r = c.reader;
    for (;;) {
        if (r.srceof) {
            r.hdrflag = 1;
            return;
        }
        if (r.hdrflag)
            return;
        ++r.lineno;
        scanfrom(c, nullptr, nullptr);  // nothing of the new line is scanned yet
        if (r.blkpos < r.special && r.block[r.blkpos] == ';' && !r.cut) {
            r.lineno += static_cast<unsigned>(pass_comment_run(r));
            while (skip_comment_in_block(r))
                ++r.lineno;  // comment lines come in runs: pass them here
        }
        if (!read_piece(c)) {
            r.srceof = 1;
            r.hdrflag = 1;
            if (c.observer) [[unlikely]]
                c.observer->file_closed(Span{current_file(c), r.lineno - 1, 0, 0});
        }
        if (is_header_line(r)) {
            for (std::size_t i = 1; i < 4 && i < r.linelen; ++i)
                r.linebuf[i] = static_cast<char>(upper(static_cast<unsigned char>(r.linebuf[i])));
            if (r.linelen >= 4 && std::memcmp(r.linebuf, "/LNK", 4) == 0)
                follow_link(c);
            else
                r.hdrflag = 1;
        }
        if (r.linelen == 0 || r.linebuf[0] != ';')
            return;
    }
}

void findsec(Compilation& c, const char* name, int number) {
    Reader& r = c.reader;
    r.nitems = 0;
    if (std::strcmp(name, "/PRO") != 0) {
        if (!r.hdrflag) {
            pline2(c, 41, name);
            say(c, "Trying to find %s\n", name);
            while (!r.hdrflag)
                rdline(c);
        }
        r.hdrflag = 0;
        if (r.linelen >= 4 && std::memcmp(r.linebuf, name, 4) == 0) {
            say(c, "Processing %s\n", name);
            if (c.observer)
                note_section(c, name, 0);
            return;
        }
        pline2(c, 41, name);
        stop(c);
    }
    if (!r.hdrflag) {
        pline3(c, 46, number);
        say(c, "Trying to find %s%4d\n", name, number);
        while (!r.hdrflag)
            rdline(c);
    }
    r.hdrflag = 0;
    if (r.linelen > 4) {
        scanline(c, 4);
        if (readnum(c) == 0 && std::memcmp(r.linebuf, "/PRO", 4) == 0 && c.scanner.numval == number) {
            sayraw(c, "Processing /PRO");  // as "Processing %s%4d": one for each of up to 255 tables
            say_number(c, number, 4);
            sayraw(c, "\n");
            if (c.observer)
                note_section(c, name, number);
            return;
        }
    }
    pline3(c, 46, number);
    stop(c);
}

}  // namespace zel
