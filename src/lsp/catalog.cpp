#include "lsp/catalog.h"

#include <algorithm>
#include <string_view>

#include "format/format.h"
#include "format/opcodes.h"

namespace zel::lsp {

namespace {

// The place of a text kind in the tables; -1 for other kinds.
int text_slot(Kind kind) {
    switch (kind) {
    case Kind::sysmess: return 0;
    case Kind::message: return 1;
    case Kind::object: return 2;
    case Kind::location: return 3;
    default: return -1;
    }
}

Token token(const Span& at, Token::What what, const ItemKey& key = {}, bool definition = false) {
    Token t;
    t.at = at;
    t.what = what;
    t.key = key;
    t.definition = definition;
    return t;
}

bool in_range(int number) { return number >= 0 && number < 256; }

Token parameter_token(const CondactDef& c, int i) {
    Token t;
    t.at = c.param[i];
    t.opcode = c.opcode;
    const Kind kind = kind_of_param(c.kind[i]);
    const int value = c.value[i];
    const bool word = kind == Kind::word;
    t.key = ItemKey{kind, value, word ? word_type_of_param(c.kind[i]) : -1};
    if (word)
        t.what = value == static_cast<int>(no_word) ? Token::What::keyword : Token::What::word;
    else if (c.kind[i] == kind_locword && value >= loc_notcreated)
        t.what = Token::What::keyword;
    else
        t.what = Token::What::number;
    t.written = kind == Kind::flag && writes_flag(c.opcode, i);
    return t;
}

bool before(const Token& a, const Token& b) {
    return a.at.line < b.at.line || (a.at.line == b.at.line && a.at.begin < b.at.begin);
}

// A file's tokens in order, list by list: each list of the index is in the
// order the compiler read it, so each is merged with those before it.
class Gathered {
public:
    explicit Gathered(int file) : file_(file) {}

