// One compilation of an adventure in memory, with the source index it
// filled, the diagnostics it reported and the text of every file it read;
// and the conversions between the index's spans and the editor's positions.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/lint.h"
#include "index/hints.h"
#include "index/source_index.h"
#include "lsp/line_map.h"
#include "lsp/protocol.h"
#include "lsp/sources.h"

namespace zel::lsp {

class Catalog;

// The index, with each diagnostic annotated with check's notes as it
// arrives and the warning for a line the compiler splits; it keeps the
// first diagnostics only, so that a source of any size gives a bounded
// list. Each kept diagnostic gets the span it is shown at (columns 0 for
// the whole line): its token, or for a diagnostic without a source line the
// header of the section it arose in.
class AnalysisIndex : public SourceIndex {
public:
    static constexpr std::size_t most_diagnostics = 1000;

    AnalysisIndex() : SourceIndex(false), hints_(*this) {}
    void report(const Diagnostic& d) override;
    void line_split(const LineSplit& split) override;
    void referenced(const Reference& r) override;
    void section_found(const SectionDef& s) override;

    std::vector<Diagnostic> kept;
    std::vector<Span> shown_at;  // for each kept diagnostic
    std::size_t dropped = 0;

private:
    void keep(Diagnostic d);

    Hints hints_;
    Span section_;  // the last section header found
};

// A lint finding as the editor gets it: its file, its range and its JSON
// text.
struct WrittenFinding {
    int file = -1;
    Position start, end;
    std::string text;
};

struct AnalysedFile {
    ServedSource source;
    LineMap lines;
};

class Analysis {
public:
    AnalysisIndex index;
    std::vector<AnalysedFile> files;  // by the index's file number
    std::vector<std::string> missing;  // the names of files asked for and not found
    // The database compiled in memory, when it compiled without errors; lint
    // reads it back for the figures of the format's limits.
    tool::Bytes database;
    // Whether the compilation had errors (then it has no database).
    bool errors = false;
    // lint's findings, in compiler positions; none while there are errors.
    std::vector<analysis::Finding> findings;
    bool linted = false;
    // The findings as published, one for each of `findings` in its order,
    // in the encoding they were written for.
    std::vector<WrittenFinding> written_findings;
    Encoding encoding = Encoding::utf16;

    // The file of that URI in the chain, or -1.
    int file_of(const std::string& uri) const;
    const std::string& uri(int file) const { return files.at(static_cast<std::size_t>(file)).source.uri; }

    // A span as the editor's range, and as a location.
    json range(const Span& at, Encoding encoding) const;
    void editor_range(const Span& at, Encoding encoding, Position& start, Position& end) const;
    json location(const Span& at, Encoding encoding) const;
    // The line and byte column the compiler gave to an editor's position.
    Span compiler_place(int file, const Position& at, Encoding encoding) const;
    // The text of a compiler line (one piece of a long line); empty when
    // the file's text was not kept.
    std::string_view line_text(int file, unsigned line) const;
    // What the index has under an editor's position.
    Hit hit_at(int file, const Position& at, Encoding encoding) const;

    // The look-ups the features repeat (lsp/catalog.h), made on first use.
    const Catalog& catalog() const;

private:
    mutable std::shared_ptr<const Catalog> catalog_;
};

// Compiles the adventure `name` over the workspace's files, the database
// only in memory.
std::shared_ptr<Analysis> analyse(const std::string& name, WorkspaceFiles& files);

// Adds lint's findings to an analysis that compiled without errors. It takes
// about as long again as the compilation, so the server does it once the
// compiler's diagnostics are out and no input waits.
void lint(Analysis& analysis);

json to_json(const Position& at);

}  // namespace zel::lsp
