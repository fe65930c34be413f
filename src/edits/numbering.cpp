// Renumbering, inserting and deleting numbered items. The items of a kind
// keep the places of their definitions ("slots") in the files: a renumbered
// item's lines go to the slot of its new number and the items between move
// on by one slot, so that the numbers run in order again; the lines between
// items (comments) stay where they are.
#include <algorithm>
#include <functional>

#include "edits/builder.h"
#include "edits/flags.h"
#include "edits/rules.h"

namespace zel::edits {

namespace {

// The new numbers of one kind's items.
struct Move {
    Items items;
    std::vector<int> to;  // by old number; -1 for an item deleted
};

// What one edit does: the kind asked for, and the kind that moves with it
// when a container lies among the items that move (a container object and
// the location of its number move together).
struct Edit {
    explicit Edit(Items items) {
        moves.reserve(2);  // the items of the first are kept by reference while the second is added
        moves.push_back(Move{std::move(items), {}});
    }
    std::vector<Move> moves;
    int container = -1;
};

std::string range(int first, int last) {
    return first == last ? std::to_string(first) : std::to_string(first) + " to " + std::to_string(last);
}

std::string item(Kind kind, int number) { return kind_words(kind) + " " + std::to_string(number); }

std::vector<int> identity(int count) {
    std::vector<int> to(static_cast<std::size_t>(std::max(count, 0)));
    for (int n = 0; n < count; ++n)
        to[static_cast<std::size_t>(n)] = n;
    return to;
}

std::vector<int> rotation(int count, int from, int to) {
    std::vector<int> numbers = identity(count);
    for (int n = std::min(from, to); n <= std::max(from, to); ++n)
        numbers[static_cast<std::size_t>(n)] = from < to ? n - 1 : n + 1;
    numbers[static_cast<std::size_t>(from)] = to;
    return numbers;
}

std::vector<int> shifted(int count, int from, int by) {
    std::vector<int> numbers = identity(count);
    for (int n = from; n < count; ++n)
        numbers[static_cast<std::size_t>(n)] = n + by;
    return numbers;
}

// The container among objects first to last, or -1.
int container_within(const SourceIndex& index, int first, int last) {
    for (const int k : containers(index))
        if (k >= first && k <= last)
            return k;
    return -1;
}

// Objects and locations first to last move; when a container lies among
// them, so do the items of the other kind with the same numbers.
using Numbering = std::function<std::vector<int>(int count)>;
enum class Op { renumber, insert, remove };

std::optional<Refusal> link(const SourceIndex& index, Edit& edit, int first, int last, Op op,
                            const Numbering& numbering) {
    const Kind kind = edit.moves.front().items.kind;
    if (kind != Kind::object && kind != Kind::location)
        return std::nullopt;
    edit.container = container_within(index, first, last);
    if (edit.container < 0)
        return std::nullopt;
    const Kind other = kind == Kind::object ? Kind::location : Kind::object;
    Items items = items_of(index, other);
    const std::string why = "object " + std::to_string(edit.container) + " is a container, and location " +
                            std::to_string(edit.container) +
                            " holds what it contains: a container and the location of its number move together";
    if (op == Op::renumber && last >= items.count)
        return refusal(why + ", and there is no " + item(other, last));
    if (op == Op::remove && items.count == 1)
        return refusal(why + ", and an adventure needs at least one " + kind_words(other));
    if (op == Op::insert && items.count >= items.limit)
        return refusal(why + ", and there are " + std::to_string(items.count) + " " + kind_words(other, true) +
                       " already, as many as a database can hold");
    std::vector<int> numbers = numbering(items.count);
    edit.moves.push_back(Move{std::move(items), std::move(numbers)});
    return std::nullopt;
}

std::string linked_words(const Edit& edit) {
    if (edit.moves.size() < 2)
        return "";
    return "; " + kind_words(edit.moves[1].items.kind, true) + " of the same numbers with them, since object " +
           std::to_string(edit.container) + " is a container";
}

// Every definition's number and every reference that names a moved item.
void renumber_tokens(Builder& b, const SourceIndex& index, const Edit& edit) {
    for (const Move& m : edit.moves)
        for (const Part& part : m.items.parts)
            for (const Slot& slot : part.slots) {
                const int n = m.to[static_cast<std::size_t>(slot.number)];
                if (n >= 0 && n != slot.number)
                    b.number(slot.number_at, n, false);
            }
    for (const Reference& r : index.references())
        for (const Move& m : edit.moves)
            if (r.kind == m.items.kind && r.number >= 0 && static_cast<std::size_t>(r.number) < m.to.size()) {
                const int n = m.to[static_cast<std::size_t>(r.number)];
                if (n >= 0 && n != r.number)
                    b.number(r.at, n, true);
            }
}

std::optional<Refusal> whole(const TextMap& map, const Edit& edit, int first, int last) {
    for (const Move& m : edit.moves)
        for (const Part& part : m.items.parts)
            for (int n = std::max(first, 0); n <= last && n < static_cast<int>(part.slots.size()); ++n) {
                const Slot& slot = part.slots[static_cast<std::size_t>(n)];
                if (!slot.whole)
                    return refusal(item(m.items.kind, n) + " in " + part.section +
                                       " goes on in another file after a /LNK line, or begins in the middle of a "
                                       "line longer than 258 characters; move it by hand",
                                   {Remark{map.place(slot.number_at), "here"}});
            }
    return std::nullopt;
}

// The checks every edit of numbered items makes once its moves are known.
std::optional<Refusal> kept_rules(const TextMap& map, const Builder& b, const Edit& edit, int count_after) {
    for (const Move& m : edit.moves)
        if (m.items.kind == Kind::process)
            if (auto r = tables_still_read(map.index(), m.to, count_after))
                return r;
    return b.long_lines();
}

std::vector<Renumbering> renumberings(const Edit& edit, int inserted) {
    std::vector<Renumbering> moved;
    for (const Move& m : edit.moves)
        moved.push_back(Renumbering{m.items.kind, m.to, inserted});
    return moved;
}

bool adjacent(const Region& a, const Region& b) { return a.file == b.file && a.end == b.begin; }

// The slots from..to of a part take their new items: in each run of slots
// that follow one another, the item that enters the run is put at one end
// and the one that leaves it is taken from the other.
void rotate(Builder& b, const TextMap& map, const Part& part, int from, int to) {
    const int low = std::min(from, to), high = std::max(from, to);
    const auto region = [&](int n) { return region_of(map, part.slots[static_cast<std::size_t>(n)]); };
    for (int first = low; first <= high;) {
        int last = first;
        while (last < high && adjacent(region(last), region(last + 1)))
            ++last;
        if (from > to) {  // each slot takes the item before it; the lowest takes `from`
            const std::string entering = b.content(region(first == low ? from : first - 1));
            if (first == last) {
                b.put(region(first), entering);
            } else {
                b.insert_before(region(first), entering);
                b.remove(region(last), true);
            }
        } else {  // each slot takes the item after it; the highest takes `from`
            const std::string entering = b.content(region(last == high ? from : last + 1));
            if (first == last) {
                b.put(region(first), entering);
            } else {
                b.remove(region(first), true);
                b.insert_after(region(last), entering);
            }
        }
        first = last + 1;
    }
}

std::optional<Refusal> numbered_kind(Kind kind) {
    if (kind == Kind::sysmess || kind == Kind::message || kind == Kind::object || kind == Kind::location ||
        kind == Kind::process)
        return std::nullopt;
    return refusal("only system messages, messages, objects, locations, tables and flags are numbered");
}

// The lines of a new item in one section.
std::string new_item(const Part& part, int number, const std::vector<std::string>& text, char null_word,
                     const std::string& lb) {
    const std::string n = std::to_string(number);
    if (part.section == "/PRO")
        return "/PRO " + n + lb;
    if (part.section == "/CON")
        return "/" + n + lb;
    if (part.section == "/OBJ") {
        const std::string none(1, null_word);
        return "/" + n + " " + none + " 0 " + none + " " + none + " " + none + " " + none + lb;
    }
    std::string lines = "/" + n + lb;
    for (const std::string& line : text)
        lines += line + lb;
    return lines;
}

std::string what_to_do(const Part& part, Kind kind, int number, bool has_text, char null_word) {
    const std::string n = std::to_string(number);
    const std::string none(1, null_word);
    if (part.section == "/PRO")
        return "table " + n + " is new and empty: write its entries below this line";
    if (part.section == "/CON")
        return "location " + n + " is new and has no exits: add them below this line, and exits that lead to it";
    if (part.section == "/OBJ")
        return "object " + n + " is new: set its noun and adjective (" + none + " " + none + " now), where it starts (" +
               none + ", not created) and its weight (0)";
    return has_text ? "" : "the text of " + item(kind, number) + " is empty: write it below this line";
}

}  // namespace

Outcome renumber(const Sources& sources, Kind kind, int from, int to) {
    if (auto r = compiled_cleanly(sources))
        return *r;
    if (kind == Kind::flag)
        return renumber_flag(sources, from, to);
    if (auto r = numbered_kind(kind))
        return *r;
    TextMap map(sources.index, sources.texts);
    Edit edit(items_of(sources.index, kind));
    const Items& items = edit.moves.front().items;
    for (const int n : {from, to})
        if (auto r = movable(items, n))
            return *r;
    if (from == to)
        return Plan{{}, item(kind, from) + " keeps its number; nothing changed", {}, {}};
    const int low = std::min(from, to), high = std::max(from, to);
    const Numbering numbering = [&](int count) { return rotation(count, from, to); };
    edit.moves.front().to = numbering(items.count);
    if (auto r = link(sources.index, edit, low, high, Op::renumber, numbering))
        return *r;
    if (auto r = whole(map, edit, low, high))
        return *r;
    Builder b(map);
    renumber_tokens(b, sources.index, edit);
    if (auto r = kept_rules(map, b, edit, items.count))
        return *r;
    for (const Move& m : edit.moves)
        for (const Part& part : m.items.parts)
            rotate(b, map, part, from, to);
    const std::string between = from > to ? range(to, from - 1) : range(from + 1, to);
    const std::string now = from > to ? range(to + 1, from) : range(from, to - 1);
    Outcome outcome = b.finish(item(kind, from) + " is now " + std::to_string(to) + "; " + between +
                               (low + 1 == high ? " is now " : " are now ") + now + linked_words(edit));
    if (Plan* plan = std::get_if<Plan>(&outcome))
        plan->moved = renumberings(edit, -1);
    return outcome;
}

Outcome insert(const Sources& sources, Kind kind, int at, const std::string& text) {
    if (auto r = compiled_cleanly(sources))
        return *r;
    if (kind == Kind::flag)
        return refusal("a flag is not defined anywhere, so there is none to insert; any flag that nothing uses is free");
    if (auto r = numbered_kind(kind))
        return *r;
    if (kind == Kind::process && !text.empty())
        return refusal("a table has no text");
    std::vector<std::string> lines;
    if (auto r = text_lines(text, lines))
        return *r;
    TextMap map(sources.index, sources.texts);
    Edit edit(items_of(sources.index, kind));
    const Items& items = edit.moves.front().items;
    if (auto r = insertable(items, at))
        return *r;
    if (kind == Kind::process && at == items.count)
        return refusal("a table after the last would not be read, since no PROCESS names it; insert it before the last");
    const Numbering numbering = [&](int count) { return shifted(count, at, 1); };
    edit.moves.front().to = numbering(items.count);
    if (auto r = link(sources.index, edit, at, items.count - 1, Op::insert, numbering))
        return *r;
    if (auto r = whole(map, edit, at - 1, at))  // the new item's neighbours
        return *r;
    Builder b(map);
    renumber_tokens(b, sources.index, edit);
    if (auto r = kept_rules(map, b, edit, items.count + 1))
        return *r;
    const char null_word = sources.index.null_word();
    for (const Move& m : edit.moves)
        for (const Part& part : m.items.parts) {
            const int count = static_cast<int>(part.slots.size());
            const Slot& near = part.slots[static_cast<std::size_t>(std::min(at, count - 1))];
            const bool asked = &m == &edit.moves.front();
            const std::vector<std::string>& text_of_item = asked ? lines : std::vector<std::string>{};
            const std::string added = new_item(part, at, text_of_item, null_word, map.line_break(near.file));
            const Region next_to = region_of(map, near);
            const std::size_t mark = at < count ? b.insert_before(next_to, added) : b.insert_after(next_to, added);
            if (std::string todo = what_to_do(part, m.items.kind, at, !text_of_item.empty(), null_word); !todo.empty())
                b.todo(mark, std::move(todo));
        }
    std::string summary = "new " + item(kind, at);
    if (at < items.count)
        summary += "; " + range(at, items.count - 1) + (at + 1 == items.count ? " is now " : " are now ") +
                   range(at + 1, items.count);
    else
        summary += ", after the last";
    Outcome outcome = b.finish(summary + linked_words(edit));
    if (Plan* plan = std::get_if<Plan>(&outcome))
        plan->moved = renumberings(edit, at);
    return outcome;
}

Outcome remove(const Sources& sources, Kind kind, int number) {
    if (auto r = compiled_cleanly(sources))
        return *r;
    if (kind == Kind::flag)
        return refusal("a flag is not defined anywhere, so there is none to delete");
    if (auto r = numbered_kind(kind))
        return *r;
    TextMap map(sources.index, sources.texts);
    Edit edit(items_of(sources.index, kind));
    const Items& items = edit.moves.front().items;
    if (auto r = movable(items, number))
        return *r;
    if (items.count == 1)
        return refusal("an adventure needs at least one " + kind_words(kind));
    const Numbering numbering = [&](int count) {
        std::vector<int> numbers = shifted(count, number, -1);
        numbers[static_cast<std::size_t>(number)] = -1;
        return numbers;
    };
    edit.moves.front().to = numbering(items.count);
    if (auto r = link(sources.index, edit, number, items.count - 1, Op::remove, numbering))
        return *r;
    std::vector<Remark> uses;
    for (const Move& m : edit.moves)
        for (Remark& use : uses_of(map, m.items.kind, number))
            uses.push_back(std::move(use));
    if (!uses.empty())
        return refusal(item(kind, number) +
                           (edit.moves.size() > 1 ? " (and " + item(edit.moves[1].items.kind, number) + ", which goes with it)"
                                                  : "") +
                           " is still used: change these first",
                       std::move(uses));
    if (auto r = whole(map, edit, number, number))
        return *r;
    Builder b(map);
    renumber_tokens(b, sources.index, edit);
    if (auto r = kept_rules(map, b, edit, items.count - 1))
        return *r;
    for (const Move& m : edit.moves)
        for (const Part& part : m.items.parts)
            b.remove(region_of(map, part.slots[static_cast<std::size_t>(number)]), false);
    std::string summary = item(kind, number) + " deleted";
    if (number + 1 < items.count)
        summary += "; " + range(number + 1, items.count - 1) + (number + 2 == items.count ? " is now " : " are now ") +
                   range(number, items.count - 2);
    Outcome outcome = b.finish(summary + linked_words(edit));
    if (Plan* plan = std::get_if<Plan>(&outcome))
        plan->moved = renumberings(edit, -1);
    return outcome;
}

}  // namespace zel::edits
