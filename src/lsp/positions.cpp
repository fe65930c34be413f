#include "lsp/positions.h"

namespace zel::lsp {

LinePositions::LinePositions(const Analysis& analysis, int file, Encoding encoding)
    : analysis_(analysis), file_(file), encoding_(encoding), lines_(analysis.files.at(static_cast<std::size_t>(file)).lines) {}

std::pair<Position, unsigned> LinePositions::of(const Span& at) {
    const SourceIndex& index = analysis_.index;
    const unsigned line = index.editor_line(file_, at.line);
    const unsigned begin = index.editor_column(file_, at.line, at.begin);
    const unsigned end = index.editor_column(file_, at.line, std::max(at.end, at.begin));
    if (line != line_)
        start_line(line);
    if (plain_)
        return {Position{editor_line_, begin - 1}, end - begin};
    const Position from = lines_.position(line, begin, encoding_);
    const Position to = lines_.position(line, end, encoding_);
    return {from, to.line == from.line ? to.character - from.character : 0};
}

void LinePositions::start_line(unsigned line) {
    line_ = line;
    const std::string_view text = lines_.line_text(line);
    plain_ = true;
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80 || c == '\r') {
            plain_ = false;
            break;
        }
    editor_line_ = plain_ && lines_.editor_lines_are_lines() ? line - 1 : lines_.position(line, 1, encoding_).line;
}

}  // namespace zel::lsp
