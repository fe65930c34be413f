// The source's own say over lint: comment lines, which the compiler skips,
// that silence codes.
//
//   ;zel-lint: disable-next NAME...  the next line that is not a comment line
//   ;zel-lint: disable NAME...       from here to the end of the file ...
//   ;zel-lint: enable NAME...        ... or to where this switches them on again
//
// The ";" stands in column 1, blanks may follow it; NAME is a code, a group
// or "all", names are separated by blanks or commas, and "--" starts a
// reason that lint does not read. Only these comment lines are read here;
// everything else about the source comes from the compiler.
#pragma once

#include <string>
#include <vector>

#include "analysis/lint.h"

namespace zel::analysis {

struct Silence {
    int file = 0;
    unsigned first = 0, last = 0;  // compiler lines, both included
    Code code = Code::lint_comment;
};

struct Suppressions {
    std::vector<Silence> silences;
    std::vector<Finding> problems;  // lint-comment findings: comments lint cannot follow

    bool covers(const Finding& finding) const;
};

// The comment line that silences a code on the next line that is not a
// comment line, or (whole_file) from where it stands to the end of the file.
std::string suppression_comment(Code code, bool whole_file);

// Reads the comments of every file whose text is given (by file index).
Suppressions read_suppressions(const SourceIndex& index, const std::vector<std::string>& file_texts);

}  // namespace zel::analysis
