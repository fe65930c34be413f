// Quick fixes for the diagnostics whose fix is plain from the token they
// point at: a blank missing before ";" (a comment glued to a number or
// word), and a misspelt vocabulary word, condition or action, or word type
// replaced by the nearest one the adventure knows.
#include <algorithm>
#include <cctype>

#include "format/format.h"
#include "format/opcodes.h"
#include "lsp/describe.h"
#include "lsp/diagnostics.h"
#include "lsp/features.h"

namespace zel::lsp {

namespace {

constexpr int not_in_vocabulary = 5, not_a_condact = 14, bad_word_type = 42;
constexpr std::size_t most_suggestions = 3;

std::string upper(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::toupper(c); });
    return out;
}

std::size_t edit_distance(const std::string& a, const std::string& b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t up = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = up;
        }
    }
    return row[b.size()];
}

// The names nearest to a word, closest first: at most one edit away for a
// short word, two for a longer one. Names are compared as wide as the
// compiler reads them.
std::vector<std::string> nearest(const std::string& word, const std::vector<std::string>& names, std::size_t width) {
    const std::string key = upper(word).substr(0, width);
    const std::size_t most = key.size() <= 3 ? 1 : 2;
    std::vector<std::pair<std::size_t, std::string>> close;
    for (const std::string& name : names) {
        const std::size_t d = edit_distance(key, upper(name).substr(0, width));
        if (d > 0 && d <= most)
            close.emplace_back(d, name);
    }
    std::stable_sort(close.begin(), close.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
    std::vector<std::string> found;
    for (const auto& [d, name] : close)
        if (found.size() < most_suggestions && std::find(found.begin(), found.end(), name) == found.end())
            found.push_back(name);
    return found;
}

std::vector<std::string> candidates_for(const Analysis& analysis, int number, std::size_t& width) {
    std::vector<std::string> names;
    if (number == not_in_vocabulary) {
        width = 5;
        for (const WordDef& w : analysis.index.words())
            names.push_back(w.word);
    } else if (number == not_a_condact) {
        width = 7;
        for (int op = 0; op < opcode_count; ++op)
            if (!reserved_opcode(op))
                names.push_back(opcode_table[op].name);
    } else if (number == bad_word_type) {
        width = 5;
        names.assign(std::begin(word_type_names), std::end(word_type_names));
    }
    return names;
}

json action(const std::string& title, const json& diagnostic, const std::string& uri, json range, const std::string& text) {
    json edit{{"range", std::move(range)}, {"newText", text}};
    return json{{"title", title},
                {"kind", "quickfix"},
                {"diagnostics", json::array({diagnostic})},
                {"edit", {{"changes", {{uri, json::array({edit})}}}}}};
}

void fixes_for(const Analysis& analysis, std::size_t k, Encoding encoding, json& actions) {
    const Diagnostic& d = analysis.index.kept[k];
    const Span& at = analysis.index.shown_at[k];
    if (at.begin == 0 || at.end <= at.begin)
        return;
    const std::string_view line = analysis.line_text(at.file, at.line);
    if (at.begin - 1 >= line.size())
        return;
    const std::string_view token = line.substr(at.begin - 1, at.end - at.begin);
    const json diagnostic = diagnostic_json(analysis, k, encoding);
    const std::string& uri = analysis.uri(at.file);
    const std::size_t semicolon = token.find(';');
    if (semicolon != std::string_view::npos && semicolon > 0) {
        const auto column = static_cast<unsigned>(at.begin + semicolon);
        actions.push_back(action("Insert a blank before ';'", diagnostic, uri,
                                 analysis.range(Span{at.file, at.line, column, column}, encoding), " "));
        return;
    }
    std::size_t width = 0;
    const std::vector<std::string> names = candidates_for(analysis, d.number, width);
    for (const std::string& name : nearest(std::string(token), names, width))
        actions.push_back(action("Replace with " + name, diagnostic, uri, analysis.range(at, encoding), name));
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
