#include "source/spans.h"

#include "core/compilation.h"
#include "source/scanner.h"

#include <utility>

namespace zel {

namespace {

unsigned char upper(unsigned char ch) {
    return (ch >= 'a' && ch <= 'z') ? static_cast<unsigned char>(ch - 'a' + 'A') : ch;
}

// A pointer into the current line as a 1-based column; pointers outside it
// (a scan of the command line) give column 1.
unsigned column_of(const Compilation& c, const char* p) {
    const char* line = c.reader.linebuf;
    if (p == nullptr || p < line || p > line + c.reader.linelen)
        return 1;
    return static_cast<unsigned>(p - line) + 1;
}

}  // namespace

int current_file(const Compilation& c) { return static_cast<int>(c.reader.opened.size()) - 1; }

Span span_of(const Compilation& c, const char* begin, const char* end) {
    return Span{current_file(c), c.reader.lineno, column_of(c, begin), column_of(c, end)};
}

Span token_span(const Compilation& c) { return span_of(c, c.scanner.tokbegin, c.scanner.scanptr); }

Span word_span(const Compilation& c) {
    const char* end = c.scanner.wordbegin;
    const char* line_end = c.reader.linebuf + c.reader.linelen;
    while (end != nullptr && end < line_end && !blank(static_cast<unsigned char>(*end)))
        ++end;
    return span_of(c, c.scanner.wordbegin, end);
}

Span line_span(const Compilation& c) {
    return Span{current_file(c), c.reader.lineno, 1, static_cast<unsigned>(c.reader.linelen) + 1};
}

Span item_span(const Compilation& c) {
    Span at = token_span(c);
    at.begin = 1;
    return at;
}

std::string upper_text(const Compilation& c, const Span& at) {
    std::string text;
    for (unsigned col = at.begin; col < at.end && col <= c.reader.linelen; ++col)
        text += static_cast<char>(upper(static_cast<unsigned char>(c.reader.linebuf[col - 1])));
    return text;
}

namespace {

// The note of an item line: after the number and the blanks after it, up to
// the line's last character that is not a blank.
std::pair<const char*, const char*> note_bounds(const Compilation& c) {
    const char* p = c.scanner.scanptr;
    const char* end = c.reader.linebuf + c.reader.linelen;
    while (p < end && blank(static_cast<unsigned char>(*p)))
        ++p;
    while (end > p && blank(static_cast<unsigned char>(end[-1])))
        --end;
    return {p, end};
}

}  // namespace

std::string item_note(const Compilation& c) {
    const auto [p, end] = note_bounds(c);
    return std::string(p, end);
}

Span item_note_span(const Compilation& c) {
    const auto [p, end] = note_bounds(c);
    return p == end ? Span{} : span_of(c, p, end);
}

void note_reference(Compilation& c, Kind kind, int number, const Span& at, int type) {
    Reference r;
    r.kind = kind;
    r.number = number;
    r.type = type;
    r.at = at;
    c.observer->referenced(r);
}

void note_word(Compilation& c, int number, int table) {
    if (number <= 0 || number >= 255)
        return;
    Reference r;
    r.kind = Kind::word;
    r.number = number;
    r.type = c.scanner.wordtype;
    r.at = word_span(c);
    r.table = table;
    c.observer->referenced(r);
}

}  // namespace zel
