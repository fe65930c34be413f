#include "vocabulary/vocabulary.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/compilation.h"
#include "database/writer.h"
#include "diagnostics/diagnostics.h"
#include "format/format.h"
#include "source/reader.h"
#include "source/scanner.h"
#include "source/spans.h"

namespace zel {

namespace {

bool letter_or_digit(unsigned char ch) {
    return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9');
}

// Five word bytes as one number, so that two words compare in one step.
std::uint64_t five_bytes(const char* word) {
    std::uint64_t key = 0;
    for (int i = 0; i < 5; ++i)
        key = key << 8 | static_cast<unsigned char>(word[i]);
    return key;
}

int word_type_of(const char* word) {
    static const std::array<std::uint64_t, 7> keywords = [] {
        std::array<std::uint64_t, 7> keys{};
        for (int t = 0; t < 7; ++t)
            keys[static_cast<std::size_t>(t)] = five_bytes(word_type_keywords[t]);
        return keys;
    }();
    const std::uint64_t key = five_bytes(word);
    for (int t = 0; t < 7; ++t)
        if (key == keywords[static_cast<std::size_t>(t)])
            return t;
    return -1;
}

void note_word_defined(Compilation& c, const Span& word, int number, int type) {
    WordDef w;
    w.word = upper_text(c, word);
    w.number = number;
    w.type = type;
    w.at = word;
    w.line = line_span(c);
    c.observer->word_defined(w);
}

// One vocabulary line: word, number, type. Returns without storing anything
// after the first fault, which it reports.
void vocab_line(Compilation& c) {
    Vocabulary& v = c.vocab;
    Scanner& s = c.scanner;
    if (v.nwords == v.capacity) {
        pline1(c, 4);
        v.nwords = 0;
    }
    unsigned char* entry = c.work() + v.nwords * entry_size;
    scanline(c, 0);
    if (readword(c, 5) != 0 || wordnull(c)) {
        pline1(c, 1);
        return;
    }
    std::memcpy(entry, s.wordbuf, 5);
    const Span word_at = c.observer ? word_span(c) : Span{};
    if (readnum(c) != 0 || s.numval < 1 || s.numval > 254) {
        pline1(c, 2);
        return;
    }
    if (readword(c, 5) != 0) {
        pline1(c, 42);
        return;
    }
    if (lineend(c) == 0) {
        pline1(c, 3);
        return;
    }
    entry[5] = static_cast<unsigned char>(s.numval);
    const int type = word_type_of(s.wordbuf);
    if (type < 0) {
        pline1(c, 42);
        return;
    }
    entry[6] = static_cast<unsigned char>(type);
    ++v.nwords;
    if (c.observer)
        note_word_defined(c, word_at, entry[5], type);
}

// Sorts the table on the seven bytes of its entries, as qsort with
// compare_vocab_entries does: entries that compare equal are the same bytes,
// so their order cannot show. A radix sort of each entry's bytes taken as
// one number, the first byte the most significant: one stable pass for each
// byte, from the last to the first, with no comparison to mispredict; the
// counts of every byte are taken in a single pass first.
void sort_entries(unsigned char* table, std::uint32_t count) {
    std::vector<std::uint64_t> keys(count), spare(count);
    std::vector<std::array<std::uint32_t, 256>> counts(entry_size);
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint64_t key = 0;
        for (int byte = 0; byte < entry_size; ++byte) {
            const unsigned char value = table[i * entry_size + byte];
            key = key << 8 | value;
            ++counts[static_cast<std::size_t>(byte)][value];
        }
        keys[i] = key;
    }
    for (int byte = entry_size - 1; byte >= 0; --byte) {
        const int shift = 8 * (entry_size - 1 - byte);
        std::array<std::uint32_t, 256>& next = counts[static_cast<std::size_t>(byte)];
        if (next[(keys[0] >> shift) & 0xFF] == count)
            continue;  // every entry holds the same byte here
        std::uint32_t at = 0;  // the counts become where the entries with each byte value go
        for (std::uint32_t& n : next) {
            const std::uint32_t entries = n;
            n = at;
            at += entries;
        }
        for (const std::uint64_t key : keys)
            spare[next[(key >> shift) & 0xFF]++] = key;
        keys.swap(spare);
    }
    for (std::uint32_t i = 0; i < count; ++i)
        for (int byte = 0; byte < entry_size; ++byte)
            table[i * entry_size + byte] = static_cast<unsigned char>(keys[i] >> (8 * (entry_size - 1 - byte)));
}

}  // namespace

int vocab_operand(Compilation& c, const char* kind, WordAccepts accepts) {
    if (readword(c, 5) != 0) {
        pline1(c, 1);
        return -1;
    }
    const int number = lookup(c);
    if (number == 0) {
        pline1(c, 5);
        return -1;
    }
    if (number != 255 && !accepts(c.scanner.wordtype, number)) {
        pline2(c, 44, kind);
        return -1;
    }
    return number;
}

void control_line(Compilation& c) {
    Reader& r = c.reader;
    if (r.hdrflag) {
        pline1(c, 30);
        return;
    }
    const unsigned char first = static_cast<unsigned char>(r.linebuf[0]);
    if (r.linelen == 0 || letter_or_digit(first) || blank(first)) {
        pline1(c, 27);
    } else {
        c.driver.nullchr = first;
        say(c, "Null word character is %c\n", first);
        if (c.observer)
            c.observer->null_word_declared(static_cast<char>(first), span_of(c, r.linebuf, r.linebuf + 1));
    }
    rdline(c);
}

int compare_vocab_entries(const void* a, const void* b) {
    return std::memcmp(a, b, entry_size);
}

void write_vocab_entry(Compilation& c, std::uint32_t index) {
    const unsigned char* e = c.work() + index * entry_size;
    unsigned char record[entry_size];
    for (int i = 0; i < 5; ++i)
        record[i] = static_cast<unsigned char>(255 - e[i]);
    record[5] = e[5];
    record[6] = e[6];
    put_stream(c, record, entry_size);
    c.writer.dbpos += entry_size;
}

std::uint32_t compile_vocab(Compilation& c) {
    const std::uint32_t position = c.writer.dbpos;
    findsec(c, "/VOC", 0);
    rdline(c);
    while (!c.reader.hdrflag) {
        vocab_line(c);
        rdline(c);
    }
    Vocabulary& v = c.vocab;
    unsigned char* table = c.work();
    say(c, "%u words processed\n", v.nwords);
    if (v.nwords >= 2) {
        sayraw(c, "VOCAB sort starts\n");
        sort_entries(table, v.nwords);
        write_vocab_entry(c, 0);
        for (std::uint32_t i = 1; i < v.nwords; ++i) {
            const unsigned char* e = table + i * entry_size;
            if (std::memcmp(e - entry_size, e, 5) == 0)
                perr2(c, 36, std::string(reinterpret_cast<const char*>(e), 5));
            write_vocab_entry(c, i);
        }
        sayraw(c, "VOCAB sort ends\n");
    } else if (v.nwords == 1) {
        write_vocab_entry(c, 0);
    }
    index_vocab(c);
    wrb(c, 0);
    return position;
}

}  // namespace zel
