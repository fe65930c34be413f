// Links that name a file that is not there, when the file meant is: the
// note on the link's error 37, and what a document that such a link was
// meant to reach is told instead of the errors of compiling it alone.
#pragma once

#include <string>
#include <vector>

#include "lsp/analysis.h"

namespace zel::lsp {

// The error 37 of an analysis at a link whose name is a few edits from the
// file `name` (a source file name), nearer than any other file of its
// folder, or null.
const Diagnostic* link_misspelt_for(const Analysis& analysis, const std::string& name);

// Whether the analysis is of a file that does not begin an adventure: it
// stopped at "/CTL expected" before finding any section.
bool begins_no_adventure(const Analysis& analysis);

// Adds "did you mean NAME?" to each error 37 of a link whose name is a few
// edits from one of `sources` (the source file names of its folder).
void note_misspelt_links(Analysis& analysis, const std::vector<std::string>& sources);

// The diagnostics of the document `name`, which the adventure of the
// analysis holds but does not read, since a link misspelt for it stops the
// chain before it.
json stray_diagnostics(const Analysis& analysis, const std::string& name, Encoding encoding);

}  // namespace zel::lsp
