// The connections of a database as a Graphviz DOT graph.
#include <map>
#include <sstream>

#include "dbtools/database_tools.h"
#include "dbtools/text_lines.h"

namespace zel::tool {

namespace {

constexpr std::size_t label_text = 30;  // characters of the location text in a label

std::string movement_word(const Database& db, unsigned number) {
    std::string w = db.word_for(number, is_movement_word);
    return w.empty() ? std::string("#").append(std::to_string(number)) : w;
}

}  // namespace

std::string dot_string(const std::string& text) {
    std::string out = "\"";
    for (char ch : text) {
        if (ch == '\n') {
            out += "\\n";
            continue;
        }
        if (ch == '"' || ch == '\\')
            out += '\\';
        out += ch;
    }
    return out + "\"";
}

void write_map(const Database& db, const std::string& name, std::ostream& out) {
    out << "digraph " << dot_string(name) << " {\n"
        << "  node [shape=box];\n";
    const auto& ltx = db.section(Section::ltx);
    for (std::size_t n = 0; n < db.locations.size(); ++n) {
        const std::string text = n < ltx.size() ? text_preview(db.expand(ltx[n]), label_text) : std::string();
        out << "  l" << n << " [label=" << dot_string(std::to_string(n) + ": " + text) << "];\n";
    }
    for (std::size_t n = 0; n < db.locations.size(); ++n) {
        // One edge per destination, labelled with every word that leads there.
        std::map<unsigned, std::string> edges;
        for (const Exit& e : db.locations[n].exits) {
            std::string& label = edges[e.destination];
            const std::string w = movement_word(db, e.word);
            if (label.empty())
                label = w;
            else if ((", " + label + ", ").find(", " + w + ", ") == std::string::npos)
                label += ", " + w;
        }
        for (const auto& [destination, label] : edges)
            out << "  l" << n << " -> l" << destination << " [label=" << dot_string(label) << "];\n";
    }
    out << "}\n";
}


}  // namespace zel::tool
