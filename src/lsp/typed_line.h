// The line being typed, which has usually not compiled into the index yet:
// its blank-separated words before the cursor (the one reading of a line the
// server does itself, for completion and signature help on such a line), and
// the null word character as text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "lsp/analysis.h"

namespace zel::lsp {

// The words of a line before the cursor: the complete ones, and where the
// one being typed starts.
struct LinePlace {
    std::vector<std::string> words;  // upper case
    std::size_t word_start = 0;      // byte offset of the word being typed
    bool in_comment = false;
    bool indented = false;
};

LinePlace place_in(std::string_view before);

// The line at a position (its number and column as the line map counts them)
// and what is typed on it before the position.
struct TypedLine {
    unsigned line = 0, column = 0;
    std::string_view text;
    LinePlace place;
};

TypedLine typed_at(const Analysis& analysis, int file, const Position& at, Encoding encoding);

// The null word character the control line declared; empty when unknown.
std::string null_word(const Analysis& analysis);

}  // namespace zel::lsp
