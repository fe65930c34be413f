#include "lsp/line_map.h"

#include <algorithm>
#include <limits>

namespace zel::lsp {

namespace {

// The length of the UTF-8 sequence that starts with byte c, or 0 when c
// cannot start one.
std::size_t sequence_length(unsigned char c) {
    if (c < 0x80)
        return 1;
    if (c >= 0xC2 && c <= 0xDF)
        return 2;
    if (c >= 0xE0 && c <= 0xEF)
        return 3;
    if (c >= 0xF0 && c <= 0xF4)
        return 4;
    return 0;
}

// Whether a line is measured in bytes rather than in UTF-16 code units.
bool measured_in_bytes(std::string_view line, Encoding encoding) {
    return encoding != Encoding::utf16 || line.size() > LineMap::long_line || !valid_utf8(line);
}

}  // namespace

bool valid_utf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = sequence_length(static_cast<unsigned char>(text[i]));
        if (n == 0 || i + n > text.size())
            return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += n;
    }
    return true;
}

std::size_t units_of(std::string_view line, std::size_t bytes, Encoding encoding) {
    bytes = std::min(bytes, line.size());
    if (measured_in_bytes(line, encoding))
        return bytes;
    std::size_t units = 0;
    for (std::size_t i = 0; i < bytes;) {
        const std::size_t n = sequence_length(static_cast<unsigned char>(line[i]));
        units += n == 4 ? 2 : 1;  // beyond the basic plane: a surrogate pair
        i += n;
    }
    return units;
}

std::size_t bytes_of(std::string_view line, std::size_t units, Encoding encoding) {
    if (measured_in_bytes(line, encoding))
        return std::min(units, line.size());
    std::size_t i = 0;
    for (std::size_t counted = 0; i < line.size() && counted < units;) {
        const std::size_t n = sequence_length(static_cast<unsigned char>(line[i]));
        counted += n == 4 ? 2 : 1;
        i += n;
    }
    return i;
}

LineMap::LineMap(std::shared_ptr<const std::string> text) : text_(std::move(text)) {
    if (!text_ || text_->size() >= std::numeric_limits<std::uint32_t>::max()) {
        text_.reset();
        return;
    }
    const std::string& t = *text_;
    starts_.push_back(0);
    bool lone_cr = false;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i] == '\n')
            starts_.push_back(static_cast<std::uint32_t>(i + 1));
        else if (t[i] == '\r' && (i + 1 == t.size() || t[i + 1] != '\n'))
            lone_cr = true;
    }
    if (!lone_cr)
        return;
    editor_starts_.push_back(0);
    for (std::size_t i = 0; i < t.size(); ++i)
        if (t[i] == '\n' || (t[i] == '\r' && (i + 1 == t.size() || t[i + 1] != '\n')))
            editor_starts_.push_back(static_cast<std::uint32_t>(i + 1));
}

std::string_view LineMap::line_text(unsigned line) const {
    if (!text_ || line == 0 || line > starts_.size())
        return {};
    const std::size_t begin = starts_[line - 1];
    std::size_t end = line < starts_.size() ? starts_[line] - 1 : text_->size();
    if (end > begin && (*text_)[end - 1] == '\r' && line < starts_.size())
        --end;
    return std::string_view(*text_).substr(begin, end - begin);
}

// An editor line without its line break.
std::string_view LineMap::editor_line(std::size_t index) const {
    if (editor_starts_.empty())
        return line_text(static_cast<unsigned>(index + 1));
    const std::size_t begin = editor_starts_[index];
    std::size_t end = index + 1 < editor_starts_.size() ? editor_starts_[index + 1] - 1 : text_->size();
    if (end > begin && end < text_->size() && (*text_)[end] == '\n' && (*text_)[end - 1] == '\r')
        --end;
    return std::string_view(*text_).substr(begin, end - begin);
}

std::size_t LineMap::editor_index(std::size_t offset) const {
    const std::vector<std::uint32_t>& starts = editor_starts_.empty() ? starts_ : editor_starts_;
    return static_cast<std::size_t>(std::upper_bound(starts.begin(), starts.end(), offset) - starts.begin()) - 1;
}

Position LineMap::position(unsigned line, unsigned column, Encoding encoding) const {
    if (!text_)
        return {line > 0 ? line - 1 : 0, column > 0 ? column - 1 : 0};
    std::size_t offset = text_->size();
    if (line >= 1 && line <= starts_.size()) {
        const std::string_view text = line_text(line);
        offset = starts_[line - 1] + std::min<std::size_t>(column > 0 ? column - 1 : 0, text.size());
    }
    return position_at(offset, encoding);
}

Position LineMap::position_at(std::size_t offset, Encoding encoding) const {
    if (!text_)
        return {};
    offset = std::min(offset, text_->size());
    const std::size_t index = editor_index(offset);
    const std::size_t start = (editor_starts_.empty() ? starts_ : editor_starts_)[index];
    return {static_cast<unsigned>(index), static_cast<unsigned>(units_of(editor_line(index), offset - start, encoding))};
}

std::size_t LineMap::offset(const Position& at, Encoding encoding) const {
    if (!text_)
        return 0;
    const std::vector<std::uint32_t>& starts = editor_starts_.empty() ? starts_ : editor_starts_;
    if (at.line >= starts.size())
        return text_->size();
    return starts[at.line] + bytes_of(editor_line(at.line), at.character, encoding);
}

void LineMap::line_column(const Position& at, Encoding encoding, unsigned& line, unsigned& column) const {
    if (!text_) {
        line = at.line + 1;
        column = at.character + 1;
        return;
    }
    const std::size_t where = offset(at, encoding);
    const std::size_t index =
        static_cast<std::size_t>(std::upper_bound(starts_.begin(), starts_.end(), where) - starts_.begin()) - 1;
    line = static_cast<unsigned>(index + 1);
    column = static_cast<unsigned>(where - starts_[index] + 1);
}

}  // namespace zel::lsp
