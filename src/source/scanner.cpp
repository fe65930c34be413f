#include "source/scanner.h"

#include <cstring>

#include "core/compilation.h"
#include "format/format.h"

namespace zel {

namespace {

bool letter_or_digit(unsigned char ch) {
    return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9');
}

bool digit(unsigned char ch) { return ch >= '0' && ch <= '9'; }

unsigned char upper(unsigned char ch) {
    return (ch >= 'a' && ch <= 'z') ? static_cast<unsigned char>(ch - 'a' + 'A') : ch;
}

bool at_end(const Scanner& s) { return s.scanptr >= s.scanend; }

// Passes blanks; what follows is where the next token begins.
void skip_blanks(Scanner& s) {
    while (!at_end(s) && blank(static_cast<unsigned char>(*s.scanptr)))
        ++s.scanptr;
    s.tokbegin = s.scanptr;
}

}  // namespace

int blank(int ch) {
    ch &= 0xFF;
    return ch == ' ' || ch == '\t';
}

void scanfrom(Compilation& c, const char* begin, const char* end) {
    c.scanner.scanptr = begin;
    c.scanner.scanend = end;
    c.scanner.tokbegin = begin;
}

void scanline(Compilation& c, std::size_t offset) {
    const char* line = c.reader.linebuf;
    const std::size_t len = c.reader.linelen;
    scanfrom(c, line + (offset < len ? offset : len), line + len);
}

int lineend(Compilation& c) {
    Scanner& s = c.scanner;
    skip_blanks(s);
    return at_end(s) || *s.scanptr == ';';
}

int readword(Compilation& c, int width) {
    Scanner& s = c.scanner;
    std::memset(s.wordbuf, ' ', static_cast<std::size_t>(width));
    s.wordbuf[width] = '\0';
    s.wordwidth = width;
    skip_blanks(s);
    s.wordbegin = s.tokbegin;
    if (at_end(s))
        return 1;
    for (int i = 0; i < width; ++i) {
        if (at_end(s))
            break;
        const unsigned char ch = upper(static_cast<unsigned char>(*s.scanptr));
        if (blank(ch))
            break;
        if (!letter_or_digit(ch) && static_cast<int>(ch) != c.driver.nullchr)
            return 1;
        s.wordbuf[i] = static_cast<char>(ch);
        ++s.scanptr;
    }
    while (!at_end(s) && !blank(static_cast<unsigned char>(*s.scanptr)))
        ++s.scanptr;
    return 0;
}

int readnum(Compilation& c) {
    Scanner& s = c.scanner;
    s.numval = 0;
    skip_blanks(s);
    if (at_end(s))
        return 1;
    for (;;) {
        if (at_end(s) || blank(static_cast<unsigned char>(*s.scanptr)))
            return 0;
        const unsigned char ch = static_cast<unsigned char>(*s.scanptr);
        if (!digit(ch))
            return 1;
        s.numval = s.numval * 10 + (ch - '0');
        ++s.scanptr;
        if (s.numval > 255)
            return 1;
    }
}

int readloc(Compilation& c) {
    Scanner& s = c.scanner;
    const char* start = s.scanptr;
    if (readnum(c) == 0)
        return 0;
    s.scanptr = start;
    if (readword(c, 7) != 0)
        return 1;
    if (static_cast<unsigned char>(s.wordbuf[0]) == c.driver.nullchr && s.wordbuf[1] == ' ') {
        s.numval = loc_notcreated;
        return 0;
    }
    static constexpr struct {
        const char* word;
        int code;
    } keywords[] = {{"HERE   ", loc_here}, {"WORN   ", loc_worn}, {"CARRIED", loc_carried}};
    for (const auto& k : keywords) {
        if (std::memcmp(s.wordbuf, k.word, 7) == 0) {
            s.numval = k.code;
            return 0;
        }
    }
    return 1;
}

int lookup(Compilation& c) {
    Scanner& s = c.scanner;
    const unsigned char first = static_cast<unsigned char>(s.wordbuf[0]);
    if (static_cast<int>(first) == c.driver.nullchr) {
        s.wordtype = 255;
        return 255;
    }
    const std::uint32_t count = c.vocab.nwords;
    if (count == 0)
        return 0;
    // The table is sorted on its bytes, so the entry that the first-character
    // skip and the compare from there would find, the first equal one in
    // table order, is the first entry whose five word bytes are not below the
    // word: found by halving instead of walking.
    const unsigned char* table = c.work();
    std::uint32_t low = 0, high = count;
    while (low < high) {
        const std::uint32_t mid = low + (high - low) / 2;
        if (std::memcmp(table + mid * entry_size, s.wordbuf, 5) < 0)
            low = mid + 1;
        else
            high = mid;
    }
    if (low < count) {
        const unsigned char* e = table + low * entry_size;
        if (std::memcmp(s.wordbuf, e, 5) == 0) {
            s.wordtype = e[6];
            return e[5];
        }
    }
    return 0;
}

bool wordnull(const Compilation& c) {
    for (int i = 0; i < c.scanner.wordwidth; ++i)
        if (static_cast<unsigned char>(c.scanner.wordbuf[i]) == c.driver.nullchr)
            return true;
    return false;
}

bool itemline(Compilation& c) {
    const Reader& r = c.reader;
    if (r.linelen == 0 || r.linebuf[0] != '/')
        return false;
    scanline(c, 1);
    return readnum(c) == 0 && c.scanner.numval == static_cast<std::int32_t>(r.nitems);
}

}  // namespace zel
