#include "lsp/links.h"

#include <algorithm>

#include "core/ascii.h"
#include "index/chain.h"

namespace zel::lsp {

namespace {

constexpr int source_not_found = 37;  // "%s not found"
constexpr int control_expected = 41;  // "/CTL expected"
constexpr int severity_warning = 2;

// A source file's name without its extension, as a link names it.
std::string stem(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

}  // namespace

// (The note that note_misspelt_links gave the link, for the nearest of the
// folder's files.)
const Diagnostic* link_misspelt_for(const Analysis& analysis, const std::string& name) {
    const std::string meant = "did you mean " + ascii_upper(stem(name)) + "?";
    for (const Diagnostic& d : analysis.index.kept)
        if (d.number == source_not_found &&
            std::any_of(d.notes.begin(), d.notes.end(), [&](const Note& note) { return note.message == meant; }))
            return &d;
    return nullptr;
}

bool begins_no_adventure(const Analysis& analysis) {
    return analysis.index.sections().empty() &&
           std::any_of(analysis.index.kept.begin(), analysis.index.kept.end(),
                       [](const Diagnostic& d) { return d.number == control_expected; });
}

void note_misspelt_links(Analysis& analysis, const std::vector<std::string>& sources) {
    std::vector<std::string> names;
    for (const std::string& source : sources)
        names.push_back(stem(source));
    for (Diagnostic& d : analysis.index.kept)
        if (d.number == source_not_found)
            if (std::optional<Note> note = misspelt_link(d, names))
                d.notes.push_back(std::move(*note));
}

json stray_diagnostics(const Analysis& analysis, const std::string& name, Encoding encoding) {
    json list = json::array();
    const Diagnostic* link = link_misspelt_for(analysis, name);
    if (!link || link->file_index < 0)
        return list;
    const std::string& linking = analysis.files.at(static_cast<std::size_t>(link->file_index)).source.uri;
    const std::string holder = linking.substr(linking.rfind('/') + 1);
    const std::string message = "this file is not read: the /LNK line of " + holder + " names " +
                                link->message.substr(0, link->message.find(' ')) + ", which is not found";
    // The whole link line, though the compiler reads a long one in pieces.
    const std::string_view line = analysis.files.at(static_cast<std::size_t>(link->file_index))
                                      .lines.line_text(analysis.index.editor_line(link->file_index, link->line));
    const Span at{link->file_index, link->line, 1, static_cast<unsigned>(line.size()) + 1};
    const json start{{"line", 0}, {"character", 0}};
    list.push_back(json{{"range", {{"start", start}, {"end", start}}},
                        {"severity", severity_warning},
                        {"source", "zelc"},
                        {"message", message},
                        {"relatedInformation", json::array({json{{"location", analysis.location(at, encoding)},
                                                                 {"message", "did you mean " + ascii_upper(stem(name)) + "?"}}})}});
    return list;
}

}  // namespace zel::lsp
