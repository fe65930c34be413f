// The compiler's diagnostics as the editor shows them.
#pragma once

#include "lsp/analysis.h"

namespace zel::lsp {

// The diagnostics of one file of an analysis, for publishDiagnostics: errors
// with their number as the code, warnings, and the notes of a diagnostic as
// its related information. File -1 (or file 0) also takes what was reported
// before any file was open.
json diagnostics_json(const Analysis& analysis, int file, Encoding encoding);

// The lint findings of one file of an analysis without errors, moved to the
// lines of the same file in a later analysis: the lines before the first
// that changed keep their place, those after the last move with it, and
// those between stay within the changed lines.
json carried_findings(const Analysis& clean, const Analysis& now, int file, Encoding encoding);

// The kept diagnostic k of the analysis as the editor gets it.
json diagnostic_json(const Analysis& analysis, std::size_t k, Encoding encoding);
// The span diagnostic k is shown at: its token, at least one character
// wide; the whole line when the token is not known.
Span shown_span(const Analysis& analysis, std::size_t k);

}  // namespace zel::lsp
