#include "index/source_index.h"

#include <algorithm>
#include <cstring>

namespace zel {

namespace {

bool contains(const Span& s, int file, unsigned line, unsigned column) {
    return s.file == file && s.line == line && column >= s.begin && column < std::max(s.end, s.begin + 1);
}

// A span and the lines of the item it starts, for items that run over
// several lines.
bool within_lines(int file, unsigned first, unsigned last, const Span& at) {
    return at.file == file && at.line >= first && at.line <= last;
}

std::string first_five(const std::string& word) { return word.substr(0, 5); }

// The compiler reads files in order and the lines of each in order, so the
// splits are recorded sorted by file and line, and every look-up of a line
// is a binary search: a document of one very long line has as many splits
// as it has 258-character pieces.
bool earlier(const Span& a, const Span& b) { return a.file < b.file || (a.file == b.file && a.line < b.line); }

}  // namespace

void SourceIndex::report(const Diagnostic& d) {
    if (keep_diagnostics_)
        diagnostics_.push_back(d);
}

void SourceIndex::file_opened(const SourceFile& f) {
    files_.push_back(f);
    last_lines_.push_back(0);
}

void SourceIndex::file_closed(const Span& at) {
    if (at.file >= 0 && static_cast<std::size_t>(at.file) < last_lines_.size())
        last_lines_[static_cast<std::size_t>(at.file)] = at.line;
}

void SourceIndex::section_found(const SectionDef& s) { sections_.push_back(s); }
void SourceIndex::null_word_declared(char character, const Span&) { null_word_ = character; }
void SourceIndex::line_split(const LineSplit& split) { splits_.push_back(split.at); }
void SourceIndex::word_defined(const WordDef& w) { words_.push_back(w); }
void SourceIndex::text_defined(const TextDef& t) { texts_.push_back(t); }
void SourceIndex::connections_defined(const ConnectionDef& c) { connections_.push_back(c); }
void SourceIndex::exit_defined(const ExitDef& e) { exits_.push_back(e); }
void SourceIndex::object_defined(const ObjectDef& o) { objects_.push_back(o); }
void SourceIndex::entry_defined(const EntryDef& e) { entries_.push_back(e); }
void SourceIndex::condact_defined(const CondactDef& c) { condacts_.push_back(c); }
void SourceIndex::referenced(const Reference& r) { references_.push_back(r); }

int SourceIndex::file_named(const std::string& found) const {
    for (const SourceFile& f : files_)
        if (f.found == found)
            return f.index;
    return -1;
}

unsigned SourceIndex::last_line(int file) const {
    if (file < 0 || static_cast<std::size_t>(file) >= last_lines_.size())
        return 0;
    return last_lines_[static_cast<std::size_t>(file)];
}

unsigned SourceIndex::section_end(std::size_t section) const {
    const SectionDef& s = sections_.at(section);
    for (std::size_t next = section + 1; next < sections_.size(); ++next)
        if (sections_[next].at.file == s.at.file && sections_[next].at.line > s.at.line)
            return sections_[next].at.line - 1;
    return std::max(last_line(s.at.file), s.at.line);
}

int SourceIndex::section_at(const Span& at) const {
    int found = -1;
    for (std::size_t i = 0; i < sections_.size(); ++i) {
        const Span& h = sections_[i].at;
        if (h.file == at.file && h.line <= at.line && at.line <= section_end(i))
            found = static_cast<int>(i);
    }
    return found;
}

const TextDef* SourceIndex::text(Kind kind, int number) const {
    for (const TextDef& t : texts_)
        if (t.kind == kind && t.number == number)
            return &t;
    return nullptr;
}

const ConnectionDef* SourceIndex::connections_of(int location) const {
    for (const ConnectionDef& c : connections_)
        if (c.location == location)
            return &c;
    return nullptr;
}

const ObjectDef* SourceIndex::object(int number) const {
    for (const ObjectDef& o : objects_)
        if (o.object == number)
            return &o;
    return nullptr;
}

std::vector<const WordDef*> SourceIndex::words_numbered(int number, int type) const {
    std::vector<const WordDef*> found;
    for (const WordDef& w : words_)
        if (w.number == number && (type < 0 || w.type == type))
            found.push_back(&w);
    return found;
}

const WordDef* SourceIndex::word(const std::string& text) const {
    const std::string key = first_five(text);
    for (const WordDef& w : words_)
        if (first_five(w.word) == key)
            return &w;
    return nullptr;
}

std::vector<const EntryDef*> SourceIndex::entries_of(int table) const {
    std::vector<const EntryDef*> found;
    for (const EntryDef& e : entries_)
        if (e.table == table)
            found.push_back(&e);
    return found;
}

const EntryDef* SourceIndex::entry_at(const Span& at) const {
    for (const EntryDef& e : entries_)
        if (within_lines(e.at.file, e.at.line, e.last_line, at))
            return &e;
    return nullptr;
}

Hit SourceIndex::at(int file, unsigned line, unsigned column) const {
    Hit best;
    auto consider = [&](Hit::What what, std::size_t i, const Span& s) {
        if (!contains(s, file, line, column))
            return;
        if (best.what == Hit::What::none || s.end - s.begin < best.at.end - best.at.begin)
            best = Hit{what, i, s};
    };
    for (std::size_t i = 0; i < references_.size(); ++i)
        consider(Hit::What::reference, i, references_[i].at);
    for (std::size_t i = 0; i < words_.size(); ++i)
        consider(Hit::What::word, i, words_[i].at);
    for (std::size_t i = 0; i < texts_.size(); ++i)
        consider(Hit::What::text, i, texts_[i].at);
    for (std::size_t i = 0; i < connections_.size(); ++i)
        consider(Hit::What::connections, i, connections_[i].at);
    for (std::size_t i = 0; i < objects_.size(); ++i)
        consider(Hit::What::object, i, objects_[i].at);
    for (std::size_t i = 0; i < condacts_.size(); ++i)
        consider(Hit::What::condact, i, condacts_[i].name);
    return best;
}

std::optional<ItemKey> SourceIndex::key_of(const Hit& hit) const {
    switch (hit.what) {
    case Hit::What::reference: {
        const Reference& r = references_[hit.index];
        return ItemKey{r.kind, r.number, r.kind == Kind::word ? r.type : -1};
    }
    case Hit::What::word: return ItemKey{Kind::word, words_[hit.index].number, words_[hit.index].type};
    case Hit::What::text: return ItemKey{texts_[hit.index].kind, texts_[hit.index].number, -1};
    case Hit::What::connections: return ItemKey{Kind::location, connections_[hit.index].location, -1};
    case Hit::What::object: return ItemKey{Kind::object, objects_[hit.index].object, -1};
    default: return std::nullopt;
    }
}

std::vector<Span> SourceIndex::definitions(const ItemKey& key) const {
    std::vector<Span> found;
    switch (key.kind) {
    case Kind::word:
        for (const WordDef* w : words_numbered(key.number, key.type))
            found.push_back(w->at);
        break;
    case Kind::sysmess:
    case Kind::message:
        if (const TextDef* t = text(key.kind, key.number))
            found.push_back(t->at);
        break;
    case Kind::object:
        if (const TextDef* t = text(Kind::object, key.number))
            found.push_back(t->at);
        if (const ObjectDef* o = object(key.number))
            found.push_back(o->at);
        break;
    case Kind::location:
        if (const TextDef* t = text(Kind::location, key.number))
            found.push_back(t->at);
        if (const ConnectionDef* c = connections_of(key.number))
            found.push_back(c->at);
        break;
    case Kind::process:
        for (const SectionDef& s : sections_)
            if (s.header == "/PRO" && s.number == key.number) {
                found.push_back(s.at);
                break;
            }
        break;
    default: break;
    }
    return found;
}

std::vector<const Reference*> SourceIndex::references_to(const ItemKey& key) const {
    std::vector<const Reference*> found;
    for (const Reference& r : references_)
        if (r.kind == key.kind && r.number == key.number && (key.kind != Kind::word || key.type < 0 || r.type == key.type))
            found.push_back(&r);
    return found;
}

bool SourceIndex::continues_line(int file, unsigned line) const {
    return std::binary_search(splits_.begin(), splits_.end(), Span{file, line, 0, 0}, earlier);
}

// The number of splits of a file at or before a compiler line.
std::size_t SourceIndex::splits_through(int file, unsigned line) const {
    const auto first = std::lower_bound(splits_.begin(), splits_.end(), Span{file, 0, 0, 0}, earlier);
    const auto last = std::upper_bound(splits_.begin(), splits_.end(), Span{file, line, 0, 0}, earlier);
    return static_cast<std::size_t>(last - first);
}

// How many compiler lines in a row, from `line` on in the direction `step`
// (+1 or -1), continue the line before them.
unsigned SourceIndex::continuations(int file, unsigned line, int step) const {
    const auto at = std::lower_bound(splits_.begin(), splits_.end(), Span{file, line, 0, 0}, earlier);
    if (at == splits_.end() || at->file != file || at->line != line)
        return 0;
    const auto i = static_cast<long>(at - splits_.begin());
    // The splits are distinct and in order: the run is as long as the
    // entries k steps away still hold line + k * step.
    const auto holds = [&](long k) {
        const long j = i + k * step;
        return j >= 0 && j < static_cast<long>(splits_.size()) && splits_[static_cast<std::size_t>(j)].file == file &&
               static_cast<long>(splits_[static_cast<std::size_t>(j)].line) == static_cast<long>(line) + k * step;
    };
    long low = 0, high = static_cast<long>(splits_.size());  // holds(low), !holds(high)
    while (high - low > 1) {
        const long mid = low + (high - low) / 2;
        (holds(mid) ? low : high) = mid;
    }
    return static_cast<unsigned>(low + 1);
}

// Each split adds one compiler line within the same editor line, and moves
// the columns of its piece on by the 258 characters before it.
unsigned SourceIndex::editor_line(int file, unsigned line) const {
    return line - static_cast<unsigned>(splits_through(file, line));
}

unsigned SourceIndex::editor_column(int file, unsigned line, unsigned column) const {
    return column + continuations(file, line, -1) * 258;
}

unsigned SourceIndex::compiler_line(int file, unsigned editor, unsigned editor_col, unsigned& column) const {
    // The first piece of the editor line: the first compiler line whose
    // editor line is `editor`.
    unsigned low = editor, high = editor + static_cast<unsigned>(splits_through(file, ~0u));
    while (low < high) {
        const unsigned mid = low + (high - low) / 2;
        if (editor_line(file, mid) >= editor)
            high = mid;
        else
            low = mid + 1;
    }
    const unsigned first = low;
    const unsigned pieces = continuations(file, first + 1, +1);
    const unsigned piece = std::min(pieces, editor_col > 0 ? (editor_col - 1) / 258 : 0);
    column = editor_col - piece * 258;
    return first + piece;
}

}  // namespace zel
