// The checks of the unused and flags groups: things defined and never used,
// and flags used once.
#include <array>
#include <map>
#include <utility>

#include "analysis/lint_checks.h"
#include "core/ascii.h"
#include "format/format.h"
#include "format/opcodes.h"
#include "dbtools/text_lines.h"

namespace zel::analysis {

namespace {

// A set of the numbers of one kind of thing. The database stores every
// number in a byte, so a flag for each of 0 to 255 holds them all; nothing
// of a compiled adventure is defined under another number.
class Numbers {
public:
    void insert(int n) {
        if (n >= 0 && n < 256)
            used_[static_cast<std::size_t>(n)] = true;
    }
    bool count(int n) const { return n >= 0 && n < 256 && used_[static_cast<std::size_t>(n)]; }

private:
    std::array<bool, 256> used_{};
};

// The words used, by type and number.
class Words {
public:
    void insert(int number, int type) {
        if (type >= 0 && type <= pronoun)
            by_type_[static_cast<std::size_t>(type)].insert(number);
    }
    bool count(int number, int type) const {
        return type >= 0 && type <= pronoun && by_type_[static_cast<std::size_t>(type)].count(number);
    }

private:
    std::array<Numbers, pronoun + 1> by_type_;
};

// A flag: the first line that uses it, where it is first written, and
// whether another line uses it too.
struct FlagUse {
    int file = 0;
    unsigned line = 0;
    Span first;
    bool other_lines = false;
};

// Everything the adventure uses, gathered in one pass over the index.
struct Uses {
    Numbers messages;
    Numbers objects;    // named by a condition or action
    Numbers locations;  // named by an exit, an object or a parameter
    Words words;
    std::map<int, FlagUse> flags;
};

void add_flag(const CondactDef& c, int i, Uses& u) {
    const auto [it, first] = u.flags.try_emplace(c.value[i], FlagUse{c.name.file, c.name.line, c.param[i]});
    if (!first && (it->second.file != c.name.file || it->second.line != c.name.line))
        it->second.other_lines = true;
}

int word_type_of(const World& w, const std::string& written) {
    const WordDef* word = w.spellings.find(written);
    return word ? word->type : -1;
}

void add_parameter(const CondactDef& c, int i, Uses& u) {
    const int kind = c.kind[i], value = c.value[i];
    switch (kind) {
    case kind_message: u.messages.insert(value); break;
    case kind_object: u.objects.insert(value); break;
    case kind_location:
        u.locations.insert(value);
        if (names_container(c.opcode))
            u.objects.insert(value);  // PUTIN 7 13 names container 13 too
        break;
    case kind_locword:
        if (value < loc_notcreated)
            u.locations.insert(value);
        break;
    case kind_flag: add_flag(c, i, u); break;
    default:
        if (word_type_of_param(kind) >= 0 && value != static_cast<int>(no_word))
            u.words.insert(value, word_type_of_param(kind));
    }
}

Uses uses_of(const SourceIndex& index, const World& w) {
    Uses u;
    u.locations.insert(w.start);
    for (const CondactDef& c : index.condacts())
        for (int i = 0; i < c.params && i < 2; ++i)
            add_parameter(c, i, u);
    for (const ExitDef& e : index.exits()) {
        u.locations.insert(e.destination);
        u.words.insert(e.word, word_type_of(w, e.text));
    }
    for (const ObjectDef& o : index.objects()) {
        if (o.location < loc_notcreated)
            u.locations.insert(o.location);
        if (o.container)
            u.locations.insert(o.object);  // its inside
        u.words.insert(o.noun, noun);
        u.words.insert(o.adjective, adjective);
    }
    for (const EntryDef& e : index.entries()) {
        if (e.verb != static_cast<int>(no_word))
            u.words.insert(e.verb, word_type_of(w, e.verb_text));
        u.words.insert(e.noun, noun);
    }
    return u;
}

void check_texts(const SourceIndex& index, const World& w, const Uses& u, const Selection& on,
                 std::vector<Finding>& out) {
    for (const TextDef& t : index.texts()) {
        if (t.kind == Kind::message && on.enabled(Code::unused_message) && !u.messages.count(t.number))
            out.push_back(finding(Code::unused_message, t.at,
                                  "message " + std::to_string(t.number) + " is never printed: no MESSAGE or MES names it"));
        if (t.kind == Kind::location && on.enabled(Code::unused_location) && !u.locations.count(t.number))
            out.push_back(finding(Code::unused_location, t.at,
                                  "nothing refers to " + location_title(w, t.number) +
                                      ": no exit leads there, and no object, condition or action names it"));
    }
}

void check_objects(const SourceIndex& index, const Uses& u, std::vector<Finding>& out) {
    for (const ObjectDef& o : index.objects()) {
        if (o.location != loc_notcreated || u.objects.count(o.object))
            continue;
        const TextDef* text = index.text(Kind::object, o.object);
        out.push_back(finding(Code::unused_object, o.at,
                              "object " + std::to_string(o.object) + (text ? " (" + tool::text_preview(text->text, 30) + ")" : "") +
                                  " starts not created, and no condition or action names it, so it never comes into play"));
    }
}

void check_words(const SourceIndex& index, const Uses& u, std::vector<Finding>& out) {
    for (const WordDef& w : index.words()) {
        // The run-time's parser reads conjunctions and pronouns itself; no
        // entry or parameter can name them.
        if (w.type == conjunction || w.type == pronoun || w.type < 0 || w.type > pronoun)
            continue;
        if (u.words.count(w.number, w.type))
            continue;
        out.push_back(finding(Code::unused_word, w.at,
                              "the " + ascii_lower(word_type_names[w.type]) + " " + w.word + " (" + std::to_string(w.number) +
                                  ") is used by no entry, exit, object or parameter, nor is any synonym"));
    }
}

void check_flags(const Uses& u, std::vector<Finding>& out) {
    for (const auto& [flag, use] : u.flags)
        if (!use.other_lines)
            out.push_back(finding(Code::lone_flag, use.first,
                                  "flag " + std::to_string(flag) +
                                      " is used on this line only: often a typo, unless the run-time uses the flag itself"));
}

}  // namespace

void check_usage(const SourceIndex& index, const World& w, const Selection& on, std::vector<Finding>& out) {
    const Uses u = uses_of(index, w);
    check_texts(index, w, u, on, out);
    if (on.enabled(Code::unused_object))
        check_objects(index, u, out);
    if (on.enabled(Code::unused_word))
        check_words(index, u, out);
    if (on.enabled(Code::lone_flag))
        check_flags(u, out);
}

}  // namespace zel::analysis
