#include "index/hints.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "format/format.h"
#include "format/opcodes.h"
#include "index/hints_support.h"

namespace zel {

using namespace hints;

namespace {

constexpr int stop_errors[] = {0, 6, 9, 23};         // errors that end a section early
constexpr int follow_ons[] = {31, 32, 33, 41, 46};   // errors that such an end brings
// Errors that end an object line before its attributes are stored: the
// object is then no container, whatever its line says.
constexpr int attributes_lost[] = {7, 8, 40, 43, 50, 51, 52};

template <std::size_t N>
bool one_of(int number, const int (&numbers)[N]) {
    return std::find(std::begin(numbers), std::end(numbers), number) != std::end(numbers);
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

bool Hints::annotate(Diagnostic& d) {
    if (d.severity != Diagnostic::Severity::error)
        return merge_character(d);
    note_token(d);
    note_range(d);
    note_nearest(d);
    note_entry_comment(d);
    note_duplicates(d);
    note_missing_items(d);
    note_word_type(d);
    note_container(d);
    note_required_tables(d);
    note_follow_on(d);
    remember_object_error(d);
    if (d.number == 32 || d.number == 33)
        place_at_section_end(d);
    place_within_files(d);
    if (one_of(d.number, stop_errors) && d.has_line && !index_.sections().empty())
        stop_ = Stop{columns(d, std::max(d.column, 1), std::max(d.end_column, 1)), d.number,
                     index_.sections().back().header, index_.sections().size()};
    return true;
}

void Hints::referenced(const Reference& r) {
    if (r.kind == Kind::process && (!highest_table_ || r.number > highest_table_->number))
        highest_table_ = r;
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

// The numbers allowed, for a number too big and for a number "not found"
// because it is above 255, which no parameter takes.
void Hints::note_range(Diagnostic& d) const {
    const bool too_big = all_digits(token_of(d));
    std::string range;
    switch (d.number) {
    case 2: range = "word numbers are 1 to 254"; break;
    case 7:
    case 8:
        if (d.number == 7 && !too_big)
            break;
        range = numbered("locations", count(Kind::location));
        if (!index_.sections().empty() && index_.sections().back().header == "/OBJ")
            range += "; an object may also start at 252 (not created), WORN (253) or CARRIED (254)";
        break;
    case 12: range = too_big ? "a percentage is 1 to 99" : ""; break;
    case 13: range = "a percentage is 1 to 99"; break;
    case 15: range = too_big ? numbered("objects", count(Kind::object)) : ""; break;
    case 16: range = numbered("objects", count(Kind::object)); break;
    case 17: range = too_big ? numbered("messages", count(Kind::message)) : ""; break;
    case 18: range = numbered("messages", count(Kind::message)); break;
    case 11: range = too_big ? numbered("system messages", count(Kind::sysmess)) : ""; break;
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

bool Hints::follows_stop(const Diagnostic& d) const {
    return stop_ && stop_->sections == index_.sections().size() && one_of(d.number, follow_ons);
}

void Hints::note_follow_on(Diagnostic& d) const {
    if (!follows_stop(d))
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

// Error 44: what the word is; and on an object line an adjective where the
// noun belongs, followed by a noun: the two are the wrong way round.
void Hints::note_word_type(Diagnostic& d) const {
    if (d.number != 44)
        return;
    const std::string written = token_of(d);
    const WordDef* word = written.empty() ? nullptr : index_.word(leading_word(written));
    if (word == nullptr)
        return;
    add_note(d, word->at, word->word + " is " + word_type_name(word->type) + " " + std::to_string(word->number) +
                              ", defined here");
    if (word->type != adjective || !d.message.ends_with(" is not a noun") || index_.sections().empty() ||
        index_.sections().back().header != "/OBJ")
        return;
    std::size_t begin = std::min(static_cast<std::size_t>(d.end_column - 1), d.text.size()), end = 0;
    while (begin < d.text.size() && (d.text[begin] == ' ' || d.text[begin] == '\t'))
        ++begin;
    for (end = begin; end < d.text.size() && letter_or_digit(d.text[end]);)
        ++end;
    const std::string next = d.text.substr(begin, end - begin);
    const WordDef* noun_word = next.empty() ? nullptr : index_.word(leading_word(next));
    if (noun_word != nullptr && noun_word->type == noun)
        add_note(d, columns(d, d.column, static_cast<int>(end) + 1),
                 "an object's noun comes before its adjective: " + next + " " + written);
}

// Error 49: why the object named is no container.
void Hints::note_container(Diagnostic& d) const {
    const std::string token = token_of(d);
    if (d.number != 49 || !all_digits(token) || token.size() > 3)
        return;
    const int number = std::stoi(token);
    const ObjectDef* object = index_.object(number);
    if (object == nullptr)
        return;
    const std::string name = "object " + std::to_string(number);
    const auto error = object_errors_.find({object->line.file, object->line.line});
    if (error != object_errors_.end() && one_of(error->second.first, attributes_lost))
        add_note(d, error->second.second, "this follows from error " + std::to_string(error->second.first) +
                                              " here, which dropped the rest of " + name + "'s line: it is no container");
    else if (!object->container)
        add_note(d, object->line, name + " is not a container: its /OBJ line needs Y after the weight");
}

// Error 46: which tables are required, and why.
void Hints::note_required_tables(Diagnostic& d) const {
    static const std::string prefix = "/PRO";
    if (d.number != 46 || d.message.rfind(prefix, 0) != 0 || follows_stop(d))
        return;
    const int table = std::atoi(d.message.c_str() + prefix.size());
    if (table <= 2) {
        add_note(d, columns(d, d.column, d.end_column), "tables 0, 1 and 2 are always required");
    } else if (highest_table_ && highest_table_->number >= table) {
        const std::string highest = std::to_string(highest_table_->number);
        add_note(d, highest_table_->at, "PROCESS " + highest + " here makes every table up to " + highest + " required");
    }
}

// The first error of each object line, for error 49.
void Hints::remember_object_error(const Diagnostic& d) {
    if (d.has_line && !index_.sections().empty() && index_.sections().back().header == "/OBJ" &&
        object_errors_.size() < 256)
        object_errors_.emplace(std::pair(d.file_index, d.line),
                               std::pair(d.number, columns(d, d.column, d.end_column)));
}

}  // namespace zel
