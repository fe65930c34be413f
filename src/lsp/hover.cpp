// Hover: what a number, a word or a name under the cursor stands for.
#include <sstream>

#include "analysis/figures.h"
#include "format/format.h"
#include "format/opcodes.h"
#include "lsp/catalog.h"
#include "lsp/describe.h"
#include "lsp/features.h"
#include "lsp/parameters.h"
#include "lsp/typed_line.h"

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

std::string count_of(int n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// A process table: its entries, their limit beside this vocabulary, and why
// it is compiled.
std::string about_table(const Analysis& analysis, int number) {
    const SourceIndex& index = analysis.index;
    const unsigned room = analysis::buffer_room(static_cast<unsigned>(index.words().size()));
    const unsigned most = (room + static_cast<unsigned>(entry_record_size) - 1) / static_cast<unsigned>(entry_record_size);
    std::ostringstream out;
    out << "**/PRO " << number << "**: process table " << number << ", "
        << count_of(analysis.catalog().entries(number), "entry", "entries") << " (at most " << most << " beside "
        << count_of(static_cast<int>(index.words().size()), "vocabulary word", "vocabulary words") << ")";
    const std::size_t callers = index.references_to({Kind::process, number, -1}).size();
    if (number <= 2)
        out << "\n\nTables 0, 1 and 2 are always compiled.";
    else
        out << "\n\nCompiled because a PROCESS names this table or a higher one (PROCESS " << number << ": "
            << count_of(static_cast<int>(callers), "line", "lines") << ").";
    return out.str();
}

// What a section holds, how many items it has and its limit.
std::string about_section(const Analysis& analysis, const SectionDef& s) {
    const Catalog& catalog = analysis.catalog();
    const SourceIndex& index = analysis.index;
    const std::string& h = s.header;
    const std::string title = "**" + h + "**: ";
    if (h == "/PRO")
        return about_table(analysis, s.number);
    if (h == "/CTL")
        return title + "the null word character" + (null_word(analysis).empty() ? "" : ": `" + null_word(analysis) + "`");
    if (h == "/VOC")
        return title + "the vocabulary, " + count_of(static_cast<int>(index.words().size()), "word", "words") +
               " (at most " + std::to_string(vocab_capacity) + ")";
    if (h == "/STX")
        return title + "system messages, " + std::to_string(catalog.count(Kind::sysmess)) + " (at least " +
               std::to_string(fewest_sysmess) + ", at most " + std::to_string(most_sysmess) + ")";
    if (h == "/MTX")
        return title + "messages, " + std::to_string(catalog.count(Kind::message)) + " (at most " +
               std::to_string(most_messages) + ")";
    if (h == "/OTX")
        return title + "object texts, one per object: " + std::to_string(catalog.count(Kind::object)) +
               " (at most " + std::to_string(most_objects) + ")";
    if (h == "/LTX")
        return title + "location texts, one per location: " + std::to_string(catalog.count(Kind::location)) +
               " (at most " + std::to_string(most_locations) + ")";
    if (h == "/CON")
        return title + "the exits of each location: " + std::to_string(index.connections().size()) + " of " +
               count_of(catalog.count(Kind::location), "location", "locations");
    if (h == "/OBJ")
        return title + "where each object starts, its weight and words: " + std::to_string(index.objects().size()) +
               " of " + count_of(catalog.count(Kind::object), "object", "objects");
    return {};
}

// A percentage or value parameter: its range, and the flag it goes with.
std::string about_number(const Analysis& analysis, const Reference& r) {
    std::ostringstream out;
    const bool chance = r.opcode >= 0 && std::string_view(opcode_table[r.opcode].name) == "CHANCE";
    if (r.kind == Kind::percent) {
        out << "**" << r.number << "%**: " << allowed_values(analysis, kind_percent, r.opcode);
        if (chance)
            out << "\n\nCHANCE " << r.number << " holds by chance, about " << r.number << " times in 100.";
        return out.str();
    }
    out << "**value " << r.number << "**: " << allowed_values(analysis, kind_value, r.opcode);
    if (r.opcode >= 0)
        out << "\n\nParameter " << r.param + 1 << " of " << signature(r.opcode);
    for (const CondactDef& c : analysis.index.condacts())
        if (c.name.file == r.at.file && c.name.line == r.at.line)
            for (int i = 0; i < c.params && i < 2; ++i)
                if (c.kind[i] == kind_flag)
                    out << "; with flag " << c.value[i] << ", used on "
                        << count_of(static_cast<int>(analysis.index.references_to({Kind::flag, c.value[i], -1}).size()), "line",
                                    "lines");
    return out.str();
}

// A section header or a /LNK line of a compiler line, and its span.
std::string about_header_line(const Analysis& analysis, int file, unsigned line, Span& at) {
    for (const SectionDef& s : analysis.index.sections())
        if (s.at.file == file && s.at.line == line) {
            at = s.at;
            return about_section(analysis, s);
        }
    for (const SourceFile& f : analysis.index.files())
        if (f.link.file == file && f.link.line == line) {
            at = f.link;
            return "**/LNK**: the source goes on in " + f.found;
        }
    return {};
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
    Span shown = hit.at;
    if (hit.what == Hit::What::condact) {
        const CondactDef& c = analysis.index.condacts()[hit.index];
        if (!reserved_opcode(c.opcode))
            text = about_condact(c);
    } else if (hit.what == Hit::What::reference &&
               (analysis.index.references()[hit.index].kind == Kind::percent ||
                analysis.index.references()[hit.index].kind == Kind::value)) {
        text = about_number(analysis, analysis.index.references()[hit.index]);
    } else if (const auto key = analysis.index.key_of(hit)) {
        text = about(analysis, *key);
    } else if (hit.what == Hit::What::none) {
        text = about_header_line(analysis, file, analysis.compiler_place(file, at, encoding).line, shown);
    }
    if (text.empty())
        return nullptr;
    return json{{"contents", {{"kind", "markdown"}, {"value", text}}}, {"range", analysis.range(shown, encoding)}};
}

}  // namespace zel::lsp
