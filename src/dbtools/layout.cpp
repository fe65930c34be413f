// Where the compiler would place each block of a database, and what lies at
// an offset: for naming the first difference of a round trip.
#include <string>
#include <tuple>

#include "format/format.h"
#include "dbtools/database_reader.h"

namespace zel::tool {

namespace {

std::string quoted(const std::string& word) {
    std::string w = word;
    w.erase(w.find_last_not_of(' ') + 1);
    return "'" + w + "'";
}

// Compares one recorded position with the place the compiler would give it.
std::optional<std::string> misplaced(const std::string& what, unsigned actual, unsigned expected) {
    if (actual == expected)
        return std::nullopt;
    return what + " lies at offset " + std::to_string(actual) + " where the compiler puts it at " +
           std::to_string(expected);
}

}  // namespace

std::optional<std::string> layout_problem(const Database& db) {
    const Header& h = db.header;
    unsigned pos = header_size;
    if (auto m = misplaced("the vocabulary", h.vocabpos, pos))
        return m;
    for (std::size_t i = 1; i < db.vocabulary.size(); ++i) {
        const VocabWord& a = db.vocabulary[i - 1];
        const VocabWord& b = db.vocabulary[i];
        if (a.word == b.word)
            return "the vocabulary holds the word " + quoted(a.word) + " twice";
        if (std::tie(a.word, a.number, a.type) > std::tie(b.word, b.number, b.type))
            return "the vocabulary is not in the compiler's sorted order at " + quoted(b.word);
    }
    pos += static_cast<unsigned>(db.vocabulary.size()) * entry_size + 1;
    if (db.tokens) {
        if (auto m = misplaced("the token table", h.tokenpos, pos))
            return m;
        pos += token_block_size;
    }
    for (Section s : {Section::stx, Section::mtx, Section::otx, Section::ltx}) {
        const auto& texts = db.section(s);
        for (std::size_t n = 0; n < texts.size(); ++n) {
            if (auto m = misplaced("text " + std::to_string(n) + " of the " + section_title(s), texts[n].pos, pos))
                return m;
            pos += static_cast<unsigned>(texts[n].bytes.size()) + 1;
        }
        Header copy = h;
        if (auto m = misplaced(std::string("the text offset table of the ") + section_title(s),
                               section_field(copy, s), pos))
            return m;
        pos += 2 * static_cast<unsigned>(texts.size());
    }
    for (std::size_t n = 0; n < db.locations.size(); ++n) {
        if (auto m = misplaced("the exit list of location " + std::to_string(n), db.locations[n].pos, pos))
            return m;
        pos += 2 * static_cast<unsigned>(db.locations[n].exits.size()) + 1;
    }
    if (auto m = misplaced("the connection offset table", h.conpos, pos))
        return m;
    pos += 2 * static_cast<unsigned>(db.locations.size());
    const unsigned nobj = static_cast<unsigned>(db.objects.size());
    if (auto m = misplaced("the object word table", h.objwordpos, pos))
        return m;
    if (auto m = misplaced("the object attribute table", h.objattrpos, pos + 2 * nobj))
        return m;
    if (auto m = misplaced("the initial location table", h.objlocpos, pos + 3 * nobj))
        return m;
    pos += 4 * nobj + 1;
    for (std::size_t t = 0; t < db.tables.size(); ++t) {
        const ProcessTable& table = db.tables[t];
        const std::string name = " of process table " + std::to_string(t);
        for (std::size_t e = 0; e < table.entries.size(); ++e) {
            if (auto m = misplaced("entry " + std::to_string(e) + name, table.entries[e].pos, pos))
                return m;
            pos = table.entries[e].end;
        }
        if (auto m = misplaced("the entry index" + name, table.pos, pos))
            return m;
        pos += 4 * static_cast<unsigned>(table.entries.size()) + 2;
    }
    if (auto m = misplaced("the process table offset table", h.propos, pos))
        return m;
    pos += 2 * static_cast<unsigned>(db.tables.size());
    if (auto m = misplaced("the end of the database", h.length, pos))
        return m;
    return std::nullopt;
}

std::string describe_offset(const Database& db, unsigned offset) {
    const Header& h = db.header;
    auto within = [offset](unsigned start, unsigned length) { return offset >= start && offset - start < length; };
    if (offset < header_size)
        return "the header";
    if (within(h.vocabpos, static_cast<unsigned>(db.vocabulary.size()) * entry_size + 1))
        return "the vocabulary";
    if (db.tokens && within(h.tokenpos, token_block_size))
        return "the token table";
    for (Section s : {Section::stx, Section::mtx, Section::otx, Section::ltx}) {
        const auto& texts = db.section(s);
        for (std::size_t n = 0; n < texts.size(); ++n)
            if (within(texts[n].pos, static_cast<unsigned>(texts[n].bytes.size()) + 1))
                return "text " + std::to_string(n) + " of the " + section_title(s);
    }
    for (std::size_t n = 0; n < db.locations.size(); ++n)
        if (within(db.locations[n].pos, 2 * static_cast<unsigned>(db.locations[n].exits.size()) + 1))
            return "the exits of location " + std::to_string(n);
    const unsigned nobj = static_cast<unsigned>(db.objects.size());
    if (within(h.objwordpos, 2 * nobj) || within(h.objattrpos, nobj) || within(h.objlocpos, nobj + 1))
        return "the object tables";
    for (std::size_t t = 0; t < db.tables.size(); ++t) {
        const ProcessTable& table = db.tables[t];
        for (std::size_t e = 0; e < table.entries.size(); ++e)
            if (within(table.entries[e].pos, table.entries[e].end - table.entries[e].pos))
                return "entry " + std::to_string(e) + " of process table " + std::to_string(t);
        if (within(table.pos, 4 * static_cast<unsigned>(table.entries.size()) + 2))
            return "the entry index of process table " + std::to_string(t);
    }
    return "offset " + std::to_string(offset) + " (one of the offset tables)";
}

}  // namespace zel::tool
