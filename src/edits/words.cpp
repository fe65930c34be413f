// Renaming one spelling of a vocabulary word. The compiler knows a word by
// its first five characters, upper-cased: that is the spelling renamed,
// wherever it is read, and what the new word must not share with another.
#include <algorithm>

#include "core/ascii.h"
#include "edits/builder.h"
#include "edits/rules.h"
#include "format/format.h"

namespace zel::edits {

namespace {

constexpr std::size_t word_width = 5;  // the characters of a word that count

std::string counted(const std::string& word) { return ascii_upper(word.substr(0, word_width)); }

bool letters_and_digits(const std::string& word) {
    return !word.empty() && std::all_of(word.begin(), word.end(), [](char ch) {
        const unsigned char c = static_cast<unsigned char>(ch);
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
    });
}

std::string described(const WordDef& w) {
    const std::string type = w.type >= 0 && w.type < 7 ? ascii_lower(word_type_names[w.type]) : "word";
    return w.word + " (" + type + " " + std::to_string(w.number) + ")";
}

std::string token_text(const TextMap& map, const Span& at) {
    const std::string& text = map.text(at.file);
    const std::size_t from = map.offset(at);
    return from < text.size() ? text.substr(from, at.end > at.begin ? at.end - at.begin : 0) : "";
}

}  // namespace

Outcome rename_word(const Sources& sources, const std::string& word, const std::string& new_word) {
    if (auto r = compiled_cleanly(sources))
        return *r;
    const SourceIndex& index = sources.index;
    TextMap map(index, sources.texts);
    const std::string key = counted(word);
    const WordDef* def = nullptr;
    for (const WordDef& w : index.words())
        if (counted(w.word) == key)
            def = &w;
    if (!letters_and_digits(word) || def == nullptr)
        return refusal("'" + word + "' is not in the vocabulary");
    if (!letters_and_digits(new_word))
        return refusal("'" + new_word + "' is not a word: a word is made of letters and digits");
    if (const std::string new_key = counted(new_word); new_key != key)
        for (const WordDef& w : index.words())
            if (counted(w.word) == new_key)
                return refusal("the compiler would take " + new_word + " for " + described(w) +
                                   ", since only the first five characters of a word count",
                               {Remark{map.place(w.at), described(w)}});
    Builder b(map);
    bool changes = false;
    const auto rename = [&](const Span& at, bool reference) {
        if (token_text(map, at) != new_word) {
            b.token(at, new_word, reference);
            changes = true;
        }
    };
    rename(def->at, false);
    for (const Reference& r : index.references())
        if (r.kind == Kind::word && r.number == def->number && r.type == def->type &&
            counted(token_text(map, r.at)) == key)
            rename(r.at, true);
    if (!changes)
        return Plan{{}, described(*def) + " is spelt " + new_word + " already; nothing changed", {}, {}};
    if (auto r = b.long_lines())
        return *r;
    return b.finish(described(*def) + " is now " + new_word, "use");
}

}  // namespace zel::edits
