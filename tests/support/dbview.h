// Reading a compiled database in tests: header fields, offset tables and
// the stored texts.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace zel::testing {

// Header field offsets.
enum Field : std::size_t {
    f_nullchr = 2, f_objects = 3, f_locations = 4, f_messages = 5, f_sysmess = 6, f_tables = 7,
    f_tokens = 8, f_protable = 10, f_otx = 12, f_ltx = 14, f_mtx = 16, f_stx = 18, f_contable = 20,
    f_vocab = 22, f_objloc = 24, f_objword = 26, f_objattr = 28, f_length = 30,
};

inline unsigned byte_at(const std::string& db, std::size_t at) { return static_cast<unsigned char>(db.at(at)); }
inline unsigned word_at(const std::string& db, std::size_t at) { return byte_at(db, at) | byte_at(db, at + 1) << 8; }

// Entry n of the offset table that header field f points to.
inline unsigned table_entry(const std::string& db, Field f, std::size_t n) { return word_at(db, word_at(db, f) + 2 * n); }

// Bytes from a position up to and including the first byte equal to end.
inline std::vector<unsigned> bytes_until(const std::string& db, std::size_t at, unsigned end) {
    std::vector<unsigned> out;
    do
        out.push_back(byte_at(db, at++));
    while (out.back() != end);
    return out;
}

// Text n of the text section whose offset table field f points to, as
// stored (255 minus each byte, terminator 245 included).
inline std::vector<unsigned> stored_text(const std::string& db, Field f, std::size_t n) {
    return bytes_until(db, table_entry(db, f, n), 245);
}

// The same text decoded, without its terminator.
inline std::string text_of(const std::string& db, Field f, std::size_t n) {
    std::string text;
    for (unsigned b : stored_text(db, f, n))
        text.push_back(static_cast<char>(255 - b));
    text.pop_back();
    return text;
}

// n vocabulary lines of distinct five-letter verbs, to fill the vocabulary.
inline std::string filler_words(std::size_t n) {
    std::string lines;
    for (std::size_t i = 0; i < n; ++i) {
        std::string w = "Q";
        for (std::size_t k = i, d = 0; d < 4; ++d, k /= 26)
            w += static_cast<char>('A' + k % 26);
        lines += w + " 100 VERB\n";
    }
    return lines;
}

inline std::size_t count_of(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

}  // namespace zel::testing
