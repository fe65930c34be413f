#include "dbtools/database_reader.h"

#include <algorithm>
#include <numeric>
#include <type_traits>

#include "format/format.h"
#include "format/opcodes.h"

namespace zel::tool {

namespace {

constexpr unsigned format_word = 512;

std::string at(unsigned pos) { return " (offset " + std::to_string(pos) + ")"; }

// The part of the database that a check is about, for its message: a text,
// or a function that returns one. Messages are built only when a check
// fails, so that reading a sound database spends nothing on them.
template <class What>
std::string describe(const What& what) {
    if constexpr (std::is_invocable_v<const What&>)
        return what();
    else
        return std::string(what);
}

// Bounds-checked access to the bytes of the file. Every failure keeps the
// first message only, so that the reason given is the first fault found.
class Parser {
public:
    Parser(const Bytes& bytes, std::string& error) : bytes_(bytes), error_(error) {}

    bool fail(const std::string& message) {
        if (error_.empty())
            error_ = message;
        return false;
    }
    unsigned size() const { return static_cast<unsigned>(bytes_.size()); }
    bool inside(unsigned pos, unsigned count) const { return pos <= size() && count <= size() - pos; }
    unsigned byte(unsigned pos) const { return bytes_[pos]; }
    unsigned word(unsigned pos) const { return bytes_[pos] | (bytes_[pos + 1] << 8); }

    // Checks that count bytes from pos lie in the file.
    template <class What>
    bool need(unsigned pos, unsigned count, const What& what) {
        if (inside(pos, count))
            return true;
        return fail(describe(what) + " at offset " + std::to_string(pos) + " lies outside the file (" +
                    std::to_string(size()) + " bytes)");
    }

    // Counts the bytes of a list each time something points at it. The
    // lists of a database that the compiler wrote lie side by side, so
    // together they never take more bytes than the file; lists that point
    // into one another would make the work grow far beyond the file's size.
    template <class What>
    bool use(unsigned count, const What& what) {
        used_ += count;
        if (used_ <= size())
            return true;
        return fail(describe(what) + " overlaps other parts of the database: its lists, counted each time they are used, take "
                    "more than the file's " + std::to_string(size()) + " bytes");
    }

