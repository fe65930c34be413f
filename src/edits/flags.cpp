#include "edits/flags.h"

#include <algorithm>

#include "edits/builder.h"
#include "edits/items.h"
#include "edits/rules.h"
#include "format/opcodes.h"

namespace zel::edits {

Outcome renumber_flag(const Sources& sources, int from, int to) {
    TextMap map(sources.index, sources.texts);
    for (const int n : {from, to})
        if (n < 0 || n >= flag_count)
            return refusal("there is no flag " + std::to_string(n) + ": the flags are 0 to 255");
    std::vector<const Reference*> uses;
    for (const Reference& r : sources.index.references())
        if (r.kind == Kind::flag && r.number == from)
            uses.push_back(&r);
    if (uses.empty())
        return refusal("nothing uses flag " + std::to_string(from));
    if (from == to)
        return Plan{{}, "flag " + std::to_string(from) + " keeps its number; nothing changed", {}, {}};
    if (std::vector<Remark> taken = uses_of(map, Kind::flag, to); !taken.empty())
        return refusal("flag " + std::to_string(to) + " is in use: a flag moves only into a flag that nothing uses",
                       std::move(taken));
    std::vector<Remark> refusing;
    for (const Reference* r : uses)
        if (to == 38 && refuses_flag38(r->opcode))
            refusing.push_back(Remark{map.place(r->at), use_words(sources.index, *r) + " may not name flag 38"});
    if (!refusing.empty())
        return refusal("flag 38 may not be set, let or weighed into", std::move(refusing));
    Builder b(map);
    for (const Reference* r : uses)
        b.number(r->at, to, true);
    if (auto r = b.long_lines())
        return *r;
    Outcome outcome = b.finish("flag " + std::to_string(from) + " is now " + std::to_string(to));
    if (Plan* plan = std::get_if<Plan>(&outcome)) {
        std::vector<int> numbers(flag_count);
        for (int n = 0; n < flag_count; ++n)
            numbers[static_cast<std::size_t>(n)] = n;
        std::swap(numbers[static_cast<std::size_t>(from)], numbers[static_cast<std::size_t>(to)]);
        plan->moved.push_back(Renumbering{Kind::flag, std::move(numbers), -1});
    }
    return outcome;
}

}  // namespace zel::edits
