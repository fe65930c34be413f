#include "source/reader.h"

#include <algorithm>
#include <bit>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/compilation.h"
#include "diagnostics/diagnostics.h"
#include "format/format.h"
#include "source/scanner.h"

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

// Offset of the first line feed among the n bytes at p, or n when there is
// none. Most lines are short: sixteen bytes at a time inline are quicker
// than a call to memchr, which first works out how to read the buffer.
std::size_t find_line_feed(const char* p, std::size_t n) {
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n');
    for (; i + 16 <= n; i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        if (const int bits = _mm_movemask_epi8(_mm_cmpeq_epi8(bytes, lf)))
            return i + static_cast<std::size_t>(std::countr_zero(static_cast<unsigned>(bits)));
    }
#endif
    const void* at = std::memchr(p + i, '\n', n - i);
    return at ? static_cast<std::size_t>(static_cast<const char*>(at) - p) : n;
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
            std::memcpy(r.linebuf, p, n);
            r.linebuf[n] = '\0';
            r.linelen = n;
            r.blkpos += n + 1;
            return true;
        }
    }
    return read_piece_across(c);
}

// Passes a comment line that lies whole in the block before the next
// special byte, without copying it: nothing ever looks at a comment line.
// A line of 258 characters or more is left to read_piece, which cuts it.
bool skip_comment_in_block(Reader& r) {
    if (r.blkpos >= r.special || r.block[r.blkpos] != ';')
        return false;
    const char* p = r.block.get() + r.blkpos;
    const std::size_t n = std::min(r.special - r.blkpos, line_room);
    const std::size_t lf = find_line_feed(p, n);
    if (lf == n)
        return false;
    r.blkpos += lf + 1;
    return true;
}

#if defined(__SSE2__)
// The number of bits set, by adding neighbouring counts: std::popcount
// would call a library function on processors of the baseline instruction
// set, which have no instruction for it.
int count_bits(std::uint64_t x) {
    x -= (x >> 1) & 0x5555555555555555u;
    x = (x & 0x3333333333333333u) + ((x >> 2) & 0x3333333333333333u);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
    return static_cast<int>((x * 0x0101010101010101u) >> 56);
}

// The line feeds and the ';' of the 64 bytes at p, as bits, lowest first.
struct WindowBits {
    std::uint64_t feeds = 0;
    std::uint64_t semicolons = 0;
};

WindowBits window_bits(const char* p) {
    const __m128i feed = _mm_set1_epi8('\n');
    const __m128i semicolon = _mm_set1_epi8(';');
    WindowBits bits;
    for (int k = 0; k < 4; ++k) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
        const auto mask = [&](__m128i wanted) {
            return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, wanted))))
                   << (16 * k);
        };
        bits.feeds |= mask(feed);
        bits.semicolons |= mask(semicolon);
    }
    return bits;
}
#endif

// Passes a run of comment lines from blkpos, 64 bytes of the block at a
// time, and returns how many it passed: the lines that skip_comment_in_block
// would pass one by one, each a ';' line that lies whole in the block before
// the next special byte and is shorter than a line piece. Finding every line
// feed and ';' of 64 bytes at once leaves one unforeseeable branch per run
// of comments instead of one per line. What is left of a run, near the end
// of what the block holds, is left to skip_comment_in_block.
[[gnu::noinline]] std::size_t pass_comment_run(Reader& r) {
    std::size_t lines = 0;
#if defined(__SSE2__)
    const char* block = r.block.get();
    if (r.blkpos >= r.special || block[r.blkpos] != ';')
        return 0;
    std::size_t start = r.blkpos;             // of the comment line not yet passed
    std::size_t window = r.blkpos & ~std::size_t{63};
    std::uint64_t fresh = ~std::uint64_t{0} << (r.blkpos - window);  // bits not yet looked at
    bool line_at_window = false;              // a line starts at the window's first byte
    for (; window + 64 <= r.special; window += 64, fresh = ~std::uint64_t{0}) {
        const WindowBits bits = window_bits(block + window);
        const std::uint64_t feeds = bits.feeds & fresh;
        const std::uint64_t others = ~bits.semicolons;
        if (line_at_window && (others & 1))
            break;  // the line at the window's start is not a comment
        line_at_window = (feeds >> 63) != 0;
        if (feeds == 0)
            continue;
        if (window + static_cast<std::size_t>(std::countr_zero(feeds)) - start >= line_room)
            break;  // the line from start is cut into pieces
        // Line feeds followed, within the window, by a line that is no comment.
        if (const std::uint64_t ends = feeds & (others >> 1)) {
            const int last = std::countr_zero(ends);
            lines += static_cast<std::size_t>(count_bits(feeds & (~std::uint64_t{0} >> (63 - last))));
            start = window + static_cast<std::size_t>(last) + 1;
            break;
        }
        lines += static_cast<std::size_t>(count_bits(feeds));
        start = window + 64 - static_cast<std::size_t>(std::countl_zero(feeds));
    }
    r.blkpos = start;
#else
    (void)r;
#endif
    return lines;
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
    if (!r.stream)
        perr2(c, 37, r.srcname);
    // A link back to a file already read would deliver its sections again,
    // or read on forever.
    if (std::find(r.opened.begin(), r.opened.end(), id) != r.opened.end())
        pline2(c, 28, r.srcname.c_str());
    r.opened.push_back(id);
    r.srcfound = id.found.empty() ? r.srcname : id.found;
    r.blkpos = r.blklen = r.special = 0;
    r.fileend = false;
    r.lineno = 0;
    say(c, "Processing %s\n", r.srcname.c_str());
}

void srcclose(Compilation& c) { c.reader.stream.reset(); }

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
        if (r.blkpos < r.special && r.block[r.blkpos] == ';') {
            r.lineno += static_cast<unsigned>(pass_comment_run(r));
            while (skip_comment_in_block(r))
                ++r.lineno;  // comment lines come in runs: pass them here
        }
        if (!read_piece(c)) {
            r.srceof = 1;
            r.hdrflag = 1;
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
            return;
        }
    }
    pline3(c, 46, number);
    stop(c);
}

}  // namespace zel
