// The checks of the map group: what the exits and GOTOs make of the world.
#include <algorithm>

#include "analysis/lint_checks.h"

namespace zel::analysis {

namespace {

const Span& location_span(const World& w, int n) {
    static const Span unknown;
    const auto i = static_cast<std::size_t>(n);
    if (w.texts[i])
        return w.texts[i]->at;
    return w.connections[i] ? w.connections[i]->at : unknown;
}

const Span& connections_span(const World& w, int n) {
    const auto i = static_cast<std::size_t>(n);
    return w.connections[i] ? w.connections[i]->at : location_span(w, n);
}

bool leads_to(const World& w, int from, int to) {
    const auto& exits = w.exits[static_cast<std::size_t>(from)];
    return std::any_of(exits.begin(), exits.end(), [to](const ExitDef* e) { return e->destination == to; });
}

void check_exits(const World& w, int n, const Selection& on, std::vector<Finding>& out) {
    for (const ExitDef* e : w.exits[static_cast<std::size_t>(n)]) {
        if (e->destination == n) {
            if (on.enabled(Code::self_exit))
                out.push_back(finding(Code::self_exit, e->word_at,
                                      "the exit " + e->text + " of " + location_title(w, n) + " leads back to it"));
        } else if (on.enabled(Code::one_way_exit) && !leads_to(w, e->destination, n)) {
            out.push_back(finding(Code::one_way_exit, e->word_at,
                                  "the exit " + e->text + " leads from location " + std::to_string(n) + " to " +
                                      location_title(w, e->destination) + ", and no exit of location " +
                                      std::to_string(e->destination) + " leads back"));
        }
    }
}

}  // namespace

std::string location_title(const World& w, int n) {
    const std::string name = place_name(w, n);
    return "location " + std::to_string(n) + (name.empty() ? "" : " (" + name + ")");
}

void check_map(const World& w, const Selection& on, std::vector<Finding>& out) {
    for (int n = 0; n < w.locations; ++n) {
        if (on.enabled(Code::unreachable_location) && w.unreachable(n))
            out.push_back(finding(Code::unreachable_location, location_span(w, n),
                                  location_title(w, n) + " cannot be reached from location " +
                                      std::to_string(w.start) + " through exits or GOTO"));
        if (on.enabled(Code::dead_end) && w.container[static_cast<std::size_t>(n)] < 0 && !w.has_way_out(n))
            out.push_back(finding(Code::dead_end, connections_span(w, n),
                                  location_title(w, n) + " has no exits, and no GOTO leads out of it"));
        check_exits(w, n, on, out);
    }
}

}  // namespace zel::analysis
