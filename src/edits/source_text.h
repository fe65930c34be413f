// Where the compiler's spans lie in the bytes of the source texts. The
// compiler counts a line piece of at most 258 characters as a line; the
// index knows where it split lines, and a text is split here only at its
// line feeds. Nothing here looks at what a line says.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "edits/edits.h"

namespace zel::edits {

// A run of whole lines of one file: [begin, end) in bytes, end past the
// last line's line feed, or at the end of the text when it has none.
struct Region {
    int file = 0;
    std::size_t begin = 0;
    std::size_t end = 0;
};

class TextMap {
public:
    TextMap(const SourceIndex& index, const std::vector<std::string>& texts);

    const SourceIndex& index() const { return index_; }
    const std::string& text(int file) const;
    const std::vector<std::string>& texts() const { return texts_; }

    // The byte offset of a span's first byte.
    std::size_t offset(const Span& at) const;
    // The lines from compiler line `first` to compiler line `last` of a file.
    Region lines(int file, unsigned first, unsigned last) const;
    // Where a span begins, as an editor counts it.
    Place place(const Span& at) const;

    // The end of the bytes the compiler reads: the text's end or its first
    // byte 26.
    std::size_t source_end(int file) const;
    // Whether a region's last line has a line feed.
    bool ends_line(const Region& r) const;
    // The line break the file uses: "\r\n" when its first line ends so.
    std::string line_break(int file) const;
    // The start of the line holding a byte, and that line's length in
    // characters as the compiler reads them (without the line break).
    std::size_t line_start_of(int file, std::size_t offset) const;
    std::size_t line_length(int file, std::size_t line_start) const;

private:
    const std::vector<std::size_t>& starts(int file) const;
    std::size_t editor_line_start(int file, unsigned line) const;

    const SourceIndex& index_;
    const std::vector<std::string>& texts_;
    std::vector<std::size_t> ends_;                         // source_end of each file
    mutable std::vector<std::vector<std::size_t>> starts_;  // line starts of each file, made when first asked
};

// The place of a byte offset in a text.
Place place_in(const std::string& text, int file, std::size_t offset);

}  // namespace zel::edits
