// Positions in a source file, between the compiler's terms and the
// editor's. The compiler counts lines split at line feeds (its line pieces
// are mapped back by the source index) and columns in bytes. The editor
// counts lines split at line feeds, CR LF and a lone carriage return, from
// 0, and characters in UTF-16 code units, or in bytes when the client and
// server agree on UTF-8.
//
// Sources are bytes. A line that is valid UTF-8 is measured in its
// characters' code units; any other line (a source in a one-byte character
// set) is measured one unit per byte, which is what an editor shows for a
// file it cannot decode either. Lines longer than long_line are measured in
// bytes too, so that no conversion costs more than a bounded scan.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "lsp/encoding.h"

namespace zel::lsp {

struct Position {
    unsigned line = 0;       // 0-based
    unsigned character = 0;  // 0-based, in code units of the encoding
    bool operator==(const Position&) const = default;
};

class LineMap {
public:
    static constexpr std::size_t long_line = 65536;

    // A map of nothing: line n, column c is position (n - 1, c - 1).
    LineMap() = default;
    explicit LineMap(std::shared_ptr<const std::string> text);

    // The editor's position of a 1-based line (split at line feeds) and
    // 1-based byte column; columns past the end of the line are clamped.
    Position position(unsigned line, unsigned column, Encoding encoding) const;
    // The editor's position of a byte offset in the text (its end past it).
    Position position_at(std::size_t offset, Encoding encoding) const;
    // The 1-based line and byte column of an editor's position.
    void line_column(const Position& at, Encoding encoding, unsigned& line, unsigned& column) const;
    // The byte offset of an editor's position in the text.
    std::size_t offset(const Position& at, Encoding encoding) const;
    // A line's text without its line feed (and a carriage return before
    // it); empty past the end.
    std::string_view line_text(unsigned line) const;
    // Whether the editor's lines are the line-feed lines (no lone carriage
    // return anywhere): the editor's line of line n is then n - 1.
    bool editor_lines_are_lines() const { return editor_starts_.empty(); }

private:
    std::string_view editor_line(std::size_t index) const;
    std::size_t editor_index(std::size_t offset) const;

    std::shared_ptr<const std::string> text_;
    std::vector<std::uint32_t> starts_;         // where each line-feed line starts
    std::vector<std::uint32_t> editor_starts_;  // the editor's lines, when a lone CR makes them differ
};

// Whether bytes are UTF-8 text.
bool valid_utf8(std::string_view text);
// The number of code units of the bytes of a line (see above).
std::size_t units_of(std::string_view line, std::size_t bytes, Encoding encoding);
// The number of bytes of a line's first `units` code units.
std::size_t bytes_of(std::string_view line, std::size_t units, Encoding encoding);

}  // namespace zel::lsp
