#include "source/scanner.h"

#include <array>
#include <bit>
#include <cstring>

#include "core/compilation.h"
#include "format/format.h"

namespace zel {

namespace {

constexpr bool letter_or_digit(unsigned char ch) {
    return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9');
}

bool digit(unsigned char ch) { return ch >= '0' && ch <= '9'; }

constexpr unsigned char upper(unsigned char ch) {
    return (ch >= 'a' && ch <= 'z') ? static_cast<unsigned char>(ch - 'a' + 'A') : ch;
}

// Eight bytes as one number, the first in the lowest byte whatever the
// machine's byte order, and back.
std::uint64_t load_bytes(const char* p) {
    std::uint64_t x;
    std::memcpy(&x, p, sizeof x);
    if constexpr (std::endian::native == std::endian::big)
        x = __builtin_bswap64(x);
    return x;
}

void store_bytes(char* p, std::uint64_t x) {
    if constexpr (std::endian::native == std::endian::big)
        x = __builtin_bswap64(x);
    std::memcpy(p, &x, sizeof x);
}

// A slot of the vocabulary index: the word's five bytes, then the entry's
// number and type, and a bit that tells a taken slot from an empty one. The
// look-up finds all it returns in the slot, without going to the table.
constexpr std::uint64_t word_bits = (std::uint64_t{1} << 40) - 1;
constexpr std::uint64_t taken_bit = std::uint64_t{1} << 56;

// The five word bytes of a word or an entry as one number. Eight bytes are
// read: the word buffer holds nine, and the work area has room after the
// vocabulary table for the three after its last entry.
std::uint64_t word_key(const char* p) { return load_bytes(p) & word_bits; }

// Where the index of mask + 1 slots (a power of two) holds a word first.
std::size_t slot_of(std::uint64_t word, std::size_t mask) {
    return static_cast<std::size_t>((word * 0x9E3779B97F4A7C15u) >> 40) & mask;
}

// Each byte as a word holds it: a letter in upper case, a digit as it is;
// 0 for every other byte.
constexpr std::array<unsigned char, 256> make_word_chars() {
    std::array<unsigned char, 256> chars{};
    for (int ch = 0; ch < 256; ++ch)
        if (letter_or_digit(static_cast<unsigned char>(ch)))
            chars[static_cast<std::size_t>(ch)] = upper(static_cast<unsigned char>(ch));
    return chars;
}

constexpr std::array<unsigned char, 256> word_chars = make_word_chars();

bool at_end(const Scanner& s) { return s.scanptr >= s.scanend; }

// The scanning functions work on a local copy of the scan position: a
// character read through a char pointer could alias the position itself, so
// the compiler would store and load it again for every character.
const char* after_blanks(const char* p, const char* end) {
    while (p < end && blank(static_cast<unsigned char>(*p)))
        ++p;
    return p;
}

// Passes blanks; what follows is where the next token begins.
void skip_blanks(Scanner& s) { s.tokbegin = s.scanptr = after_blanks(s.scanptr, s.scanend); }

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

// Fills the word buffer with the `length` characters in `word` (the first in
// its lowest byte), blanks after them, and a NUL at the width when it is
// below 8. The eight bytes are stored at once, so that lookup can read them
// back at once without waiting for the store to reach the cache.
void store_word(Scanner& s, std::uint64_t word, int length, int width) {
    constexpr std::uint64_t blanks = 0x2020202020202020u;
    if (length < 8)
        word |= blanks << (8 * length);
    if (width < 8)
        word &= ~(std::uint64_t{0xFF} << (8 * width));
    store_bytes(s.wordbuf, word);
}

int readword(Compilation& c, int width) {
    Scanner& s = c.scanner;
    s.wordwidth = width;
    const char* p = after_blanks(s.scanptr, s.scanend);
    const char* const end = s.scanend;
    s.tokbegin = s.wordbegin = s.scanptr = p;
    std::uint64_t word = 0;
    int length = 0;
    if (p >= end) {
        store_word(s, word, length, width);
        return 1;
    }
    const char* const stop = end - p > width ? p + width : end;
    for (; p < stop; ++length, ++p) {
        const unsigned char byte = static_cast<unsigned char>(*p);
        unsigned char ch = word_chars[byte];
        if (ch == 0) {
            if (blank(byte))
                break;
            if (static_cast<int>(byte) != c.driver.nullchr) {
                store_word(s, word, length, width);
                s.scanptr = p;
                return 1;
            }
            ch = byte;
        }
        word |= std::uint64_t{ch} << (8 * length);
    }
    store_word(s, word, length, width);
    while (p < end && !blank(static_cast<unsigned char>(*p)))
        ++p;
    s.scanptr = p;
    return 0;
}

int readnum(Compilation& c) {
    Scanner& s = c.scanner;
    const char* p = after_blanks(s.scanptr, s.scanend);
    const char* const end = s.scanend;
    s.tokbegin = p;
    const char* const first = p;
    std::int32_t value = 0;
    while (p < end && digit(static_cast<unsigned char>(*p)) && value <= 255) {
        value = value * 10 + (*p - '0');
        ++p;
    }
    s.scanptr = p;
    s.numval = value;
    // A number ends at a blank or at the end of the text, and is at most 255.
    if (value > 255)
        return 1;
    if (p == end)
        return p == first;
    return !blank(static_cast<unsigned char>(*p));
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
    Vocabulary& v = c.vocab;
    if (v.nwords == 0)
        return 0;
    if (v.indexed != v.nwords)
        index_vocab(c);
    // The index holds the first entry in table order with the word's bytes,
    // the one a search of the table from its start finds. readword stored
    // the word's eight bytes at once: read back at once, they need no wait
    // for the store to reach the cache.
    const std::uint64_t word = word_key(s.wordbuf);
    const std::size_t mask = v.slots.size() - 1;
    for (std::size_t at = slot_of(word, mask);; at = (at + 1) & mask) {
        const std::uint64_t slot = v.slots[at];
        if (slot == 0)
            return 0;
        if ((slot & word_bits) == word) {
            s.wordtype = static_cast<std::int32_t>((slot >> 48) & 0xFF);
            return static_cast<int>((slot >> 40) & 0xFF);
        }
    }
}

void index_vocab(Compilation& c) {
    Vocabulary& v = c.vocab;
    std::size_t size = 16;
    while (size * 2 < static_cast<std::size_t>(v.nwords) * 3)
        size *= 2;
    v.slots.assign(size, 0);
    const unsigned char* table = c.work();
    for (std::uint32_t i = 0; i < v.nwords; ++i) {
        const unsigned char* e = table + i * entry_size;
        const std::uint64_t word = word_key(reinterpret_cast<const char*>(e));
        std::size_t at = slot_of(word, size - 1);
        while (v.slots[at] != 0 && (v.slots[at] & word_bits) != word)
            at = (at + 1) & (size - 1);
        if (v.slots[at] == 0)  // a later entry with the same word is never found
            v.slots[at] = word | std::uint64_t{e[5]} << 40 | std::uint64_t{e[6]} << 48 | taken_bit;
    }
    v.indexed = v.nwords;
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
