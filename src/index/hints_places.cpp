// Where diagnostics are shown, and the warnings about lines and characters
// that the compiler takes otherwise than their author meant: a line split
// after 258 characters, a character written in UTF-8.
#include <algorithm>

#include "core/utf8.h"
#include "index/hints.h"
#include "index/hints_support.h"

namespace zel {

using namespace hints;

namespace {

// Past the last line the compiler read of its file (reported at the end of
// the source). An empty file's line 1 is the one line an editor shows.
bool past_end(const SourceIndex& index, int file, unsigned line) {
    const unsigned last = index.last_line(file);
    return last > 0 && line > last;
}

bool in_text_section(const SourceIndex& index) {
    if (index.sections().empty())
        return false;
    const std::string& header = index.sections().back().header;
    return header == "/STX" || header == "/MTX" || header == "/OTX" || header == "/LTX";
}

}  // namespace

// Errors 32 and 33 belong to the end of their section: the line where an
// error stopped it, or else its last line in the file that holds it.
void Hints::place_at_section_end(Diagnostic& d) const {
    if (index_.sections().empty())
        return;
    const SectionDef& section = index_.sections().back();
    if (section.header != (d.number == 32 ? "/CON" : "/OBJ"))
        return;
    d.has_line = true;
    if (stop_ && stop_->sections == index_.sections().size())
        return;  // the current line is the one the section stopped at
    const int file = section.at.file;
    const unsigned last = d.file_index == file ? d.line - 1 : index_.last_line(file);
    d.file_index = file;
    d.file = index_.files().at(static_cast<std::size_t>(file)).found;
    d.line = std::max(last, section.at.line);
    d.column = d.end_column = 0;
    d.has_text = false;
}

// What is missing at the end of the source would follow the last line.
void Hints::place_within_files(Diagnostic& d) const {
    if (d.has_line && past_end(index_, d.file_index, d.line)) {
        d.line = index_.last_line(d.file_index);
        d.column = d.end_column = 0;
        d.has_text = false;
    }
    for (Note& n : d.notes)
        if (past_end(index_, n.at.file, n.at.line))
            n.at = Span{n.at.file, index_.last_line(n.at.file), 0, 0};
}

// The compiler warns for every byte above 127 of a text, one by one.
bool Hints::merge_character(Diagnostic& d) {
    static const std::string high = "Character value > 127 present in text";
    if (d.message.rfind(high, 0) != 0 || !d.has_line || !d.has_text || d.column <= 0)
        return true;
    const auto column = static_cast<unsigned>(d.column);
    const Span& last = character_;
    if (last.file == d.file_index && last.line == d.line && column > last.begin && column < last.end)
        return false;
    const std::size_t at = column - 1, n = utf8_length(d.text, at);
    if (n == 0)
        return true;
    std::string values;
    for (std::size_t i = at; i < at + n; ++i)
        values += " value(" + std::to_string(static_cast<unsigned char>(d.text[i])) + ")";
    d.message = high + " -" + values + ": " + d.text.substr(at, n) + " (" + utf8_code_point(d.text, at, n) +
                ") written in UTF-8, stored as " + std::to_string(n) + " characters";
    d.end_column = d.column + static_cast<int>(n);
    character_ = Span{d.file_index, d.line, column, column + static_cast<unsigned>(n)};
    return true;
}

std::optional<Diagnostic> Hints::split_warning(const LineSplit& split) {
    const Span at = split.at;
    const bool further = last_piece_.file == at.file && last_piece_.line + 1 == at.line;
    last_piece_ = at;
    const bool untracked = !index_.splits_complete() && !told_untracked_;
    if (at.file < 0 || at.line < 2 || (further && !untracked))
        return std::nullopt;
    Diagnostic w;
    w.severity = Diagnostic::Severity::warning;
    w.message = "line longer than 258 characters: it is split after character 258 and the rest is read as the next line";
    if (untracked) {
        told_untracked_ = true;
        w.message = "more lines longer than 258 characters than zeltool keeps track of (" +
                    std::to_string(SourceIndex::most_records) +
                    "): from here on, every further piece of 258 characters counts as a line of its own";
    }
    w.has_line = true;
    w.has_text = false;
    w.file_index = at.file;
    w.file = index_.files().at(static_cast<std::size_t>(at.file)).found;
    w.line = at.line - 1;
    w.column = 259;
    w.end_column = static_cast<int>(258 + at.end);
    if (!split.before.empty() && !split.after.empty()) {
        const Span word{w.file_index, w.line, static_cast<unsigned>(259 - split.before.size()),
                        static_cast<unsigned>(259 + split.after.size())};
        const std::string rest = in_text_section(index_)
                                     ? "which is stored as \"" + split.before + " " + split.after + "\""
                                     : "and \"" + split.after + "\" is read as the start of the next line";
        add_note(w, word, "the split falls inside \"" + split.before + split.after + "\", " + rest);
    }
    return w;
}

namespace {

void move_span(Span& s, const SourceIndex& index) {
    if (s.file < 0 || s.line == 0)
        return;
    if (s.begin > 0) {
        s.begin = index.editor_column(s.file, s.line, s.begin);
        s.end = index.editor_column(s.file, s.line, std::max(s.end, 1u));
    }
    s.line = index.editor_line(s.file, s.line);
}

}  // namespace

void to_editor_positions(Diagnostic& d, const SourceIndex& index) {
    if (d.file_index >= 0 && d.line > 0) {
        Span s{d.file_index, d.line, static_cast<unsigned>(std::max(d.column, 0)),
               static_cast<unsigned>(std::max(d.end_column, 0))};
        move_span(s, index);
        d.line = s.line;
        d.column = static_cast<int>(s.begin);
        d.end_column = static_cast<int>(s.end);
    }
    for (Note& n : d.notes)
        move_span(n.at, index);
}

}  // namespace zel