    // Reads count positions of an offset table.
    template <class What>
    bool offset_table(unsigned pos, unsigned count, const What& what, std::vector<unsigned>& out) {
        if (!need(pos, 2 * count, what))
            return false;
        for (unsigned i = 0; i < count; ++i)
            out.push_back(word(pos + 2 * i));
        return true;
    }

private:
    const Bytes& bytes_;
    std::string& error_;
    std::uint64_t used_ = 0;
};

bool read_header(Parser& p, Header& h) {
    if (p.size() < header_size)
        return p.fail("truncated: the file has " + std::to_string(p.size()) +
                      " bytes, but the header alone takes 32");
    h.format = p.word(0);
    if (h.format != format_word)
        return p.fail("not an adventure database: the format word is " + std::to_string(h.format) +
                      " instead of 512");
    h.nullchr = static_cast<unsigned char>(p.byte(2));
    h.nobjects = p.byte(3);
    h.nlocations = p.byte(4);
    h.nmess = p.byte(5);
    h.nsysmess = p.byte(6);
    h.nprocess = p.byte(7);
    unsigned* const fields[] = {&h.tokenpos, &h.propos, &h.otxpos, &h.ltxpos, &h.mtxpos, &h.stxpos,
                                &h.conpos, &h.vocabpos, &h.objlocpos, &h.objwordpos, &h.objattrpos, &h.length};
    for (unsigned i = 0; i < std::size(fields); ++i)
        *fields[i] = p.word(8 + 2 * i);
    if (h.length != p.size())
        return p.fail(h.length > p.size() ? "truncated: the header gives the length " + std::to_string(h.length) +
                                                " but the file has " + std::to_string(p.size()) + " bytes"
                                          : "the header gives the length " + std::to_string(h.length) +
                                                " but the file has " + std::to_string(p.size()) + " bytes");
    return true;
}

bool read_vocabulary(Parser& p, Database& db) {
    unsigned pos = db.header.vocabpos;
    for (;;) {
        if (!p.need(pos, 1, "the vocabulary"))
            return false;
        if (p.byte(pos) == 0)
            return true;
        if (!p.inside(pos, entry_size))
            return p.fail("the vocabulary has no end byte: its last entry" + at(pos) + " runs past the end of the file");
        VocabWord w;
        char letters[5];
        for (unsigned i = 0; i < 5; ++i)
            letters[i] = static_cast<char>(255 - p.byte(pos + i));
        w.word.assign(letters, 5);
        w.number = p.byte(pos + 5);
        w.type = p.byte(pos + 6);
        if (w.type > pronoun)
            return p.fail("vocabulary word '" + w.word + "'" + at(pos) + " has the unknown word type " +
                          std::to_string(w.type));
        db.vocabulary.push_back(w);
        pos += entry_size;
    }
}

bool read_tokens(Parser& p, Database& db) {
    unsigned pos = db.header.tokenpos;
    if (pos == 0)
        return true;
    if (!p.need(pos, 1, "the token table"))
        return false;
    if (p.byte(pos) != 255)
        return p.fail("the token table" + at(pos) + " does not begin with the byte 255");
    std::vector<std::string> tokens;
    ++pos;
    for (int i = 0; i < token_count; ++i) {
        std::string token;
        for (;;) {
            if (!p.inside(pos, 1))
                return p.fail("the token table ends before token " + std::to_string(i) + " is complete");
            const unsigned ch = p.byte(pos++);
            token.push_back(static_cast<char>(ch & 127));
            if (ch >= 128)
                break;
        }
        tokens.push_back(token);
    }
    db.tokens = tokens;
    return true;
}

unsigned section_count_of(const Header& h, Section s) {
    switch (s) {
    case Section::stx: return h.nsysmess;
    case Section::mtx: return h.nmess;
    case Section::otx: return h.nobjects;
    case Section::ltx: break;
    }
    return h.nlocations;
}

// The length of a text with its tokens expanded, counted no further than
// just past the longest text the compiler can write.
std::size_t expanded_length(const Text& text, const Database& db) {
    std::size_t length = 0;
    for (unsigned char b : text.bytes) {
        length += db.tokens && b >= token_code_base ? (*db.tokens)[b - token_code_base].size() : 1;
        if (length > longest_text)
            break;
    }
    return length;
}

bool read_texts(Parser& p, Database& db, Section s) {
    std::vector<unsigned> offsets;
    const std::string title = section_title(s);
    if (!p.offset_table(section_field(db.header, s), section_count_of(db.header, s),
                        [&] { return "the text offset table of the " + title; }, offsets))
        return false;
    db.texts[static_cast<int>(s)].reserve(offsets.size());
    for (unsigned n = 0; n < offsets.size(); ++n) {
        Text text;
        text.pos = offsets[n];
        const auto name = [&] { return "text " + std::to_string(n) + " of the " + title; };
        if (!p.need(text.pos, 1, name))
            return false;
        unsigned end = text.pos;
        while (end < p.size() && p.byte(end) != stored_text_end)
            ++end;
        if (end == p.size())
            return p.fail(name() + at(text.pos) + " has no end byte");
        text.bytes.reserve(end - text.pos);
        for (unsigned pos = text.pos; pos < end; ++pos)
            text.bytes.push_back(static_cast<unsigned char>(255 - p.byte(pos)));
        if (expanded_length(text, db) > longest_text)
            return p.fail(name() + at(text.pos) + " expands to more than " + std::to_string(longest_text) +
                          " characters, more than the compiler can write");
        if (!p.use(static_cast<unsigned>(text.bytes.size()) + 1, [&] { return name() + at(text.pos); }))
            return false;
        db.texts[static_cast<int>(s)].push_back(std::move(text));
    }
    return true;
}

bool read_connections(Parser& p, Database& db) {
    std::vector<unsigned> offsets;
    if (!p.offset_table(db.header.conpos, db.header.nlocations, "the connection offset table", offsets))
        return false;
    db.locations.reserve(offsets.size());
    for (unsigned n = 0; n < offsets.size(); ++n) {
        Location loc;
        loc.pos = offsets[n];
        const auto name = [&] { return "the exit list of location " + std::to_string(n); };
        if (!p.need(loc.pos, 1, name))
            return false;
        unsigned pos = loc.pos;
        for (;;) {
            if (!p.inside(pos, 1))
                return p.fail(name() + at(loc.pos) + " has no end byte");
            if (p.byte(pos) == end_of_list)
                break;
            if (!p.inside(pos, 2))
                return p.fail(name() + at(loc.pos) + " has no end byte");
            loc.exits.push_back({p.byte(pos), p.byte(pos + 1)});
            pos += 2;
        }
        if (!p.use(pos + 1 - loc.pos, [&] { return name() + at(loc.pos); }))
            return false;
        db.locations.push_back(std::move(loc));
    }
    return true;
}

bool read_objects(Parser& p, Database& db) {
    const Header& h = db.header;
    const unsigned n = h.nobjects;
    if (!p.need(h.objwordpos, 2 * n, "the object word table") ||
        !p.need(h.objattrpos, n, "the object attribute table") ||
        !p.need(h.objlocpos, n, "the initial location table"))
        return false;
    if (!p.inside(h.objlocpos + n, 1) || p.byte(h.objlocpos + n) != end_of_list)
        return p.fail("the initial location table" + at(h.objlocpos) + " has no end byte 255 after its " +
                      std::to_string(n) + " objects");
    for (unsigned i = 0; i < n; ++i)
        db.objects.push_back({p.byte(h.objwordpos + 2 * i), p.byte(h.objwordpos + 2 * i + 1),
                              p.byte(h.objattrpos + i), p.byte(h.objlocpos + i)});
    return true;
}

int parameter_count(const OpcodeRow& row) {
    if (row.kind1 == kind_none)
        return 0;
    return row.kind2 == kind_none ? 1 : 2;
}

bool known_opcode(unsigned opcode) {
    return opcode < opcode_count && opcode_table[opcode].kind1 != kind_reserved;
}

// Reads the conditions and actions of one entry up to its end byte; `name`
// gives the entry's name for a message.
template <class Name>
bool read_entry(Parser& p, Entry& e, const Name& name) {
    unsigned pos = e.pos;
    if (!p.need(pos, 1, name))
        return false;
    for (;;) {
        if (!p.inside(pos, 1))
            return p.fail(name() + at(e.pos) + " has no end byte");
        const unsigned opcode = p.byte(pos);
        if (opcode == end_of_list)
            break;
        if (!known_opcode(opcode))
            return p.fail(name() + at(e.pos) + " holds the unknown opcode " + std::to_string(opcode) + at(pos));
        const int count = parameter_count(opcode_table[opcode]);
        if (!p.inside(pos + 1, static_cast<unsigned>(count)))
            return p.fail(name() + at(e.pos) + " has no end byte");
        Action a{opcode, {}};
        for (int k = 0; k < count; ++k)
            a.params.push_back(p.byte(pos + 1 + static_cast<unsigned>(k)));
        e.actions.push_back(a);
        pos += 1 + static_cast<unsigned>(count);
    }
    e.end = pos + 1;
    return true;
}

bool read_index(Parser& p, ProcessTable& table, const std::string& name) {
    unsigned pos = table.pos;
    for (;;) {
        if (!p.inside(pos, 2))
            return p.fail("the entry index of " + name + at(table.pos) + " has no end word");
        if (p.word(pos) == 0)
            return p.use(pos + 2 - table.pos, [&] { return "the entry index of " + name + at(table.pos); });
        if (!p.inside(pos, 4))
            return p.fail("the entry index of " + name + at(table.pos) + " has no end word");
        Entry e;
        e.verb = p.byte(pos);
        e.noun = p.byte(pos + 1);
        e.pos = p.word(pos + 2);
        table.entries.push_back(e);
        pos += 4;
    }
}

// Reads the entries of one table in the order of their positions, each
// position once: entries at the same position share their conditions and
// actions. Entries may not run into one another, and every entry counts
// its bytes before it takes a copy of what it shares, which bounds the work
// by the size of the file.
bool read_entries(Parser& p, ProcessTable& table, const std::string& name) {
    std::vector<Entry>& entries = table.entries;
    // The entry numbers by position; of those at one position, the lowest first.
    std::vector<std::size_t> order(entries.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&entries](std::size_t a, std::size_t b) { return entries[a].pos < entries[b].pos; });
    std::vector<std::size_t> read_as(entries.size());  // the entry whose reading each one shares
    const Entry* previous = nullptr;
    std::size_t previous_number = 0;
    for (const std::size_t n : order) {
        Entry& e = entries[n];
        if (previous && e.pos == previous->pos) {
            read_as[n] = previous_number;
            e.end = previous->end;
            continue;
        }
        if (previous && e.pos < previous->end)
            return p.fail("entry " + std::to_string(previous_number) + " of " + name + " runs into the entry" +
                          at(e.pos));
        if (!read_entry(p, e, [&] { return "entry " + std::to_string(n) + " of " + name; }))
            return false;
        read_as[n] = n;
        previous = &e;
        previous_number = n;
    }
    for (std::size_t n = 0; n < entries.size(); ++n) {
        Entry& e = entries[n];
        if (!p.use(e.end - e.pos, [&] { return "entry " + std::to_string(n) + " of " + name + at(e.pos); }))
            return false;
        if (read_as[n] != n)
            e.actions = entries[read_as[n]].actions;
    }
    return true;
}

bool read_process_tables(Parser& p, Database& db) {
    std::vector<unsigned> offsets;
    if (!p.offset_table(db.header.propos, db.header.nprocess, "the process table offset table", offsets))
        return false;
    db.tables.reserve(offsets.size());
    for (unsigned t = 0; t < offsets.size(); ++t) {
        ProcessTable table;
        table.pos = offsets[t];
        const std::string name = "process table " + std::to_string(t);
        if (!read_index(p, table, name) || !read_entries(p, table, name))
            return false;
        db.tables.push_back(std::move(table));
    }
    return true;
}

}  // namespace

std::optional<Database> read_database(Bytes bytes, std::string& error) {
    error.clear();
    Database db;
    db.bytes = std::move(bytes);
    Parser p(db.bytes, error);
    if (!read_header(p, db.header) || !read_vocabulary(p, db) || !read_tokens(p, db))
        return std::nullopt;
    for (Section s : {Section::stx, Section::mtx, Section::otx, Section::ltx})
        if (!read_texts(p, db, s))
            return std::nullopt;
    if (!read_connections(p, db) || !read_objects(p, db) || !read_process_tables(p, db))
        return std::nullopt;
    return db;
}

}  // namespace zel::tool
