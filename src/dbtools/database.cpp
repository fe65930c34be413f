// What a database holds, as the tools look at it: the names of its text
// sections, its texts with the tokens expanded, its words by number; and
// reading a database's file.
#include <fstream>

#include "format/format.h"
#include "dbtools/database_reader.h"

namespace zel::tool {

unsigned& section_field(Header& h, Section s) {
    switch (s) {
    case Section::stx: return h.stxpos;
    case Section::mtx: return h.mtxpos;
    case Section::otx: return h.otxpos;
    case Section::ltx: break;
    }
    return h.ltxpos;
}

const char* section_header(Section s) {
    static const char* const headers[section_count] = {"/STX", "/MTX", "/OTX", "/LTX"};
    return headers[static_cast<int>(s)];
}

const char* section_title(Section s) {
    static const char* const titles[section_count] = {"system messages", "messages", "object texts",
                                                      "location texts"};
    return titles[static_cast<int>(s)];
}

std::string Database::expand(const Text& text) const {
    std::string out;
    for (unsigned char b : text.bytes) {
        if (tokens && b >= token_code_base)
            out += (*tokens)[b - token_code_base];
        else
            out.push_back(static_cast<char>(b));
    }
    return out;
}

std::string Database::word_for(unsigned number, bool (*accepts)(unsigned type, unsigned number)) const {
    // Of several synonyms the longest reads best (NORTH rather than N); of
    // words equally long, the first. The longest word of every number and
    // type is found once, so that a look-up does not walk the vocabulary.
    if (longest_words_.empty()) {
        longest_words_.resize(std::size_t{256} * word_type_count);
        for (std::size_t i = 0; i < vocabulary.size(); ++i) {
            const VocabWord& w = vocabulary[i];
            std::string word = w.word;
            word.erase(word.find_last_not_of(' ') + 1);
            LongestWord& longest = longest_words_[w.number * word_type_count + w.type];
            if (word.size() > longest.word.size())
                longest = {word, i};
        }
    }
    const LongestWord* best = nullptr;
    for (unsigned type = 0; type < word_type_count; ++type) {
        const LongestWord& w = longest_words_[number * word_type_count + type];
        if (w.word.empty() || !accepts(type, number))
            continue;
        if (!best || w.word.size() > best->word.size() || (w.word.size() == best->word.size() && w.index < best->index))
            best = &w;
    }
    return best ? best->word : std::string();
}

bool is_movement_word(unsigned type, unsigned number) {
    return type == verb || (type == noun && number < 20);
}

bool read_file(const std::string& path, Bytes& bytes, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    // Anything much larger than a database can be is refused unread.
    constexpr std::size_t limit = largest_database + 1;
    bytes.assign(limit + 1, 0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) {
        error = "cannot read " + path;
        return false;
    }
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (bytes.size() > limit) {
        error = path + " is larger than any database can be (65535 bytes)";
        return false;
    }
    return true;
}

}  // namespace zel::tool
