#include "lsp/diagnostics.h"

#include <string>

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

// A lint finding: a warning or an information, its code the finding's name.
json finding_json(const Analysis& analysis, const analysis::Finding& f, Encoding encoding) {
    Span at = f.at;
    if (at.begin == 0) {
        at.begin = 1;
        at.end = static_cast<unsigned>(analysis.line_text(at.file, at.line).size()) + 1;
    } else if (at.end <= at.begin) {
        at.end = at.begin + 1;
    }
    const int severity = f.severity == analysis::Severity::warning ? severity_warning : severity_information;
    json item{{"range", analysis.range(at, encoding)}, {"severity", severity}, {"source", "zeltool lint"},
              {"message", f.message}, {"code", analysis::info(f.code).name}};
    return item;
}

}  // namespace

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

json diagnostics_json(const Analysis& analysis, int file, Encoding encoding) {
    json list = json::array();
    const bool first = file <= 0;
    if (file >= 0 && static_cast<std::size_t>(file) < analysis.files.size()) {
        const Document* document = analysis.files[static_cast<std::size_t>(file)].source.document;
        if (document && document->too_large) {
            list.push_back(plain_diagnostic(whole_file_start(), severity_warning,
                                            "this document is too large for the language server; it reads as empty"));
        }
    }
    const AnalysisIndex& index = analysis.index;
    for (std::size_t k = 0; k < index.kept.size(); ++k) {
        const int of = index.kept[k].file_index;
        if (of == file || (first && of < 0))
            list.push_back(diagnostic_json(analysis, k, encoding));
    }
    for (const analysis::Finding& f : analysis.findings)
        if (f.at.file == file)
            list.push_back(finding_json(analysis, f, encoding));
    if (first && index.dropped > 0)
        list.push_back(plain_diagnostic(whole_file_start(), severity_information,
                                        std::to_string(index.dropped) + " more diagnostics are not shown"));
    return list;
}

}  // namespace zel::lsp
