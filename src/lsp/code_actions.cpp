// Quick fixes for the notes of check that name their own edit: a blank
// missing before ";" (a comment glued to a number or word), and the word,
// name or linked file meant where the compiler found one it does not know
// ("did you mean NORTH?").
#include <string>

#include "lsp/diagnostics.h"
#include "lsp/features.h"

namespace zel::lsp {

namespace {

const std::string blank_needed = "a comment needs a blank before ';'";
const std::string did_you_mean = "did you mean ";

json action(const std::string& title, const json& diagnostic, const std::string& uri, json range, const std::string& text) {
    json edit{{"range", std::move(range)}, {"newText", text}};
    return json{{"title", title},
                {"kind", "quickfix"},
                {"diagnostics", json::array({diagnostic})},
                {"isPreferred", true},
                {"edit", {{"changes", {{uri, json::array({edit})}}}}}};
}

bool letter_or_digit(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); }

// The name a "did you mean NAME?" note suggests; empty for any other note.
std::string suggestion(const std::string& note) {
    if (note.rfind(did_you_mean, 0) != 0)
        return {};
    const std::size_t end = note.find('?', did_you_mean.size());
    return end == std::string::npos ? std::string() : note.substr(did_you_mean.size(), end - did_you_mean.size());
}

void fixes_for(const Analysis& analysis, std::size_t k, Encoding encoding, json& actions) {
    const Diagnostic& d = analysis.index.kept[k];
    const Span& at = analysis.index.shown_at[k];
    if (at.file < 0)
        return;
    const std::string& uri = analysis.uri(at.file);
    for (const Note& note : d.notes) {
        if (note.message == blank_needed && note.at.file == at.file && note.at.begin > 0) {
            const Span place{note.at.file, note.at.line, note.at.begin, note.at.begin};
            actions.push_back(action("Insert a blank before ';'", diagnostic_json(analysis, k, encoding), uri,
                                     analysis.range(place, encoding), " "));
        }
        const std::string name = suggestion(note.message);
        if (name.empty())
            continue;
        // The word as far as it is letters and digits: what the compiler
        // read. A link to a file not found has no column; its note has, at
        // the name on the link line.
        const unsigned begin = at.begin == 0 ? note.at.begin : at.begin;
        if (begin == 0)
            continue;
        const std::string_view line = analysis.line_text(at.file, at.line);
        unsigned end = begin;
        while (end <= line.size() && letter_or_digit(line[end - 1]))
            ++end;
        if (end > begin)
            actions.push_back(action("Replace with " + name, diagnostic_json(analysis, k, encoding), uri,
                                     analysis.range(Span{at.file, at.line, begin, end}, encoding), name));
    }
}

}  // namespace

json code_actions(const Analysis& analysis, int file, const json& range, Encoding encoding) {
    const Position from{range.at("start").at("line").get<unsigned>(), range.at("start").at("character").get<unsigned>()};
    const Position to{range.at("end").at("line").get<unsigned>(), range.at("end").at("character").get<unsigned>()};
    const unsigned first = analysis.compiler_place(file, from, encoding).line;
    const unsigned last = analysis.compiler_place(file, to, encoding).line;
    json actions = json::array();
    const AnalysisIndex& index = analysis.index;
    for (std::size_t k = 0; k < index.kept.size(); ++k) {
        const Span& at = index.shown_at[k];
        if (at.file == file && at.line >= first && at.line <= last)
            fixes_for(analysis, k, encoding, actions);
    }
    return actions;
}

}  // namespace zel::lsp
