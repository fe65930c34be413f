// Workspace symbols: every item of every adventure the server holds (texts,
// locations' exits and objects by number and note), every vocabulary word,
// every entry as "VERB NOUN" and every process table, filtered by the
// query: its characters in order, in any case, within the name. Names that
// begin with the query come first, then those that hold it, then the rest;
// at most most_symbols are sent, as other servers do.
#include <algorithm>
#include <cctype>
#include <set>
#include <tuple>

#include "core/ascii.h"
#include "lsp/catalog.h"
#include "lsp/describe.h"
#include "lsp/features.h"
#include "lsp/workspace.h"

namespace zel::lsp {

namespace {

constexpr std::size_t most_symbols = 500;

// Symbol kinds of the protocol, as the outline gives them.
constexpr int symbol_namespace = 3, symbol_function = 12, symbol_constant = 14, symbol_string = 15,
              symbol_object = 19, symbol_struct = 23;

struct Candidate {
    std::string name, container;
    int kind = 0;
    const Analysis* analysis = nullptr;
    Span at;
    int rank = 0;
};

char upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

// 0: the name begins with the query, 1: holds it, 2: holds its characters
// in order; -1: none of these.
int rank_of(const std::string& name, const std::string& query) {
    std::string upper_name(name.size(), ' ');
    std::transform(name.begin(), name.end(), upper_name.begin(), upper);
    const std::size_t at = upper_name.find(query);
    if (at != std::string::npos)
        return at == 0 ? 0 : 1;
    std::size_t next = 0;
    for (const char c : query) {
        next = upper_name.find(c, next);
        if (next == std::string::npos)
            return -1;
        ++next;
    }
    return 2;
}

std::string section_of(Kind kind) {
    switch (kind) {
    case Kind::sysmess: return "/STX";
    case Kind::message: return "/MTX";
    case Kind::object: return "/OTX";
    default: return "/LTX";
    }
}

std::string with_note(std::string name, const std::string& note) {
    return note.empty() ? name : name.append(" ").append(note);
}

void gather(const Analysis& a, std::vector<Candidate>& out) {
    const SourceIndex& index = a.index;
    const Catalog& catalog = a.catalog();
    for (const TextDef& t : index.texts())
        out.push_back({with_note(item_name({t.kind, t.number, -1}), t.note), section_of(t.kind), symbol_string, &a, t.at});
    for (const ConnectionDef& c : index.connections())
        out.push_back({with_note(location_name(c.location), c.note), "/CON", symbol_struct, &a, c.at});
    for (const ObjectDef& o : index.objects()) {
        const TextDef* text = catalog.text(Kind::object, o.object);
        out.push_back({with_note("object " + std::to_string(o.object), text ? text->note : std::string()), "/OBJ",
                       symbol_object, &a, o.at});
    }
    for (const WordDef& w : index.words())
        out.push_back({w.word, numbered(ascii_lower(type_name(w.type)) + " ", w.number), symbol_constant, &a, w.at});
    for (const EntryDef& e : index.entries())
        out.push_back({e.verb_text + " " + e.noun_text, numbered("/PRO ", e.table), symbol_function, &a, e.at});
    for (const SectionDef& s : index.sections())
        if (s.header == "/PRO")
            out.push_back({numbered("/PRO ", s.number), "", symbol_namespace, &a, s.at});
}

}  // namespace

std::vector<const Analysis*> Workspace::analyses() {
    compile_pending();
    std::vector<const Analysis*> found;
    for (const auto& [key, adventure] : adventures_)
        if (adventure.analysis)
            found.push_back(adventure.analysis.get());
    return found;
}

json workspace_symbols(const std::vector<const Analysis*>& analyses, const std::string& query, Encoding encoding) {
    std::string wanted(query.size(), ' ');
    std::transform(query.begin(), query.end(), wanted.begin(), upper);
    wanted.erase(std::remove(wanted.begin(), wanted.end(), ' '), wanted.end());
    std::vector<Candidate> candidates, kept;
    for (const Analysis* a : analyses)
        gather(*a, candidates);
    std::set<std::tuple<std::string, unsigned, unsigned>> seen;  // a file two adventures read
    for (Candidate& c : candidates) {
        c.rank = rank_of(c.name, wanted);
        if (c.rank < 0 || c.at.file < 0 || static_cast<std::size_t>(c.at.file) >= c.analysis->files.size())
            continue;
        if (seen.insert({c.analysis->uri(c.at.file), c.at.line, c.at.begin}).second)
            kept.push_back(std::move(c));
    }
    std::stable_sort(kept.begin(), kept.end(), [](const Candidate& a, const Candidate& b) { return a.rank < b.rank; });
    kept.resize(std::min(kept.size(), most_symbols));
    json symbols = json::array();
    for (const Candidate& c : kept) {
        json symbol{{"name", c.name}, {"kind", c.kind}, {"location", c.analysis->location(c.at, encoding)}};
        if (!c.container.empty())
            symbol["containerName"] = c.container;
        symbols.push_back(std::move(symbol));
    }
    return symbols;
}

}  // namespace zel::lsp
