// Rename in the editor: on a vocabulary word it renames that spelling of
// the word; on an item's number (its "/n", a /PRO header, or any number
// that names an item or a flag) it renumbers the item to the new number.
// Either is one edit across the chain, made by the edits library, as the
// command line's rename and renumber make them.
#include "lsp/workspace_edit.h"

namespace zel::lsp {

namespace {

// What a rename at a position works on.
struct Target {
    enum class What { nothing, word, number } what = What::nothing;
    Span at;                // the word's token, or the number's alone
    Kind kind = Kind::word;  // the number's kind
    int number = 0;
    std::string spelling;   // the word as written there
};

std::string token_text(const Analysis& analysis, const Span& at) {
    const std::string_view line = analysis.line_text(at.file, at.line);
    if (at.begin == 0 || at.begin > line.size() || at.end < at.begin)
        return "";
    return std::string(line.substr(at.begin - 1, at.end - at.begin));
}

Target word_target(const Analysis& analysis, const Span& at) {
    Target t;
    t.what = Target::What::word;
    t.at = at;
    t.spelling = token_text(analysis, at);
    return t;
}

Target number_target(Kind kind, int number, const Span& at) {
    Target t;
    t.what = Target::What::number;
    t.at = at;
    t.kind = kind;
    t.number = number;
    return t;
}

// The number of a /PRO header (the index's hits know no headers).
Target table_header(const Analysis& analysis, int file, const Position& at, Encoding encoding) {
    const Span place = analysis.compiler_place(file, at, encoding);
    for (const SectionDef& s : analysis.index.sections()) {
        const Span& n = s.number_at;
        if (s.header == "/PRO" && n.file == file && n.line == place.line && place.begin >= n.begin &&
            place.begin <= n.end)
            return number_target(Kind::process, s.number, n);
    }
    return {};
}

Target target_at(const Analysis& analysis, int file, const Position& at, Encoding encoding) {
    const SourceIndex& index = analysis.index;
    const Hit hit = analysis.hit_at(file, at, encoding);
    switch (hit.what) {
    case Hit::What::reference: {
        const Reference& r = index.references()[hit.index];
        return r.kind == Kind::word ? word_target(analysis, r.at) : number_target(r.kind, r.number, r.at);
    }
    case Hit::What::word: return word_target(analysis, index.words()[hit.index].at);
    case Hit::What::text: {
        const TextDef& t = index.texts()[hit.index];
        return number_target(t.kind, t.number, t.number_at);
    }
    case Hit::What::connections: {
        const ConnectionDef& c = index.connections()[hit.index];
        return number_target(Kind::location, c.location, c.number_at);
    }
    case Hit::What::object: {
        const ObjectDef& o = index.objects()[hit.index];
        return number_target(Kind::object, o.object, o.number_at);
    }
    default: return table_header(analysis, file, at, encoding);
    }
}

// The edit of a target to a new name or number.
edits::Outcome edit_of(const EditSources& sources, const Target& t, const std::string& new_name) {
    if (t.what == Target::What::word)
        return edits::rename_word(sources.sources(), t.spelling, new_name);
    // A number as the editor offers it, or written as its item's "/n".
    std::size_t from = new_name.find_first_not_of(" \t"), to = new_name.find_last_not_of(" \t");
    if (from != std::string::npos && new_name[from] == '/')
        ++from;
    const std::string digits = from == std::string::npos || from > to ? "" : new_name.substr(from, to + 1 - from);
    const bool number = !digits.empty() && digits.size() <= 5 &&
                        digits.find_first_not_of("0123456789") == std::string::npos;
    if (!number)
        throw RequestFailed("'" + new_name + "' is not a number: a " + edits::kind_words(t.kind) +
                            " is renumbered to another number");
    return edits::renumber(sources.sources(), t.kind, t.number, std::stoi(digits));
}

}  // namespace

json prepare_rename(const Analysis& analysis, int file, const Position& at, Encoding encoding) {
    const Target t = target_at(analysis, file, at, encoding);
    if (t.what == Target::What::nothing)
        return nullptr;
    const EditSources sources(analysis);
    // The edit to the same word or number: whatever refuses that (a word
    // not in the vocabulary, a number the run-time owns, a value that names
    // nothing) refuses any other too.
    const std::string same = t.what == Target::What::word ? t.spelling : std::to_string(t.number);
    const edits::Outcome probe = edit_of(sources, t, same);
    if (const edits::Refusal* refusal = std::get_if<edits::Refusal>(&probe))
        refuse(analysis, *refusal);
    return json{{"range", analysis.range(t.at, encoding)}, {"placeholder", token_text(analysis, t.at)}};
}

json rename(const Analysis& analysis, int file, const Position& at, const std::string& new_name,
            const EditOptions& options) {
    const Target t = target_at(analysis, file, at, options.encoding);
    if (t.what == Target::What::nothing)
        throw RequestFailed("there is no word or number of an item here to rename");
    const EditSources sources(analysis);
    return workspace_edit(sources, edit_of(sources, t, new_name), options);
}

}  // namespace zel::lsp
