// Lint: what an adventure gets wrong although it compiles. A pure function
// of the source index (and, for the limits, of the figures of its database);
// the command line and the language server both call it.
#pragma once

#include <string>
#include <vector>

#include "analysis/figures.h"
#include "analysis/lint_codes.h"
#include "index/source_index.h"

namespace zel::analysis {

struct Finding {
    Code code = Code::lint_comment;
    Severity severity = Severity::warning;
    Span at;  // see LintOptions::editor_positions
    std::string message;
};

struct LintOptions {
    int start = 0;                        // the location the player starts in
    Selection selection;                  // the codes that are on
    const Figures* figures = nullptr;     // the compiled database's; without them no limit is checked
    // The text of each source file by its index in the index, for the
    // ;zel-lint: comments, which the compiler skips as comments; a file
    // whose text is missing has none.
    std::vector<std::string> file_texts;
    // Where findings are placed: lines and columns as an editor counts them,
    // or (false) as the compiler and the index count them.
    bool editor_positions = true;
};

// The findings of every code that is on, minus those the source's comments
// silence, in source order. Meant for an adventure that compiled without
// errors: what an error made the compiler skip is not in the index.
std::vector<Finding> lint(const SourceIndex& index, const LintOptions& options);

}  // namespace zel::analysis