    void add(const Token& t) {
        if (t.at.file == file_ && t.at.end > t.at.begin)
            tokens_.push_back(t);
    }
    // The tokens added since the last merge are one list's.
    void merge() {
        const auto middle = tokens_.begin() + static_cast<long>(merged_);
        if (!std::is_sorted(middle, tokens_.end(), before))
            std::stable_sort(middle, tokens_.end(), before);
        std::inplace_merge(tokens_.begin(), middle, tokens_.end(), before);
        merged_ = tokens_.size();
    }
    // Without a token that begins inside the one before it.
    std::vector<Token> settled() {
        std::size_t kept = 0;
        for (std::size_t i = 0; i < tokens_.size(); ++i) {
            if (kept > 0 && tokens_[kept - 1].at.line == tokens_[i].at.line &&
                tokens_[i].at.begin < tokens_[kept - 1].at.end)
                continue;
            tokens_[kept++] = tokens_[i];
        }
        tokens_.resize(kept);
        return std::move(tokens_);
    }

private:
    int file_;
    std::vector<Token> tokens_;
    std::size_t merged_ = 0;
};

// The tokens of one file from every list of the index that names things.
std::vector<Token> gather(const SourceIndex& index, int file) {
    Gathered g(file);
    using W = Token::What;
    for (const SectionDef& s : index.sections()) {
        g.add(token(s.name, W::header, {}, true));
        if (s.header == "/PRO")
            g.add(token(s.number_at, W::number, {Kind::process, s.number, -1}, true));
    }
    g.merge();
    for (const WordDef& w : index.words())
        g.add(token(w.at, W::word, {Kind::word, w.number, w.type}, true));
    g.merge();
    for (const TextDef& t : index.texts()) {
        g.add(token(t.at, W::item, {t.kind, t.number, -1}, true));
        g.add(token(t.note_at, W::note));
    }
    g.merge();
    for (const ConnectionDef& c : index.connections()) {
        g.add(token(c.at, W::item, {Kind::location, c.location, -1}, true));
        g.add(token(c.note_at, W::note));
    }
    g.merge();
    for (const ObjectDef& o : index.objects())
        g.add(token(o.at, W::item, {Kind::object, o.object, -1}, true));
    g.merge();
    // Parameters come from their condition lines below, with what the
    // references leave out (HERE, the null word).
    for (const Reference& r : index.references())
        if (r.opcode < 0)
            g.add(token(r.at, r.kind == Kind::word ? W::word : W::number, {r.kind, r.number, r.kind == Kind::word ? r.type : -1}));
    g.merge();
    for (const CondactDef& c : index.condacts()) {
        Token name = token(c.name, W::condact);
        name.opcode = c.opcode;
        g.add(name);
        for (int i = 0; i < c.params && i < 2; ++i)
            g.add(parameter_token(c, i));
    }
    g.merge();
    return g.settled();
}

}  // namespace

bool writes_flag(int opcode, int param) {
    if (opcode < 0 || opcode >= opcode_count)
        return false;
    const std::string_view name = opcode_table[opcode].name;
    if (param == 0)
        for (const char* writer : {"SET", "CLEAR", "LET", "PLUS", "MINUS", "WEIGHT", "RANDOM"})
            if (name == writer)
                return true;
    return param == 1 && (name == "COPYOF" || name == "COPYFF" || name == "WEIGH");
}

Catalog::Catalog(const SourceIndex& index) : index_(index) {
    for (const TextDef& t : index.texts()) {
        const int slot = text_slot(t.kind);
        if (slot < 0 || !in_range(t.number))
            continue;
        const TextDef*& kept = texts_[static_cast<std::size_t>(slot)][static_cast<std::size_t>(t.number)];
        if (!kept)
            kept = &t;
        ++counts_[static_cast<std::size_t>(slot)];
    }
    for (const ConnectionDef& c : index.connections())
        if (in_range(c.location) && !connections_[static_cast<std::size_t>(c.location)])
            connections_[static_cast<std::size_t>(c.location)] = &c;
    for (const ObjectDef& o : index.objects())
        if (in_range(o.object) && !objects_[static_cast<std::size_t>(o.object)])
            objects_[static_cast<std::size_t>(o.object)] = &o;
    for (const EntryDef& e : index.entries())
        if (in_range(e.table))
            ++entries_[static_cast<std::size_t>(e.table)];
    files_.resize(index.files().size());
}

const TextDef* Catalog::text(Kind kind, int number) const {
    const int slot = text_slot(kind);
    return slot < 0 || !in_range(number) ? nullptr : texts_[static_cast<std::size_t>(slot)][static_cast<std::size_t>(number)];
}

const ConnectionDef* Catalog::connections(int location) const {
    return in_range(location) ? connections_[static_cast<std::size_t>(location)] : nullptr;
}

const ObjectDef* Catalog::object(int number) const {
    return in_range(number) ? objects_[static_cast<std::size_t>(number)] : nullptr;
}

int Catalog::count(Kind kind) const {
    const int slot = text_slot(kind);
    return slot < 0 ? 0 : counts_[static_cast<std::size_t>(slot)];
}

int Catalog::entries(int table) const { return in_range(table) ? entries_[static_cast<std::size_t>(table)] : 0; }

std::span<const Token> Catalog::tokens(int file) const {
    if (file < 0 || static_cast<std::size_t>(file) >= files_.size())
        return {};
    std::optional<std::vector<Token>>& tokens = files_[static_cast<std::size_t>(file)];
    if (!tokens)
        tokens = gather(index_, file);
    return *tokens;
}

std::span<const Token> Catalog::tokens(int file, unsigned first, unsigned last) const {
    const std::span<const Token> all = tokens(file);
    const auto from = std::lower_bound(all.begin(), all.end(), first,
                                       [](const Token& t, unsigned line) { return t.at.line < line; });
    const auto to = std::upper_bound(from, all.end(), last,
                                     [](unsigned line, const Token& t) { return line < t.at.line; });
    return {from, to};
}

}  // namespace zel::lsp
