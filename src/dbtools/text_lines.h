// Splits a text into source lines that the text sections join back into
// exactly the same text: non-empty lines of one paragraph are joined with a
// single space, and every empty line is one paragraph break.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace zel::tool {

constexpr std::size_t preferred_width = 78;  // lines are kept this short where spaces allow
constexpr std::size_t longest_line = 258;    // the source reader splits longer lines

struct TextLines {
    std::vector<std::string> lines;
    std::string problem;  // why no source can express the text; empty when it can
};

// The text is given with its paragraph breaks (byte 13), without terminator.
TextLines split_text(const std::string& text, std::size_t width = preferred_width);

// The start of a text up to its first paragraph break, printable ASCII only,
// cut at a space to at most `most` characters and "..." when cut.
std::string text_preview(const std::string& text, std::size_t most);

}  // namespace zel::tool
