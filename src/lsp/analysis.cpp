#include "lsp/analysis.h"

#include <algorithm>

#include "analysis/compiled.h"
#include "analysis/figures.h"
#include "core/memory_files.h"
#include "format/format.h"
#include "lsp/catalog.h"

namespace zel::lsp {

namespace {

constexpr int source_not_found = 37;  // "%s not found"

bool has_errors(const AnalysisIndex& index) {
    return index.dropped > 0 || std::any_of(index.kept.begin(), index.kept.end(), [](const Diagnostic& d) {
               return d.severity == Diagnostic::Severity::error;
           });
}

}  // namespace

void AnalysisIndex::report(const Diagnostic& d) {
    if (kept.size() >= most_diagnostics) {
        ++dropped;
        return;
    }
    Diagnostic annotated = d;
    if (hints_.annotate(annotated))
        keep(std::move(annotated));
}

void AnalysisIndex::line_split(const LineSplit& split) {
    SourceIndex::line_split(split);
    if (kept.size() >= most_diagnostics)
        return;
    if (std::optional<Diagnostic> warning = hints_.split_warning(split))
        keep(std::move(*warning));
}

void AnalysisIndex::referenced(const Reference& r) {
    SourceIndex::referenced(r);
    hints_.referenced(r);
}

void AnalysisIndex::keep(Diagnostic d) {
    Span at{d.file_index, d.line, d.column > 0 ? static_cast<unsigned>(d.column) : 0u,
            d.end_column > 0 ? static_cast<unsigned>(d.end_column) : 0u};
    if (!d.has_line) {
        // A linked file that cannot be opened: the link line is still the
        // current line of the file that holds it.
        // Any other belongs to the section it arose in, which may have
        // begun in a file before the one open now; before any section, to
        // the start of the file.
        if (d.number == source_not_found && d.line > 0)
            at = Span{d.file_index, d.line, 0, 0};
        else if (section_.file >= 0)
            at = Span{section_.file, section_.line, 0, 0};
        else
            at = Span{d.file_index, 1, 0, 0};
        d.file_index = at.file;
    }
    kept.push_back(std::move(d));
    shown_at.push_back(at);
}

void AnalysisIndex::section_found(const SectionDef& s) {
    SourceIndex::section_found(s);
    section_ = s.at;
}

json to_json(const Position& at) { return json{{"line", at.line}, {"character", at.character}}; }

int Analysis::file_of(const std::string& uri) const {
    for (std::size_t i = 0; i < files.size(); ++i)
        if (files[i].source.uri == uri)
            return static_cast<int>(i);
    return -1;
}

json Analysis::range(const Span& at, Encoding encoding) const {
    Position start, end;
    editor_range(at, encoding, start, end);
    return json{{"start", to_json(start)}, {"end", to_json(end)}};
}

void Analysis::editor_range(const Span& at, Encoding encoding, Position& start, Position& end) const {
    if (at.file < 0 || static_cast<std::size_t>(at.file) >= files.size()) {
        start = end = Position{};
        return;
    }
    const LineMap& lines = files[static_cast<std::size_t>(at.file)].lines;
    const unsigned line = index.editor_line(at.file, at.line);
    start = lines.position(line, index.editor_column(at.file, at.line, at.begin), encoding);
    end = lines.position(line, index.editor_column(at.file, at.line, std::max(at.end, at.begin)), encoding);
}

json Analysis::location(const Span& at, Encoding encoding) const {
    return json{{"uri", at.file >= 0 && static_cast<std::size_t>(at.file) < files.size() ? uri(at.file) : ""},
                {"range", range(at, encoding)}};
}

Span Analysis::compiler_place(int file, const Position& at, Encoding encoding) const {
    unsigned line = 0, column = 0;
    files.at(static_cast<std::size_t>(file)).lines.line_column(at, encoding, line, column);
    Span place{file, 0, 0, 0};
    place.line = index.compiler_line(file, line, column, place.begin);
    place.end = place.begin + 1;
    return place;
}

std::string_view Analysis::line_text(int file, unsigned line) const {
    if (file < 0 || static_cast<std::size_t>(file) >= files.size())
        return {};
    const LineMap& lines = files[static_cast<std::size_t>(file)].lines;
    const std::string_view whole = lines.line_text(index.editor_line(file, line));
    const unsigned first = index.editor_column(file, line, 1) - 1;
    return first >= whole.size() ? std::string_view{} : whole.substr(first, line_room);
}

Hit Analysis::hit_at(int file, const Position& at, Encoding encoding) const {
    const Span place = compiler_place(file, at, encoding);
    Hit hit = index.at(file, place.line, place.begin);
    // At the end of a word (where an editor's cursor rests after typing
    // it) the word just before counts.
    if (hit.what == Hit::What::none && place.begin > 1)
        hit = index.at(file, place.line, place.begin - 1);
    return hit;
}

const Catalog& Analysis::catalog() const {
    if (!catalog_)
        catalog_ = std::make_shared<const Catalog>(index);
    return *catalog_;
}

std::shared_ptr<Analysis> analyse(const std::string& name, WorkspaceFiles& files) {
    auto analysis = std::make_shared<Analysis>();
    NullConsole console;
    analysis::InMemory compiled = analysis::compile_in_memory({name}, files, console, &analysis->index, false);
    for (const ServedSource& source : files.served())
        analysis->files.push_back({source, LineMap(source.text)});
    analysis->missing = files.missing();
    analysis->errors = compiled.status != 0 || has_errors(analysis->index);
    if (!analysis->errors)
        analysis->database = std::move(compiled.bytes);
    else
        analysis->linted = true;  // nothing to lint until the errors are fixed
    return analysis;
}

// lint's findings as the command line gives them with its defaults; the
// limits only when the database could be read back.
void lint(Analysis& a) {
    a.linted = true;
    std::optional<analysis::Figures> figures;
    std::string unreadable;
    if (std::optional<tool::Database> database = tool::read_database(a.database, unreadable))
        figures = analysis::figures_of(*database);
    analysis::LintOptions options;
    options.figures = figures ? &*figures : nullptr;
    options.editor_positions = false;
    for (const AnalysedFile& f : a.files)
        options.file_texts.push_back(f.source.text ? *f.source.text : std::string());
    a.findings = analysis::lint(a.index, options);
}

}  // namespace zel::lsp
