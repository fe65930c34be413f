// Editor positions of many spans of one file, taken in order: for the
// features that answer with a position for every token of a file (semantic
// tokens, inlay hints), where Analysis::range, one span at a time, costs
// more than the answer is worth.
#pragma once

#include <utility>

#include "lsp/analysis.h"

namespace zel::lsp {

// A line at a time: one conversion for the line's start, then plain counting
// on a line of ASCII without carriage returns (nearly every line), where a
// byte is one unit in either encoding.
class LinePositions {
public:
    LinePositions(const Analysis& analysis, int file, Encoding encoding);

    // The editor's position of a span's start, and its length in the
    // editor's units (0 for a span the editor sees over two lines).
    std::pair<Position, unsigned> of(const Span& at);

private:
    void start_line(unsigned line);

    const Analysis& analysis_;
    int file_;
    Encoding encoding_;
    const LineMap& lines_;
    unsigned line_ = 0, editor_line_ = 0;
    bool plain_ = false;
};

}  // namespace zel::lsp
