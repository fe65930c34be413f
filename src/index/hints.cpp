#include "index/hints.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "format/format.h"
#include "format/opcodes.h"

namespace zel {

namespace {

constexpr int stop_errors[] = {0, 6, 9, 23};         // errors that end a section early
constexpr int follow_ons[] = {31, 32, 33, 41, 46};   // errors that such an end brings

template <std::size_t N>
bool one_of(int number, const int (&numbers)[N]) {
    return std::find(std::begin(numbers), std::end(numbers), number) != std::end(numbers);
}

bool letter_or_digit(char ch) {
    return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9');
}

char upper(char ch) { return (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch; }

void add_note(Diagnostic& d, const Span& at, std::string message) {
    d.notes.push_back(Note{at, std::move(message)});
}

Span columns(const Diagnostic& d, int begin, int end) {
    return Span{d.file_index, d.line, static_cast<unsigned>(begin), static_cast<unsigned>(end)};
}

// The offending token as written; empty when the diagnostic points at none.
std::string token_of(const Diagnostic& d) {
    if (!d.has_line || !d.has_text || d.column <= 0 || d.end_column <= d.column)
        return {};
    return d.text.substr(static_cast<std::size_t>(d.column - 1), static_cast<std::size_t>(d.end_column - d.column));
}

// The letters and digits a token begins with, upper-cased.
std::string leading_word(const std::string& token) {
    std::string word;
    for (std::size_t i = 0; i < token.size() && letter_or_digit(token[i]); ++i)
        word += upper(token[i]);
    return word;
}

bool all_digits(const std::string& token) {
    return !token.empty() && std::all_of(token.begin(), token.end(), [](char ch) { return ch >= '0' && ch <= '9'; });
}

std::string numbered(const char* what, int count) {
    if (count == 0)
        return std::string("there are no ") + what;
    return std::string(what) + " are numbered 0 to " + std::to_string(count - 1);
}

std::string word_type_name(int type) {
    if (type < 0 || type >= 7)
        return "word";
    std::string name = word_type_names[type];
    std::transform(name.begin(), name.end(), name.begin(), [](char ch) { return static_cast<char>(ch - 'A' + 'a'); });
    return name;
}

// The closest of some names to a word, within a few edits.
struct Nearest {
    std::size_t limit;
    std::size_t distance;
    std::size_t index = 0;
    explicit Nearest(const std::string& word) : limit(word.size() >= 6 ? 2 : 1), distance(limit + 1) {}
    void consider(const std::string& word, const std::string& name, std::size_t i) {
        if (std::max(word.size(), name.size()) - std::min(word.size(), name.size()) > limit)
            return;
        const std::size_t d = edit_distance(word, name);
        if (d < distance) {
            distance = d;
            index = i;
        }
    }
    bool found() const { return distance <= limit; }
};

}  // namespace

// Words are short: beyond 32 characters nothing more is compared.
std::size_t edit_distance(const std::string& a, const std::string& b) {
    constexpr std::size_t longest = 32;
    const std::size_t n = std::min(a.size(), longest), m = std::min(b.size(), longest);
    std::size_t d[longest + 1][longest + 1];
    for (std::size_t i = 0; i <= n; ++i)
        d[i][0] = i;
    for (std::size_t j = 0; j <= m; ++j)
        d[0][j] = j;
    for (std::size_t i = 1; i <= n; ++i) {
        for (std::size_t j = 1; j <= m; ++j) {
            const std::size_t change = a[i - 1] == b[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + change});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    }
    return d[n][m];
}

int Hints::count(Kind kind) const {
    const auto& texts = index_.texts();
    return static_cast<int>(std::count_if(texts.begin(), texts.end(), [&](const TextDef& t) { return t.kind == kind; }));
}

void Hints::annotate(Diagnostic& d) {
    if (d.severity != Diagnostic::Severity::error)
        return;
    note_token(d);
    note_range(d);
    note_nearest(d);
    note_entry_comment(d);
    note_duplicates(d);
    note_missing_items(d);
    note_follow_on(d);
    if (d.number == 32 || d.number == 33)
        place_at_section_end(d);
    if (one_of(d.number, stop_errors) && d.has_line && !index_.sections().empty())
        stop_ = Stop{columns(d, std::max(d.column, 1), std::max(d.end_column, 1)), d.number,
                     index_.sections().back().header, index_.sections().size()};
}

// A ";" glued to the offending token or to a word before it (a word read
// five wide swallows it), and a comment line indented.
void Hints::note_token(Diagnostic& d) const {
    if (!d.has_line || !d.has_text)
        return;
    const std::size_t end = std::min(static_cast<std::size_t>(std::max(d.end_column - 1, 0)), d.text.size());
    for (std::size_t i = 1; i < end; ++i) {
        if (d.text[i] == ';' && d.text[i - 1] != ' ' && d.text[i - 1] != '\t') {
            const int at = static_cast<int>(i) + 1;
            add_note(d, columns(d, at, at + 1), "a comment needs a blank before ';'");
            break;
        }
    }
    const std::size_t first = d.text.find_first_not_of(" \t");
    if (first != std::string::npos && first > 0 && d.text[first] == ';') {
        const int at = static_cast<int>(first) + 1;
        add_note(d, columns(d, at, at + 1),
                 "a comment line needs its ';' in column 1: indented, this line is read as an ordinary line");
    }
}

void Hints::note_range(Diagnostic& d) const {
    const bool too_big = all_digits(token_of(d));  // for the errors that say "not found or too big"
    std::string range;
    switch (d.number) {
    case 2: range = "word numbers are 1 to 254"; break;
    case 8:
        range = numbered("locations", count(Kind::location));
        if (!index_.sections().empty() && index_.sections().back().header == "/OBJ")
            range += "; an object may also start at 252 (not created), WORN (253) or CARRIED (254)";
        break;
    case 13: range = "a percentage is 1 to 99"; break;
    case 16: range = numbered("objects", count(Kind::object)); break;
    case 18: range = numbered("messages", count(Kind::message)); break;
    case 20: range = numbered("system messages", count(Kind::sysmess)); break;
    case 19: range = too_big ? "flags are numbered 0 to 255" : ""; break;
    case 21: range = too_big ? "values are 0 to 255" : ""; break;
    case 47: range = too_big ? "PROCESS names a table from 2 to 254" : ""; break;
    case 48: range = "PROCESS names a table from 2 to 254"; break;
    case 51: range = "an object weighs 0 to 63"; break;
    default: break;
    }
    if (!range.empty())
        add_note(d, columns(d, d.column, d.end_column), range);
}

// Did-you-mean for a word missing from the vocabulary (5) and a name that
// is not a condition or action (14).
void Hints::note_nearest(Diagnostic& d) {
    if (d.number != 5 && d.number != 14)
        return;
    std::string word = leading_word(token_of(d));
    if (word.size() < 3)
        return;
    if (d.number == 5) {
        const std::optional<std::size_t> found = nearest_word(word);
        if (found) {
            const WordDef& w = index_.words()[*found];
            add_note(d, w.at, "did you mean " + w.word + "? (" + word_type_name(w.type) + " " + std::to_string(w.number) +
                                  ", defined here)");
        }
        return;
    }
    word = word.substr(0, 7);  // names are told apart by their first seven characters
    Nearest nearest(word);
    for (int op = 0; op < opcode_count; ++op)
        if (std::strchr(opcode_table[op].name, ' ') == nullptr)  // not a reserved row
            nearest.consider(word, opcode_table[op].name, static_cast<std::size_t>(op));
    if (nearest.found())
        add_note(d, columns(d, d.column, d.end_column), std::string("did you mean ") + opcode_table[nearest.index].name + "?");
}

// The vocabulary is whole before any word is looked up, so the answer for
// a word stays the same; a source full of one misspelling asks once.
std::optional<std::size_t> Hints::nearest_word(const std::string& word) {
    if (const auto known = nearest_words_.find(word); known != nearest_words_.end())
        return known->second;
    const std::vector<WordDef>& words = index_.words();
    Nearest nearest(word);
    for (std::size_t i = 0; i < words.size(); ++i)
        nearest.consider(word, words[i].word, i);
    if (nearest_words_.size() >= 1024)
        nearest_words_.clear();
    return nearest_words_[word] = nearest.found() ? std::optional<std::size_t>(nearest.index) : std::nullopt;
}

// Error 10 right after an indented comment line that ended an entry.
void Hints::note_entry_comment(Diagnostic& d) const {
    if (d.number != 10 || index_.sections().empty())
        return;
    const Span& comment = last_comment_;
    if (comment.file != d.file_index || comment.line >= d.line)
        return;
    const Span& header = index_.sections().back().at;
    if (header.file == comment.file && header.line > comment.line)
        return;
    add_note(d, comment, "a comment must start in column 1: this indented comment line ended the entry");
}

void Hints::note_duplicates(Diagnostic& d) const {
    static const std::string prefix = "Duplicate word ";
    if (d.number != 36 || d.message.rfind(prefix, 0) != 0)
        return;
    const std::string key = d.message.substr(prefix.size());
    for (const WordDef& w : index_.words()) {
        std::string stored = w.word.substr(0, 5);
        stored.resize(5, ' ');
        if (stored == key)
            add_note(d, w.at, w.word + " is kept as its first five characters, " + w.word.substr(0, 5));
    }
}

void Hints::note_follow_on(Diagnostic& d) const {
    if (!stop_ || stop_->sections != index_.sections().size() || !one_of(d.number, follow_ons))
        return;
    add_note(d, stop_->at, "this follows from error " + std::to_string(stop_->number) + " here, which ended " +
                               stop_->section + " early");
}

// The first location or object with no line (32, 33); how many system
// messages there are (31).
void Hints::note_missing_items(Diagnostic& d) const {
    if (d.number == 31 && !index_.sections().empty()) {
        add_note(d, index_.sections().back().at,
                 "/STX holds " + std::to_string(count(Kind::sysmess)) + " system messages; 61 are needed, /0 to /60");
        return;
    }
    if (d.number != 32 && d.number != 33)
        return;
    const bool locations = d.number == 32;
    const std::size_t lines = locations ? index_.connections().size() : index_.objects().size();
    const TextDef* text = index_.text(locations ? Kind::location : Kind::object, static_cast<int>(lines));
    if (text != nullptr)
        add_note(d, text->at, std::string(locations ? "location " : "object ") + std::to_string(lines) +
                                  " (its text is here) is the first with no line in " + (locations ? "/CON" : "/OBJ"));
}

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

std::optional<Diagnostic> Hints::split_warning(const Span& continuation) {
    const Span at = continuation;
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
