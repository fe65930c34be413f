#include "edits/source_text.h"

#include <algorithm>
#include <cstring>

namespace zel::edits {

namespace {

constexpr char end_of_file_byte = 26;
const std::string no_text;

}  // namespace

TextMap::TextMap(const SourceIndex& index, const std::vector<std::string>& texts)
    : index_(index), texts_(texts), starts_(texts.size()) {
    for (const std::string& t : texts) {
        const std::size_t stop = t.find(end_of_file_byte);
        ends_.push_back(stop == std::string::npos ? t.size() : stop);
    }
}

const std::string& TextMap::text(int file) const {
    if (file < 0 || static_cast<std::size_t>(file) >= texts_.size())
        return no_text;
    return texts_[static_cast<std::size_t>(file)];
}

std::size_t TextMap::source_end(int file) const {
    return file < 0 || static_cast<std::size_t>(file) >= ends_.size() ? 0 : ends_[static_cast<std::size_t>(file)];
}

const std::vector<std::size_t>& TextMap::starts(int file) const {
    std::vector<std::size_t>& s = starts_.at(static_cast<std::size_t>(file));
    if (s.empty()) {
        const std::string& t = text(file);
        const std::size_t end = source_end(file);
        s.push_back(0);
        for (const char* p = t.data(); (p = static_cast<const char*>(std::memchr(p, '\n', end - static_cast<std::size_t>(p - t.data())))) != nullptr;) {
            ++p;
            s.push_back(static_cast<std::size_t>(p - t.data()));
        }
    }
    return s;
}

std::size_t TextMap::editor_line_start(int file, unsigned line) const {
    const std::vector<std::size_t>& s = starts(file);
    const std::size_t i = line == 0 ? 0 : line - 1;
    return i < s.size() ? s[i] : source_end(file);
}

std::size_t TextMap::offset(const Span& at) const {
    const unsigned line = index_.editor_line(at.file, at.line);
    const unsigned column = index_.editor_column(at.file, at.line, at.begin);
    return std::min(editor_line_start(at.file, line) + (column == 0 ? 0 : column - 1), source_end(at.file));
}

Region TextMap::lines(int file, unsigned first, unsigned last) const {
    Region r;
    r.file = file;
    r.begin = editor_line_start(file, index_.editor_line(file, first));
    r.end = editor_line_start(file, index_.editor_line(file, last) + 1);
    return r;
}

Place TextMap::place(const Span& at) const {
    return Place{at.file, index_.editor_line(at.file, at.line), index_.editor_column(at.file, at.line, at.begin)};
}

bool TextMap::ends_line(const Region& r) const { return r.end > r.begin && text(r.file)[r.end - 1] == '\n'; }

std::string TextMap::line_break(int file) const {
    const std::string& t = text(file);
    const std::size_t lf = t.find('\n');
    return lf != std::string::npos && lf > 0 && t[lf - 1] == '\r' ? "\r\n" : "\n";
}

std::size_t TextMap::line_start_of(int file, std::size_t offset) const {
    const std::vector<std::size_t>& s = starts(file);
    return *(std::upper_bound(s.begin(), s.end(), offset) - 1);
}

std::size_t TextMap::line_length(int file, std::size_t line_start) const {
    const std::string& t = text(file);
    const std::size_t end = source_end(file);
    std::size_t stop = t.find('\n', line_start);
    if (stop == std::string::npos || stop > end)
        return end - line_start;
    if (stop > line_start && t[stop - 1] == '\r')
        --stop;  // a carriage return before the line feed is not read
    return stop - line_start;
}

Place place_in(const std::string& text, int file, std::size_t offset) {
    offset = std::min(offset, text.size());
    const auto begin = text.begin();
    const unsigned line = static_cast<unsigned>(std::count(begin, begin + static_cast<long>(offset), '\n')) + 1;
    const std::size_t lf = offset == 0 ? std::string::npos : text.rfind('\n', offset - 1);
    const std::size_t start = lf == std::string::npos ? 0 : lf + 1;
    return Place{file, line, static_cast<unsigned>(offset - start) + 1};
}

}  // namespace zel::edits
