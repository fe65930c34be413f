// The compiler's diagnostics as the editor shows them.
#pragma once

#include <string>
#include <vector>

#include "lsp/analysis.h"

namespace zel::lsp {

// The diagnostics of one file of an analysis, each as JSON text for
// publishDiagnostics: errors with their number as the code, warnings, and
// the notes of a diagnostic as its related information. File -1 (or file 0)
// also takes what was reported before any file was open. lint's findings
// are apart.
std::vector<std::string> diagnostic_texts(const Analysis& analysis, int file, Encoding encoding);

// Writes lint's findings of an analysis as the editor gets them, once, for
// every publication that shows them (Analysis::written_findings).
void write_findings(Analysis& analysis, Encoding encoding);
// The written findings of one file.
std::vector<std::string> findings_of(const Analysis& analysis, int file);

// The written findings of one file of an analysis without errors, moved to
// the lines of the same file in a later analysis: the lines before the
// first that changed keep their place, those after the last move with it,
// and those between stay within the changed lines.
std::vector<std::string> carried_findings(const Analysis& clean, const Analysis& now, int file, Encoding encoding);

// One textDocument/publishDiagnostics notification, as text, of diagnostics
// already written: the compiler's, then lint's findings. The version is
// left out when null.
std::string publication(const std::string& uri, const json& version, const std::vector<std::string>& diagnostics,
                        const std::vector<std::string>& findings);

// The kept diagnostic k of the analysis as the editor gets it.
json diagnostic_json(const Analysis& analysis, std::size_t k, Encoding encoding);
// The span diagnostic k is shown at: its token, at least one character
// wide; the whole line when the token is not known.
Span shown_span(const Analysis& analysis, std::size_t k);

}  // namespace zel::lsp
