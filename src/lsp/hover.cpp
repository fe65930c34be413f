// Hover: what a number, a word or a name under the cursor stands for.
#include <sstream>

#include "format/format.h"
#include "format/opcodes.h"
#include "lsp/describe.h"
#include "lsp/features.h"

namespace zel::lsp {

namespace {

constexpr std::size_t most_uses_listed = 20;

void put_text(std::ostringstream& out, const TextDef* text) {
    if (!text) {
        out << "\n\nNo such text in this adventure.";
        return;
    }
    const std::string shown = readable_text(*text);
    const std::string fence = fence_for(shown);
    out << "\n\n" << fence << "text\n" << shown << "\n" << fence;
}

std::string about_text(const SourceIndex& index, Kind kind, int number) {
    std::ostringstream out;
    out << "**" << item_name({kind, number, -1}) << "**";
    put_text(out, index.text(kind, number));
    return out.str();
}

std::string about_location(const SourceIndex& index, int number) {
    std::ostringstream out;
    out << "**" << location_name(number) << "**";
    if (number >= loc_notcreated)
        return out.str();
    put_text(out, index.text(Kind::location, number));
    std::string exits;
    for (const ExitDef& e : index.exits())
        if (e.location == number)
            exits += (exits.empty() ? "" : ", ") + e.text + " to " + std::to_string(e.destination);
    if (!exits.empty())
        out << "\n\nExits: " << exits;
    return out.str();
}

std::string about_object(const SourceIndex& index, int number) {
    std::ostringstream out;
    out << "**object " << number << "**";
    put_text(out, index.text(Kind::object, number));
    if (const ObjectDef* o = index.object(number))
        out << "\n\n" << object_summary(index, *o);
    return out.str();
}

std::string about_process(const SourceIndex& index, int number) {
    const auto entries = index.entries_of(number);
    return "**process table " + std::to_string(number) + "**: " + std::to_string(entries.size()) +
           (entries.size() == 1 ? " entry" : " entries");
}

std::string about_word(const Analysis& analysis, int number, int type) {
    const SourceIndex& index = analysis.index;
    const auto words = index.words_numbered(number, type);
    if (number == static_cast<int>(no_word) || words.empty())
        return "**" + item_name({Kind::word, number, type}) + "**";
    std::ostringstream out;
    out << "**" << words.front()->word << "**: word " << number << ", " << type_name(words.front()->type);
    if (words.size() > 1) {
        out << "; synonyms";
        for (std::size_t i = 1; i < words.size(); ++i)
            out << (i > 1 ? ", " : " ") << words[i]->word;
    }
    const std::string line(analysis.line_text(words.front()->line.file, words.front()->line.line));
    if (!line.empty())
        out << "\n\n" << fence_for(line) << "\n" << line << "\n" << fence_for(line);
    return out.str();
}

// A flag has no definition: its uses are what there is to know.
std::string about_flag(const Analysis& analysis, int number) {
    const auto uses = analysis.index.references_to({Kind::flag, number, -1});
    std::ostringstream out;
    out << "**flag " << number << "**: used on " << uses.size() << (uses.size() == 1 ? " line" : " lines");
    std::string lines;
    for (std::size_t i = 0; i < uses.size() && i < most_uses_listed; ++i) {
        const Span& at = uses[i]->at;
        const std::string_view text = analysis.line_text(at.file, at.line);
        const std::size_t files = analysis.index.files().size();
        lines.append(static_cast<std::size_t>(at.file) < files ? analysis.index.files()[static_cast<std::size_t>(at.file)].found : "?")
            .append(":")
            .append(std::to_string(analysis.index.editor_line(at.file, at.line)))
            .append("  ")
            .append(text.substr(0, text.find(" ;")))
            .append("\n");
    }
    if (!lines.empty())
        out << "\n\n" << fence_for(lines) << "\n" << lines << fence_for(lines);
    if (uses.size() > most_uses_listed)
        out << "\n\nand " << uses.size() - most_uses_listed << " more";
    return out.str();
}

std::string about_condact(const CondactDef& c) {
    std::ostringstream out;
    out << "**" << opcode_table[c.opcode].name << "**: opcode " << c.opcode << "\n\n";
    const OpcodeRow& row = opcode_table[c.opcode];
    if (row.kind1 == kind_none)
        out << "No parameters.";
    else
        out << "Parameters: " << signature(c.opcode).substr(std::string(row.name).size() + 1) << ".";
    return out.str();
}

std::string about(const Analysis& analysis, const ItemKey& key) {
    const SourceIndex& index = analysis.index;
    switch (key.kind) {
    case Kind::sysmess:
    case Kind::message: return about_text(index, key.kind, key.number);
    case Kind::location: return about_location(index, key.number);
    case Kind::object: return about_object(index, key.number);
    case Kind::process: return about_process(index, key.number);
    case Kind::word: return about_word(analysis, key.number, key.type);
    case Kind::flag: return about_flag(analysis, key.number);
    default: return {};
    }
}

}  // namespace

json hover(const Analysis& analysis, int file, const Position& at, Encoding encoding) {
    const Hit hit = analysis.hit_at(file, at, encoding);
    std::string text;
    if (hit.what == Hit::What::condact) {
        const CondactDef& c = analysis.index.condacts()[hit.index];
        if (!reserved_opcode(c.opcode))
            text = about_condact(c);
    } else if (const auto key = analysis.index.key_of(hit)) {
        text = about(analysis, *key);
    }
    if (text.empty())
        return nullptr;
    return json{{"contents", {{"kind", "markdown"}, {"value", text}}}, {"range", analysis.range(hit.at, encoding)}};
}

}  // namespace zel::lsp
