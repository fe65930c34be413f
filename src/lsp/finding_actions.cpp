// Code actions beside the quick fixes of check's notes:
// - for every lint finding, its code disabled by a ;zel-lint: comment on the
//   line before, or for the whole file at its top;
// - for error 23 ("/5 expected") on an item line whose number is a plain
//   number and whose line has no other fault, that number made the one
//   expected (a plain edit: with an error in the source there is no index
//   to renumber from);
// - for an unused word, its /VOC line removed, and for the last message when
//   nothing prints it, its text removed; nothing else refers to either, and
//   no item after them needs a new number.
#include <string>

#include "analysis/suppress.h"
#include "lsp/catalog.h"
#include "lsp/diagnostics.h"
#include "lsp/features.h"

namespace zel::lsp {

namespace {

constexpr int misnumbered_item = 23;  // "/%d expected"

struct Place {
    const Analysis& analysis;
    int file;
    Encoding encoding;

    const std::string& uri() const { return analysis.uri(file); }
    // The start of the editor line that holds a compiler line.
    json line_start(unsigned line) const {
        const unsigned editor = analysis.range(Span{file, line, 1, 1}, encoding)["start"]["line"];
        return to_json(Position{editor, 0});
    }
    // Whole editor lines, from the one of compiler line `first` to the one of `last`.
    json whole_lines(unsigned first, unsigned last) const {
        const unsigned end = analysis.range(Span{file, last, 1, 1}, encoding)["start"]["line"];
        return json{{"start", line_start(first)}, {"end", to_json(Position{end + 1, 0})}};
    }
    // The line break the file uses: CR LF when its first line ends so.
    std::string line_break() const {
        const std::shared_ptr<const std::string>& text = analysis.files.at(static_cast<std::size_t>(file)).source.text;
        const std::size_t lf = text ? text->find('\n') : std::string::npos;
        return lf != std::string::npos && lf > 0 && (*text)[lf - 1] == '\r' ? "\r\n" : "\n";
    }
};

json action(const Place& place, const std::string& title, json range, const std::string& text, json diagnostics,
            bool preferred = false) {
    json edit{{"range", std::move(range)}, {"newText", text}};
    json result{{"title", title}, {"kind", "quickfix"}, {"edit", {{"changes", {{place.uri(), json::array({edit})}}}}}};
    if (!diagnostics.empty())
        result["diagnostics"] = std::move(diagnostics);
    if (preferred)
        result["isPreferred"] = true;
    return result;
}

// The diagnostics of the request's context that show a finding: its code on
// its line.
json shown_in(const json& context, const char* code, unsigned editor_line) {
    json found = json::array();
    if (!context.is_object() || !context.contains("diagnostics") || !context["diagnostics"].is_array())
        return found;
    for (const json& d : context["diagnostics"]) {
        const json start = d.is_object() && d.contains("range") && d["range"].is_object() && d["range"].contains("start")
                               ? d["range"]["start"]
                               : json();
        if (start.is_object() && d.value("code", json()) == code && start.value("line", -1L) == static_cast<long>(editor_line))
            found.push_back(d);
    }
    return found;
}

const WordDef* word_at(const SourceIndex& index, const Span& at) {
    for (const WordDef& w : index.words())
        if (w.at.file == at.file && w.at.line == at.line && w.at.begin == at.begin)
            return &w;
    return nullptr;
}

// The removal of what a finding says is unused, when it is safe.
void removal(const Place& place, const analysis::Finding& f, const json& shown, json& actions) {
    const SourceIndex& index = place.analysis.index;
    if (f.code == analysis::Code::unused_word) {
        const WordDef* w = word_at(index, f.at);
        if (w && index.references_to({Kind::word, w->number, w->type}).empty())
            actions.push_back(action(place, "Remove the unused word " + w->word, place.whole_lines(w->line.line, w->line.line),
                                     "", shown));
    } else if (f.code == analysis::Code::unused_message) {
        const Catalog& catalog = place.analysis.catalog();
        const int last = catalog.count(Kind::message) - 1;
        const TextDef* t = catalog.text(Kind::message, last);
        if (t && t->at.file == f.at.file && t->at.line == f.at.line && index.references_to({Kind::message, last, -1}).empty())
            actions.push_back(action(place, "Remove the unused message " + std::to_string(last),
                                     place.whole_lines(t->at.line, std::max(t->at.line, t->last_line)), "", shown));
    }
}

void finding_fixes(const Place& place, const analysis::Finding& f, const json& context, json& actions) {
    const char* code = analysis::info(f.code).name;
    const unsigned editor_line = place.line_start(f.at.line)["line"];
    const json shown = shown_in(context, code, editor_line);
    const std::string br = place.line_break();
    const json before = place.line_start(f.at.line);
    actions.push_back(action(place, std::string("Disable ") + code + " for this line", json{{"start", before}, {"end", before}},
                             analysis::suppression_comment(f.code, false) + br, shown));
    const json top = to_json(Position{});
    actions.push_back(action(place, std::string("Disable ") + code + " in this file", json{{"start", top}, {"end", top}},
                             analysis::suppression_comment(f.code, true) + br, shown));
    removal(place, f, shown, actions);
}

bool plain_number(std::string_view text) {
    if (text.empty())
        return false;
    for (const char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// Whether a diagnostic follows from the fault of a line: check's note on it
// points there (a section that error 23 ended early, and the next header
// expected on that line).
bool follows_from(const Diagnostic& d, const Span& line) {
    for (const Note& note : d.notes)
        if (note.at.file == line.file && note.at.line == line.line)
            return true;
    return false;
}

// Error 23 on an item line, whose first token is "/" and a number: that
// token made the one the message expects, when nothing else is wrong on the
// line.
void renumbering(const Place& place, std::size_t k, json& actions) {
    const AnalysisIndex& index = place.analysis.index;
    const Diagnostic& d = index.kept[k];
    const Span& at = index.shown_at[k];
    if (d.number != misnumbered_item || at.begin == 0 || at.end <= at.begin + 1)
        return;
    for (std::size_t other = 0; other < index.kept.size(); ++other)
        if (other != k && index.shown_at[other].file == at.file && index.shown_at[other].line == at.line &&
            !follows_from(index.kept[other], at))
            return;
    const std::string_view line = place.analysis.line_text(at.file, at.line);
    if (at.end - 1 > line.size())
        return;
    const std::string_view token = line.substr(at.begin - 1, at.end - at.begin);
    const std::string expected = d.message.substr(0, d.message.find(' '));
    if (token[0] != '/' || !plain_number(token.substr(1)) || expected.size() < 2 || !plain_number(expected.substr(1)))
        return;
    actions.push_back(action(place, "Renumber to " + expected, place.analysis.range(at, place.encoding), expected,
                             json::array({diagnostic_json(place.analysis, k, place.encoding)}), true));
}

}  // namespace

json finding_actions(const Analysis& analysis, int file, const json& range, const json& context, Encoding encoding) {
    const Position from{range.at("start").at("line").get<unsigned>(), range.at("start").at("character").get<unsigned>()};
    const Position to{range.at("end").at("line").get<unsigned>(), range.at("end").at("character").get<unsigned>()};
    const unsigned first = analysis.compiler_place(file, from, encoding).line;
    const unsigned last = analysis.compiler_place(file, to, encoding).line;
    const Place place{analysis, file, encoding};
    json actions = json::array();
    for (const analysis::Finding& f : analysis.findings)
        if (f.at.file == file && f.at.line >= first && f.at.line <= last)
            finding_fixes(place, f, context, actions);
    const AnalysisIndex& index = analysis.index;
    for (std::size_t k = 0; k < index.kept.size(); ++k)
        if (index.shown_at[k].file == file && index.shown_at[k].line >= first && index.shown_at[k].line <= last)
            renumbering(place, k, actions);
    return actions;
}

}  // namespace zel::lsp
