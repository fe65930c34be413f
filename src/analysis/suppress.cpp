#include "analysis/suppress.h"

#include <climits>
#include <map>
#include <optional>
#include <string_view>

#include "analysis/lint_checks.h"

namespace zel::analysis {

namespace {

constexpr char end_of_file = 26;
constexpr const char* marker = "zel-lint:";

// The lines of a text as an editor shows them, one after the other: a
// carriage return before a line feed is no part of a line, and byte 26 ends
// the file, as for the compiler. Nothing is copied, so that a long source
// costs no more than its text.
class EditorLines {
public:
    explicit EditorLines(std::string_view text) : text_(text.substr(0, text.find(end_of_file))) {}
    // The next line; nothing after the last.
    std::optional<std::string_view> next() {
        if (at_ >= text_.size())
            return std::nullopt;
        const std::size_t end = text_.find('\n', at_);
        std::string_view line = text_.substr(at_, end == std::string_view::npos ? end : end - at_);
        at_ = end == std::string_view::npos ? text_.size() : end + 1;
        if (end != std::string_view::npos && !line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        return line;
    }

private:
    std::string_view text_;
    std::size_t at_ = 0;
};

struct Token {
    std::string text;
    unsigned column = 0;  // 1-based, in the editor line
};

// The words after the marker, up to "--".
std::vector<Token> directive_tokens(const std::string& line, std::size_t from) {
    std::vector<Token> tokens;
    std::size_t i = from;
    for (;;) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == ','))
            ++i;
        if (i >= line.size())
            break;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != ',')
            ++i;
        std::string word = line.substr(start, i - start);
        if (word == "--")
            break;
        tokens.push_back({std::move(word), static_cast<unsigned>(start + 1)});
    }
    return tokens;
}

class FileReader {
public:
    FileReader(const SourceIndex& index, int file, Suppressions& out) : index_(index), file_(file), out_(out) {}

    void read(const std::string& text) {
        // Lines after a /LNK line are never read by the compiler, nor here;
        // only a directive's line needs the look-up.
        const unsigned last = index_.last_line(file_);
        EditorLines lines(text);
        unsigned e = 0;
        while (const std::optional<std::string_view> line = lines.next()) {
            ++e;
            if (line->empty() || (*line)[0] != ';')
                continue;
            const std::size_t at = line->find_first_not_of(" \t", 1);
            if (at == std::string_view::npos || line->compare(at, std::string_view(marker).size(), marker) != 0)
                continue;
            if (last != 0 && compiler_line(e, 1) > last)
                break;
            directive(lines, e, directive_tokens(std::string(*line), at + std::string_view(marker).size()));
        }
        for (const auto& [code, first] : open_)
            out_.silences.push_back({file_, first, UINT_MAX, code});
    }

private:
    unsigned compiler_line(unsigned editor_line, unsigned column, unsigned* compiler_column = nullptr) const {
        unsigned col = 0;
        const unsigned line = index_.compiler_line(file_, editor_line, column, col);
        if (compiler_column)
            *compiler_column = col;
        return line;
    }

    void problem(unsigned editor_line, const Token& t, const std::string& message) {
        unsigned column = 0;
        const unsigned line = compiler_line(editor_line, t.column, &column);
        out_.problems.push_back(finding(Code::lint_comment, Span{file_, line, column,
                                                                 column + static_cast<unsigned>(t.text.size())},
                                        message));
    }

    // The codes named after the directive; unknown names are reported.
    std::vector<Code> named_codes(unsigned editor_line, const std::vector<Token>& tokens) {
        std::vector<Code> codes;
        for (std::size_t i = 1; i < tokens.size(); ++i) {
            const std::vector<Code> named = codes_named(tokens[i].text);
            if (named.empty())
                problem(editor_line, tokens[i], "'" + tokens[i].text + "' is no lint code, group or \"all\"");
            codes.insert(codes.end(), named.begin(), named.end());
        }
        if (tokens.size() == 1)
            problem(editor_line, tokens[0], "the ;zel-lint: comment names no code");
        return codes;
    }

    void directive(EditorLines lines, unsigned e, const std::vector<Token>& tokens) {
        if (tokens.empty()) {
            problem(e, Token{marker, 2}, "the ;zel-lint: comment says neither disable, disable-next nor enable");
            return;
        }
        const std::string& what = tokens[0].text;
        if (what != "disable-next" && what != "disable" && what != "enable") {
            problem(e, tokens[0], "'" + what + "' is not disable, disable-next or enable");
            return;
        }
        const std::vector<Code> codes = named_codes(e, tokens);
        const unsigned here = compiler_line(e, 1);
        if (what == "disable-next")
            disable_next(lines, e, codes);
        for (Code c : codes) {
            if (what == "disable")
                open_.try_emplace(c, here);
            else if (what == "enable" && open_.count(c)) {
                out_.silences.push_back({file_, open_[c], here, c});
                open_.erase(c);
            }
        }
    }

    // `lines` stand after line e.
    void disable_next(EditorLines lines, unsigned e, const std::vector<Code>& codes) {
        unsigned editor = e;
        std::optional<std::string_view> next;
        do {
            next = lines.next();
            ++editor;
        } while (next && !next->empty() && (*next)[0] == ';');
        if (!next)
            return;
        const unsigned first = compiler_line(editor, 1);
        const unsigned last = compiler_line(editor, static_cast<unsigned>(next->size()) + 1);
        for (Code c : codes)
            out_.silences.push_back({file_, first, last, c});
    }

    const SourceIndex& index_;
    int file_;
    Suppressions& out_;
    std::map<Code, unsigned> open_;  // codes disabled, from which compiler line
};

}  // namespace

bool Suppressions::covers(const Finding& f) const {
    for (const Silence& s : silences)
        if (s.code == f.code && s.file == f.at.file && f.at.line >= s.first && f.at.line <= s.last)
            return true;
    return false;
}

std::string suppression_comment(Code code, bool whole_file) {
    return std::string(";") + marker + (whole_file ? " disable " : " disable-next ") + info(code).name;
}

Suppressions read_suppressions(const SourceIndex& index, const std::vector<std::string>& file_texts) {
    Suppressions out;
    for (std::size_t file = 0; file < file_texts.size(); ++file)
        FileReader(index, static_cast<int>(file), out).read(file_texts[file]);
    return out;
}

}  // namespace zel::analysis
