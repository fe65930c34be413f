#include "analysis/world.h"

#include <algorithm>
#include <deque>
#include <numeric>
#include <tuple>

#include "core/ascii.h"
#include "format/format.h"
#include "format/opcodes.h"
#include "dbtools/text_lines.h"

namespace zel::analysis {

namespace {

constexpr std::size_t name_length = 30;  // characters of a text that name a location

int location_count(const SourceIndex& index) {
    int count = 0;
    for (const TextDef& t : index.texts())
        if (t.kind == Kind::location && t.number + 1 > count)
            count = t.number + 1;
    return count;
}

bool within(const EntryDef& e, const Span& at) {
    return at.file == e.at.file && at.line >= e.at.line && at.line <= e.last_line;
}

// The location the entry of a GOTO tests with AT, or -1; `tests` are the
// AT conditions of the adventure, in source order.
int tested_location(const std::vector<const CondactDef*>& tests, const EntryDef& entry) {
    for (const CondactDef* c : tests)
        if (within(entry, c->name))
            return c->value[0];
    return -1;
}

// The entry of each condition or action given: the first entry whose
// lines hold it, as SourceIndex::entry_at finds it, for all of them in one
// pass over the entries (an adventure has thousands) rather than one each.
std::vector<const EntryDef*> entries_holding(const SourceIndex& index, const std::vector<const CondactDef*>& condacts) {
    const auto place = [&condacts](std::size_t i) { return std::tie(condacts[i]->name.file, condacts[i]->name.line); };
    std::vector<std::size_t> by_place(condacts.size());
    std::iota(by_place.begin(), by_place.end(), std::size_t{0});
    std::stable_sort(by_place.begin(), by_place.end(), [&](std::size_t a, std::size_t b) { return place(a) < place(b); });
    std::vector<const EntryDef*> found(condacts.size(), nullptr);
    for (const EntryDef& e : index.entries()) {
        auto i = std::lower_bound(by_place.begin(), by_place.end(), std::tie(e.at.file, e.at.line),
                                  [&](std::size_t k, const auto& start) { return place(k) < start; });
        for (; i != by_place.end() && within(e, condacts[*i]->name); ++i)
            if (!found[*i])
                found[*i] = &e;
    }
    return found;
}

void add_gotos(const SourceIndex& index, World& w) {
    static const int at = find_opcode("AT");
    static const int go = find_opcode("GOTO");
    // The AT conditions apart: an adventure has far fewer of them than
    // conditions and actions, and each GOTO looks through them.
    std::vector<const CondactDef*> tests, gotos;
    for (const CondactDef& c : index.condacts()) {
        if (c.opcode == at && c.params > 0)
            tests.push_back(&c);
        if (c.opcode == go && c.params > 0 && w.valid(c.value[0]))
            gotos.push_back(&c);
    }
    const std::vector<const EntryDef*> entries = entries_holding(index, gotos);
    for (std::size_t i = 0; i < gotos.size(); ++i) {
        const int from = entries[i] ? tested_location(tests, *entries[i]) : -1;
        w.gotos.push_back({w.valid(from) ? from : -1, gotos[i]->value[0], entries[i], gotos[i]});
    }
}

void mark_reachable(World& w) {
    std::deque<int> pending;
    auto reach = [&](int n) {
        if (w.valid(n) && !w.reachable[n]) {
            w.reachable[n] = true;
            pending.push_back(n);
        }
    };
    reach(w.start);
    for (const Goto& g : w.gotos)
        if (g.from < 0)
            reach(g.to);
    while (!pending.empty()) {
        const int n = pending.front();
        pending.pop_front();
        for (const ExitDef* e : w.exits[n])
            reach(e->destination);
        for (const Goto& g : w.gotos)
            if (g.from == n)
                reach(g.to);
    }
}

}  // namespace

bool World::has_way_out(int n) const {
    if (!exits[n].empty())
        return true;
    for (const Goto& g : gotos)
        if (g.from == n)
            return true;
    return false;
}

World world_of(const SourceIndex& index, int start) {
    World w(index);
    w.locations = location_count(index);
    w.start = start;
    const auto size = static_cast<std::size_t>(w.locations);
    w.texts.assign(size, nullptr);
    w.connections.assign(size, nullptr);
    w.exits.assign(size, {});
    w.container.assign(size, -1);
    w.reachable.assign(size, false);
    for (const TextDef& t : index.texts())
        if (t.kind == Kind::location && w.valid(t.number))
            w.texts[static_cast<std::size_t>(t.number)] = &t;
    for (const ConnectionDef& c : index.connections())
        if (w.valid(c.location))
            w.connections[static_cast<std::size_t>(c.location)] = &c;
    for (const ExitDef& e : index.exits())
        if (w.valid(e.location) && w.valid(e.destination))
            w.exits[static_cast<std::size_t>(e.location)].push_back(&e);
    for (const ObjectDef& o : index.objects())
        if (o.container && w.valid(o.object))
            w.container[static_cast<std::size_t>(o.object)] = o.object;
    add_gotos(index, w);
    mark_reachable(w);
    return w;
}

std::string place_name(const World& w, int n) {
    const TextDef* text = w.valid(n) ? w.texts[static_cast<std::size_t>(n)] : nullptr;
    const ConnectionDef* con = w.valid(n) ? w.connections[static_cast<std::size_t>(n)] : nullptr;
    if (text && !text->note.empty())
        return text->note;
    if (con && !con->note.empty())
        return con->note;
    return text ? tool::text_preview(text->text, name_length) : std::string();
}

Spellings::Spellings(const SourceIndex& index) {
    for (const WordDef& w : index.words())
        words_.try_emplace(w.word.substr(0, 5), &w);
}

const WordDef* Spellings::find(const std::string& written) const {
    const auto it = words_.find(ascii_upper(written.substr(0, 5)));
    return it == words_.end() ? nullptr : it->second;
}

std::string Spellings::full(const std::string& written) const {
    const WordDef* w = find(written);
    return w ? w->word : ascii_upper(written);
}

std::string Spellings::entry_words(const EntryDef& entry) const {
    std::string words;
    if (entry.verb != static_cast<int>(no_word))
        words = full(entry.verb_text);
    if (entry.noun != static_cast<int>(no_word)) {
        if (!words.empty())
            words += ' ';
        words += full(entry.noun_text);
    }
    return words;
}

}  // namespace zel::analysis
