#include "lsp/diagnostics.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace zel::lsp {

namespace {

constexpr int severity_error = 1, severity_warning = 2, severity_information = 3;

json plain_diagnostic(const json& range, int severity, const std::string& message) {
    return json{{"range", range}, {"severity", severity}, {"source", "zelc"}, {"message", message}};
}

json whole_file_start() {
    return json{{"start", to_json({})}, {"end", to_json({})}};
}

// check's notes of a diagnostic, each a location and a message.
json related_information(const Analysis& analysis, const Diagnostic& d, Encoding encoding) {
    json related = json::array();
    for (const Note& note : d.notes) {
        Span at = note.at;
        if (at.begin == 0)
            at = Span{at.file, at.line, 1, static_cast<unsigned>(analysis.line_text(at.file, at.line).size()) + 1};
        related.push_back(json{{"location", analysis.location(at, encoding)}, {"message", note.message}});
    }
    return related;
}

// The span a lint finding is shown at: its token, at least one character
// wide; the whole line when it has no column.
Span finding_span(const Analysis& analysis, const analysis::Finding& f) {
    Span at = f.at;
    if (at.begin == 0) {
        at.begin = 1;
        at.end = static_cast<unsigned>(analysis.line_text(at.file, at.line).size()) + 1;
    } else if (at.end <= at.begin) {
        at.end = at.begin + 1;
    }
    return at;
}

void add_position(std::string& text, const Position& at) {
    text += R"({"character":)";
    text += std::to_string(at.character);
    text += R"(,"line":)";
    text += std::to_string(at.line);
    text += '}';
}

// Printable ASCII other than the quote and the backslash: what a JSON
// string holds as it is.
bool needs_no_escape(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return c >= 0x20 && c < 0x7f && c != '"' && c != '\\'; });
}

// A lint finding as JSON text: a warning or an information, its code the
// finding's name. Written directly, since a server publishes hundreds of
// them after every change, in the form serialize() gives the same object:
// the members in the order of their names, a message that needs escapes
// escaped by serialize() itself.
std::string finding_text(const analysis::Finding& f, const Position& start, const Position& end, Encoding encoding) {
    const int severity = f.severity == analysis::Severity::warning ? severity_warning : severity_information;
    std::string text;
    text.reserve(f.message.size() + 160);
    text += R"({"code":")";
    text += analysis::info(f.code).name;
    text += R"(","message":)";
    if (needs_no_escape(f.message))
        text.append(1, '"').append(f.message).append(1, '"');
    else
        text += serialize(json(f.message), encoding);
    text += R"(,"range":{"end":)";
    add_position(text, end);
    text += R"(,"start":)";
    add_position(text, start);
    text += R"(},"severity":)";
    text += std::to_string(severity);
    text += R"(,"source":"zeltool lint"})";
    return text;
}

// The editor's lines before a byte offset: a line ends at a line feed, a
// CR LF or a lone carriage return.
unsigned editor_lines_before(std::string_view text, std::size_t offset) {
    const std::string_view before = text.substr(0, std::min(offset, text.size()));
    auto lines = static_cast<unsigned>(std::count(before.begin(), before.end(), '\n'));
    for (std::size_t at = before.find('\r'); at != std::string_view::npos; at = before.find('\r', at + 1))
        if (at + 1 >= text.size() || text[at + 1] != '\n')
            ++lines;
    return lines;
}

// Where two texts differ, as editor lines: the first that changed, and
// the line of the end of the change in each.
struct Change {
    unsigned first = 0, old_last = 0, new_last = 0;
};

Change change_between(std::string_view before, std::string_view after) {
    std::size_t prefix = 0;
    while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix])
        ++prefix;
    std::size_t suffix = 0;
    while (suffix < before.size() - prefix && suffix < after.size() - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    return {editor_lines_before(before, prefix), editor_lines_before(before, before.size() - suffix),
            editor_lines_before(after, after.size() - suffix)};
}

unsigned moved_line(unsigned line, const Change& change) {
    if (line < change.first)
        return line;
    if (line > change.old_last)
        return line - change.old_last + change.new_last;
    return std::min(line, change.new_last);
}

}  // namespace

