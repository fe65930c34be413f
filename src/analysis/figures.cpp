#include "analysis/figures.h"

#include <algorithm>

#include "format/format.h"

namespace zel::analysis {

namespace {

using tool::Database;
using tool::Section;

constexpr Section text_sections[] = {Section::stx, Section::mtx, Section::otx, Section::ltx};
constexpr unsigned most_texts[] = {most_sysmess, most_messages, most_objects, most_locations};
// A text's own name, as in "message 12".
constexpr const char* text_names[] = {"system message", "message", "object text", "location text"};

unsigned count(std::size_t n) { return static_cast<unsigned>(n); }

Limit make_limit(LimitKind kind, std::string name, unsigned used, unsigned most, int section = -1) {
    Limit l;
    l.kind = kind;
    l.name = std::move(name);
    l.used = used;
    l.most = most;
    l.section = section;
    return l;
}

// A text as the compiler assembles it before compression: its letters, and
// the terminator; counted without expanding it.
unsigned assembled_length(const Database& db, const tool::Text& text) {
    std::size_t letters = 0;
    for (unsigned char b : text.bytes)
        letters += db.tokens && b >= token_code_base ? (*db.tokens)[b - token_code_base].size() : 1;
    return count(letters) + 1;
}

Limit longest_text(const Database& db, unsigned room) {
    Limit limit = make_limit(LimitKind::text_room, "longest text", 0, room);
    for (Section s : text_sections)
        for (std::size_t n = 0; n < db.section(s).size(); ++n) {
            const unsigned length = assembled_length(db, db.section(s)[n]);
            if (length > limit.used) {
                limit.used = length;
                limit.section = static_cast<int>(s);
                limit.item = static_cast<int>(n);
                limit.where = std::string(text_names[static_cast<int>(s)]) + " " + std::to_string(n);
            }
        }
    return limit;
}

// The table whose entry index is fullest; the index takes entries while it
// is smaller than its room, so the most is the room over 4, rounded up.
Limit fullest_index(const Database& db, unsigned room) {
    const unsigned most = (room + entry_record_size - 1) / entry_record_size;
    Limit limit = make_limit(LimitKind::entries, "entries in one process table", 0, most);
    for (std::size_t t = 0; t < db.tables.size(); ++t)
        if (limit.item < 0 || db.tables[t].entries.size() > limit.used) {
            limit.used = count(db.tables[t].entries.size());
            limit.item = static_cast<int>(t);
            limit.where = "process table " + std::to_string(t);
        }
    return limit;
}

std::vector<Limit> limits_of(const Database& db) {
    const unsigned room = buffer_room(count(db.vocabulary.size()));
    std::vector<Limit> limits;
    limits.push_back(make_limit(LimitKind::vocabulary, "vocabulary entries", count(db.vocabulary.size()), vocab_capacity));
    for (Section s : text_sections) {
        const int i = static_cast<int>(s);
        limits.push_back(make_limit(LimitKind::texts, tool::section_title(s), count(db.section(s).size()), most_texts[i], i));
    }
    limits.push_back(longest_text(db, room));
    limits.push_back(make_limit(LimitKind::tables, "process tables", count(db.tables.size()), max_tables));
    limits.push_back(fullest_index(db, room));
    limits.push_back(make_limit(LimitKind::database, "database bytes", db.header.length, largest_database));
    std::stable_sort(limits.begin(), limits.end(), [](const Limit& a, const Limit& b) {
        return static_cast<unsigned long long>(a.used) * b.most > static_cast<unsigned long long>(b.used) * a.most;
    });
    return limits;
}

unsigned text_bytes(const std::vector<tool::Text>& texts) {
    unsigned bytes = 0;
    for (const tool::Text& t : texts)
        bytes += count(t.bytes.size()) + 1;  // and the terminator
    return bytes;
}

std::vector<Block> blocks_of(const Database& db) {
    std::vector<Block> blocks;
    blocks.push_back({"header", header_size});
    blocks.push_back({"vocabulary", count(db.vocabulary.size()) * entry_size + 1});
    if (db.tokens)
        blocks.push_back({"token table", token_block_size});
    for (Section s : text_sections) {
        const std::string title = tool::section_title(s);
        blocks.push_back({title, text_bytes(db.section(s))});
        blocks.push_back({title + " offset table", 2 * count(db.section(s).size())});
    }
    unsigned exits = 0;
    for (const tool::Location& l : db.locations)
        exits += 2 * count(l.exits.size()) + 1;
    blocks.push_back({"exit lists", exits});
    blocks.push_back({"connection offset table", 2 * count(db.locations.size())});
    const unsigned objects = count(db.objects.size());
    blocks.push_back({"object words", 2 * objects});
    blocks.push_back({"object attributes", objects});
    blocks.push_back({"initial locations", objects + 1});
    unsigned entries = 0, indexes = 0;
    for (const tool::ProcessTable& t : db.tables) {
        for (const tool::Entry& e : t.entries)
            entries += e.end - e.pos;
        indexes += count(t.entries.size()) * entry_record_size + 2;
    }
    blocks.push_back({"process entries", entries});
    blocks.push_back({"entry indexes", indexes});
    blocks.push_back({"process table offset table", 2 * count(db.tables.size())});
    return blocks;
}

void add_compression(const Database& db, Figures& f) {
    if (!db.tokens)
        return;
    f.compressed = true;
    std::vector<TokenUse> uses(token_count);
    int saved = 0;
    for (Section s : text_sections)
        for (const tool::Text& t : db.section(s))
            for (unsigned char b : t.bytes)
                if (b >= token_code_base) {
                    TokenUse& u = uses[b - token_code_base];
                    const unsigned length = count((*db.tokens)[b - token_code_base].size());
                    ++u.uses;
                    u.saved += length - 1;
                    saved += static_cast<int>(length) - 1;
                }
    f.saving = saved - token_block_size;
    for (int i = 0; i < token_count; ++i)
        if (uses[i].uses > 0) {
            uses[i].code = token_code_base + i;
            uses[i].token = (*db.tokens)[i];
            f.tokens.push_back(uses[i]);
        }
    std::stable_sort(f.tokens.begin(), f.tokens.end(),
                     [](const TokenUse& a, const TokenUse& b) { return a.uses > b.uses; });
}

}  // namespace

unsigned buffer_room(unsigned vocabulary_entries) {
    const unsigned taken = (vocabulary_entries + 1) * entry_size;
    return taken >= workarea_threshold ? 0 : static_cast<unsigned>(workarea_threshold) - taken;
}

Figures figures_of(const Database& db) {
    Figures f;
    f.length = db.header.length;
    f.limits = limits_of(db);
    f.blocks = blocks_of(db);
    unsigned total = 0;
    for (const Block& b : f.blocks)
        total += b.bytes;
    f.unaccounted = f.length > total ? f.length - total : 0;
    add_compression(db, f);
    return f;
}

}  // namespace zel::analysis
