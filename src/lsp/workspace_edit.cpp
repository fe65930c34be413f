#include "lsp/workspace_edit.h"

#include <algorithm>
#include <sstream>

#include "edits/source_text.h"

namespace zel::lsp {

namespace {

std::string file_name(const Analysis& analysis, int file) {
    const std::vector<SourceFile>& files = analysis.index.files();
    if (file < 0 || static_cast<std::size_t>(file) >= files.size())
        return "";
    return files[static_cast<std::size_t>(file)].found;
}

// The first error of an analysis and how many there are, as a refusal.
edits::Refusal errors_first(const Analysis& analysis) {
    const AnalysisIndex& index = analysis.index;
    std::size_t errors = 0;
    std::vector<edits::Remark> first;
    for (std::size_t k = 0; k < index.kept.size(); ++k) {
        const Diagnostic& d = index.kept[k];
        if (d.severity != Diagnostic::Severity::error || errors++ > 0)
            continue;
        const Span& at = index.shown_at[k];
        const edits::Place place{at.file, at.file < 0 ? 0 : index.editor_line(at.file, at.line),
                                 at.file < 0 ? 0 : index.editor_column(at.file, at.line, std::max(at.begin, 1u))};
        first.push_back({place, "error " + std::to_string(d.number) + ": " + d.message});
    }
    if (errors == 0 && index.dropped == 0)
        return edits::Refusal{"the compiler did not read the whole adventure, and an edit needs a compilation "
                              "without errors",
                              {}};
    const std::string count = (index.dropped > 0 ? "more than " : "") + std::to_string(errors);
    return edits::Refusal{"the source has " + count + (errors == 1 && index.dropped == 0 ? " error" : " errors") +
                              ", and an edit could miss a reference in a line the compiler could not read; "
                              "correct " + (errors == 1 ? "it" : "them") + " first",
                          std::move(first)};
}

json text_edit(const LineMap& lines, const edits::Replacement& r, Encoding encoding) {
    return json{{"range",
                 {{"start", to_json(lines.position_at(r.offset, encoding))},
                  {"end", to_json(lines.position_at(r.offset + r.length, encoding))}}},
                {"newText", r.text}};
}

// A file from disk in a one-byte character set: the editor decodes it as it
// sees fit, and bytes that are not UTF-8 cannot be sent back in JSON
// without being changed. Tokens are ASCII; only lines that move carry the
// file's own bytes.
void refuse_unsendable(const EditSources& sources, const edits::Replacement& r) {
    const std::string& text = sources.texts()[static_cast<std::size_t>(r.file)];
    refuse(sources.analysis(),
           edits::Refusal{"the edit would move lines of " + file_name(sources.analysis(), r.file) +
                              " that are not UTF-8 text, which the editor could change on the way; make it with "
                              "zeltool on the command line",
                          {{edits::place_in(text, r.file, r.offset), "here"}}});
}

}  // namespace

EditSources::EditSources(const Analysis& analysis) : analysis_(analysis) {
    if (analysis.errors)
        refuse(analysis, errors_first(analysis));
    texts_.reserve(analysis.files.size());
    for (std::size_t f = 0; f < analysis.files.size(); ++f) {
        const ServedSource& source = analysis.files[f].source;
        if (!source.text || (source.document && source.document->too_large))
            throw RequestFailed(file_name(analysis, static_cast<int>(f)) +
                                " is larger than the server keeps; make the edit with zeltool on the command line");
        texts_.push_back(*source.text);
    }
}

void refuse(const Analysis& analysis, const edits::Refusal& refusal) {
    std::ostringstream message;
    message << refusal.reason;
    for (const edits::Remark& remark : refusal.places) {
        message << "\n" << file_name(analysis, remark.at.file);
        if (remark.at.line > 0)
            message << ':' << remark.at.line << ':' << std::max(remark.at.column, 1u);
        message << ": " << remark.text;
    }
    throw RequestFailed(message.str());
}

json workspace_edit(const EditSources& sources, const edits::Outcome& outcome, const EditOptions& options) {
    const Analysis& analysis = sources.analysis();
    if (const edits::Refusal* refusal = std::get_if<edits::Refusal>(&outcome))
        refuse(analysis, *refusal);
    const edits::Plan& plan = std::get<edits::Plan>(outcome);
    if (!plan.replacements.empty())
        if (std::optional<edits::Refusal> fault = edits::check_edited(analysis.index, edits::apply(plan, sources.texts())))
            refuse(analysis, *fault);
    json changes = json::object(), document_changes = json::array();
    // The replacements come by file, and by offset within each.
    for (std::size_t i = 0; i < plan.replacements.size();) {
        const int file = plan.replacements[i].file;
        const AnalysedFile& analysed = analysis.files.at(static_cast<std::size_t>(file));
        json edits = json::array();
        for (; i < plan.replacements.size() && plan.replacements[i].file == file; ++i) {
            const edits::Replacement& r = plan.replacements[i];
            if (options.encoding != Encoding::bytes && !valid_utf8(r.text))  // a client of bytes takes every byte
                refuse_unsendable(sources, r);
            edits.push_back(text_edit(analysed.lines, r, options.encoding));
        }
        const ServedSource& source = analysed.source;
        if (options.versioned)
            document_changes.push_back(
                {{"textDocument",
                  {{"uri", source.uri}, {"version", source.document ? json(source.document->version) : json(nullptr)}}},
                 {"edits", std::move(edits)}});
        else
            changes[source.uri] = std::move(edits);
    }
    return options.versioned ? json{{"documentChanges", std::move(document_changes)}}
                             : json{{"changes", std::move(changes)}};
}

}  // namespace zel::lsp
