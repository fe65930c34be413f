#include "analysis/source_map.h"

#include <map>
#include <sstream>
#include <vector>

#include "format/format.h"
#include "dbtools/database_tools.h"
#include "dbtools/text_lines.h"

namespace zel::analysis {

namespace {

using tool::dot_string;

constexpr std::size_t object_text = 30;  // characters of an object's text in a label

// Labels are kept to printable ASCII, whatever bytes the notes hold.
std::string printable(const std::string& s) {
    std::string out;
    for (char ch : s) {
        const auto u = static_cast<unsigned char>(ch);
        out.push_back(u >= 32 && u < 127 ? ch : '?');
    }
    return out;
}

std::string node(int n) { return std::string("l").append(std::to_string(n)); }

std::string join(const std::vector<std::string>& items, const char* separator) {
    std::string out;
    for (const std::string& item : items)
        out += (out.empty() ? "" : separator) + item;
    return out;
}

void add_once(std::vector<std::string>& items, const std::string& item) {
    for (const std::string& i : items)
        if (i == item)
            return;
    items.push_back(item);
}

class MapWriter {
public:
    MapWriter(const SourceIndex& index, const World& world, const MapOptions& options, std::ostream& out)
        : index_(index), w_(world), options_(options), out_(out) {}

    void write() {
        out_ << "digraph " << dot_string(options_.name) << " {\n  node [shape=box];\n";
        for (int n = 0; n < w_.locations; ++n)
            write_location(n);
        write_containers();
        for (int n = 0; n < w_.locations; ++n)
            write_exits(n);
        write_gotos();
        if (options_.objects)
            write_player();
        out_ << "}\n";
    }

private:
    std::string object_title(const ObjectDef& o) const {
        const TextDef* t = index_.text(Kind::object, o.object);
        return std::to_string(o.object) + ": " + (t ? tool::text_preview(t->text, object_text) : std::string());
    }

    void write_location(int n) {
        std::string label = std::to_string(n) + ": " + printable(place_name(w_, n));
        if (options_.objects)
            for (const ObjectDef& o : index_.objects())
                if (o.location == n)
                    label += "\n- object " + object_title(o);
        out_ << "  " << node(n) << " [label=" << dot_string(label);
        if (n == w_.start)
            out_ << ", peripheries=2, penwidth=2";
        if (w_.unreachable(n))
            out_ << ", style=filled, fillcolor=lightgrey";
        out_ << "];\n";
    }

    // Each container's inside goes in a box named after the container, tied
    // to where the container starts.
    void write_containers() {
        for (const ObjectDef& o : index_.objects()) {
            if (!o.container || !w_.valid(o.object))
                continue;
            out_ << "  subgraph cluster_object" << o.object << " {\n    label="
                 << dot_string("inside object " + object_title(o)) << ";\n    style=rounded;\n    "
                 << node(o.object) << ";\n  }\n";
            if (w_.valid(o.location))
                out_ << "  " << node(o.location) << " -> " << node(o.object) << " [style=dotted, arrowhead=none];\n";
        }
    }

    // The words of the exits from one location to another, whole and each once.
    std::vector<std::string> exit_words(int from, int to) const {
        std::vector<std::string> words;
        for (const ExitDef* e : w_.exits[static_cast<std::size_t>(from)])
            if (e->destination == to)
                add_once(words, printable(w_.spellings.full(e->text)));
        return words;
    }

    void write_exits(int from) {
        std::vector<int> destinations;
        for (const ExitDef* e : w_.exits[static_cast<std::size_t>(from)]) {
            bool seen = false;
            for (int d : destinations)
                seen = seen || d == e->destination;
            if (!seen)
                destinations.push_back(e->destination);
        }
        for (int to : destinations) {
            const std::string there = join(exit_words(from, to), ", ");
            const std::vector<std::string> back = to == from ? std::vector<std::string>{} : exit_words(to, from);
            if (!back.empty() && to < from)
                continue;  // drawn with the pair, from the lower number
            out_ << "  " << node(from) << " -> " << node(to);
            if (back.empty())
                out_ << " [label=" << dot_string(there) << "];\n";
            else
                out_ << " [dir=both, taillabel=" << dot_string(there) << ", headlabel=" << dot_string(join(back, ", "))
                     << "];\n";
        }
    }

    void write_gotos() {
        std::map<std::pair<int, int>, std::vector<std::string>> edges;
        for (const Goto& g : w_.gotos) {
            std::string words = g.entry ? printable(w_.spellings.entry_words(*g.entry)) : std::string();
            if (words.empty())
                words = "table " + std::to_string(g.action->table);
            add_once(edges[{g.from, g.to}], words);
        }
        if (!edges.empty() && edges.begin()->first.first < 0)  // sorted: "anywhere" first
            out_ << "  anywhere [shape=plaintext, label=\"(any location)\"];\n";
        for (const auto& [key, labels] : edges)
            out_ << "  " << (key.first < 0 ? "anywhere" : node(key.first)) << " -> " << node(key.second)
                 << " [style=dashed, label=" << dot_string(join(labels, "\n")) << "];\n";
    }

    // Where the objects that are nowhere on the map start.
    void write_player() {
        std::string carried, missing;
        for (const ObjectDef& o : index_.objects()) {
            if (o.location == loc_carried || o.location == loc_worn)
                carried += "\n- object " + object_title(o) + (o.location == loc_worn ? " (worn)" : "");
            if (o.location == loc_notcreated)
                missing += "\n- object " + object_title(o);
        }
        if (!carried.empty())
            out_ << "  player [shape=note, label=" << dot_string("carried at the start:" + carried) << "];\n";
        if (!missing.empty())
            out_ << "  notcreated [shape=note, label=" << dot_string("not created at the start:" + missing) << "];\n";
    }

    const SourceIndex& index_;
    const World& w_;
    const MapOptions& options_;
    std::ostream& out_;
};

}  // namespace

std::string source_map(const SourceIndex& index, const World& world, const MapOptions& options) {
    std::ostringstream out;
    MapWriter(index, world, options, out).write();
    return out.str();
}

}  // namespace zel::analysis
