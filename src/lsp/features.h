// The requests of the language server, each a function of the analysis that
// holds the document (its file number in it) and the request's position.
// Each returns the JSON result of its request.
#pragma once

#include "lsp/analysis.h"

namespace zel::lsp {

json hover(const Analysis& analysis, int file, const Position& at, Encoding encoding);
json definition(const Analysis& analysis, int file, const Position& at, Encoding encoding);
json references(const Analysis& analysis, int file, const Position& at, bool with_declaration, Encoding encoding);
json document_symbols(const Analysis& analysis, int file, Encoding encoding);
json folding_ranges(const Analysis& analysis, int file);
json completion(const Analysis& analysis, int file, const Position& at, Encoding encoding);
// Quick fixes for the diagnostics of a file that overlap an editor's range.
json code_actions(const Analysis& analysis, int file, const json& range, Encoding encoding);

}  // namespace zel::lsp
