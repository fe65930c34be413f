#include "dbtools/text_lines.h"

#include "format/format.h"

namespace zel::tool {

namespace {

constexpr char end_of_file_byte = 26;  // ends a source file when read

// A line may not begin with ";" (a comment) or "/" (the next text).
bool may_begin_line(char ch) { return ch != ';' && ch != '/'; }

// Whether the space at i may end a line of the paragraph that began at
// start: both lines stay non-empty, and the next one may begin with what
// follows the space.
bool may_break_at(const std::string& para, std::size_t start, std::size_t i) {
    return para[i] == ' ' && i > start && i + 1 < para.size() && may_begin_line(para[i + 1]);
}

std::string show(char ch) { return std::string(1, '\'').append(1, ch).append(1, '\''); }

// Splits one paragraph (no paragraph break inside) into lines. Each line
// ends at the last space that keeps it within width; where there is none it
// ends at the first space after that, and nowhere beyond the longest line
// the reader takes.
bool split_paragraph(const std::string& para, std::size_t width, TextLines& out) {
    if (para.empty())
        return true;
    if (!may_begin_line(para[0])) {
        out.problem = "a line of it would have to begin with " + show(para[0]);
        return false;
    }
    std::size_t start = 0;
    while (para.size() - start > width) {
        std::size_t cut = std::string::npos;
        for (std::size_t i = start + 1; i <= start + width && i < para.size(); ++i)
            if (may_break_at(para, start, i))
                cut = i;
        if (cut == std::string::npos)
            for (std::size_t i = start + width + 1; i <= start + longest_line && i < para.size(); ++i)
                if (may_break_at(para, start, i)) {
                    cut = i;
                    break;
                }
        if (cut == std::string::npos) {
            if (para.size() - start <= longest_line)
                break;
            out.problem = "it holds more than " + std::to_string(longest_line) +
                          " characters in a row with no space where a line may end";
            return false;
        }
        out.lines.push_back(para.substr(start, cut - start));
        start = cut + 1;
    }
    out.lines.push_back(para.substr(start));
    return true;
}

}  // namespace

TextLines split_text(const std::string& text, std::size_t width) {
    TextLines out;
    if (text.find(end_of_file_byte) != std::string::npos) {
        out.problem = "it holds the byte 26, which ends a source file";
        return out;
    }
    if (text.find(static_cast<char>(text_end)) != std::string::npos) {
        out.problem = "it holds a line feed";
        return out;
    }
    std::size_t start = 0;
    for (;;) {
        const std::size_t brk = text.find(static_cast<char>(paragraph_break), start);
        const std::size_t end = brk == std::string::npos ? text.size() : brk;
        if (!split_paragraph(text.substr(start, end - start), width, out))
            return out;
        if (brk == std::string::npos)
            return out;
        out.lines.emplace_back();  // the empty line of the paragraph break
        start = brk + 1;
    }
}

std::string text_preview(const std::string& text, std::size_t most) {
    std::string out;
    for (char ch : text) {
        if (ch == static_cast<char>(paragraph_break))
            break;
        const auto u = static_cast<unsigned char>(ch);
        out.push_back(u >= 32 && u < 127 ? ch : '?');
    }
    if (out.size() > most) {
        out.resize(most);
        const std::size_t space = out.find_last_of(' ');
        if (space != std::string::npos && space > most / 2)
            out.resize(space);
        out += "...";
    }
    return out;
}

}  // namespace zel::tool