void write_findings(Analysis& analysis, Encoding encoding) {
    analysis.written_findings.clear();
    analysis.written_findings.reserve(analysis.findings.size());
    analysis.encoding = encoding;
    for (const analysis::Finding& f : analysis.findings) {
        WrittenFinding w{f.at.file, {}, {}, {}};
        analysis.editor_range(finding_span(analysis, f), encoding, w.start, w.end);
        w.text = finding_text(f, w.start, w.end, encoding);
        analysis.written_findings.push_back(std::move(w));
    }
}

std::vector<std::string> findings_of(const Analysis& analysis, int file) {
    std::vector<std::string> texts;
    for (const WrittenFinding& w : analysis.written_findings)
        if (w.file == file)
            texts.push_back(w.text);
    return texts;
}

std::vector<std::string> carried_findings(const Analysis& clean, const Analysis& now, int file, Encoding encoding) {
    std::vector<std::string> texts;
    const int before = clean.file_of(now.uri(file));
    if (before < 0 || clean.encoding != encoding)
        return texts;
    const auto& old_text = clean.files[static_cast<std::size_t>(before)].source.text;
    const auto& new_text = now.files[static_cast<std::size_t>(file)].source.text;
    Change change;
    if (old_text && new_text && old_text != new_text)
        change = change_between(*old_text, *new_text);
    for (std::size_t k = 0; k < clean.written_findings.size(); ++k) {
        const WrittenFinding& w = clean.written_findings[k];
        if (w.file != before)
            continue;
        const unsigned moved = moved_line(w.start.line, change);
        if (moved == w.start.line) {
            texts.push_back(w.text);
            continue;
        }
        const Position start{moved, w.start.character}, end{w.end.line - w.start.line + moved, w.end.character};
        texts.push_back(finding_text(clean.findings[k], start, end, encoding));
    }
    return texts;
}

Span shown_span(const Analysis& analysis, std::size_t k) {
    Span span = analysis.index.shown_at.at(k);
    if (span.begin == 0) {
        span.begin = 1;
        span.end = static_cast<unsigned>(analysis.line_text(span.file, span.line).size()) + 1;
    } else if (span.end <= span.begin) {
        span.end = span.begin + 1;
    }
    return span;
}

json diagnostic_json(const Analysis& analysis, std::size_t k, Encoding encoding) {
    const Diagnostic& d = analysis.index.kept.at(k);
    const Span at = shown_span(analysis, k);
    const json range = at.file >= 0 ? analysis.range(at, encoding) : whole_file_start();
    const bool error = d.severity == Diagnostic::Severity::error;
    json item = plain_diagnostic(range, error ? severity_error : severity_warning, d.message);
    if (error)
        item["code"] = d.number;
    const json related = related_information(analysis, d, encoding);
    if (!related.empty())
        item["relatedInformation"] = related;
    return item;
}

std::vector<std::string> diagnostic_texts(const Analysis& analysis, int file, Encoding encoding) {
    std::vector<std::string> texts;
    const bool first = file <= 0;
    if (file >= 0 && static_cast<std::size_t>(file) < analysis.files.size()) {
        const Document* document = analysis.files[static_cast<std::size_t>(file)].source.document;
        if (document && document->too_large)
            texts.push_back(serialize(plain_diagnostic(whole_file_start(), severity_warning,
                                                       "this document is too large for the language server; it reads as empty"),
                                      encoding));
    }
    const AnalysisIndex& index = analysis.index;
    for (std::size_t k = 0; k < index.kept.size(); ++k) {
        const int of = index.kept[k].file_index;
        if (of == file || (first && of < 0))
            texts.push_back(serialize(diagnostic_json(analysis, k, encoding), encoding));
    }
    if (first && index.dropped > 0)
        texts.push_back(serialize(plain_diagnostic(whole_file_start(), severity_information,
                                                   std::to_string(index.dropped) + " more diagnostics are not shown")));
    return texts;
}

std::string publication(const std::string& uri, const json& version, const std::vector<std::string>& diagnostics,
                        const std::vector<std::string>& findings) {
    std::string text = R"({"jsonrpc":"2.0","method":"textDocument/publishDiagnostics","params":{"uri":)";
    text += serialize(uri);
    if (!version.is_null())
        text += R"(,"version":)" + version.dump();
    text += R"(,"diagnostics":[)";
    bool more = false;
    for (const auto* list : {&diagnostics, &findings})
        for (const std::string& item : *list) {
            if (more)
                text += ',';
            text += item;
            more = true;
        }
    text += "]}}";
    return text;
}

}  // namespace zel::lsp
