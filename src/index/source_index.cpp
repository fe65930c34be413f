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

}  // namespace

template <class T>
void SourceIndex::record(std::vector<T>& list, const T& item) {
    if (list.size() < most_records)
        list.push_back(item);
    else
        complete_ = false;
}

void SourceIndex::report(const Diagnostic& d) {
    ++(d.severity == Diagnostic::Severity::error ? errors_ : warnings_);
    if (keep_diagnostics_ && diagnostics_.size() < most_diagnostics)
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

void SourceIndex::section_found(const SectionDef& s) { record(sections_, s); }
void SourceIndex::null_word_declared(char character, const Span&) { null_word_ = character; }
void SourceIndex::word_defined(const WordDef& w) { record(words_, w); }
void SourceIndex::text_defined(const TextDef& t) { record(texts_, t); }
void SourceIndex::connections_defined(const ConnectionDef& c) { record(connections_, c); }
void SourceIndex::exit_defined(const ExitDef& e) { record(exits_, e); }
void SourceIndex::object_defined(const ObjectDef& o) { record(objects_, o); }
void SourceIndex::entry_defined(const EntryDef& e) { record(entries_, e); }
void SourceIndex::condact_defined(const CondactDef& c) { record(condacts_, c); }
void SourceIndex::referenced(const Reference& r) { record(references_, r); }

// A piece that continues the last run lengthens it; any other starts a run.
void SourceIndex::line_split(const LineSplit& split) {
    const Span& at = split.at;
    if (!splits_.empty() && splits_.back().file == at.file && splits_.back().last + 1 == at.line) {
        ++splits_.back().last;
        return;
    }
    if (splits_.size() >= most_records) {
        splits_complete_ = false;
        return;
    }
    const std::uint64_t before = splits_.empty() ? 0 : splits_.back().before + splits_.back().last - splits_.back().first + 1;
    splits_.push_back({at.file, at.line, at.line, before});
}

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

// The compiler reads files in order and the lines of each in order, so the
// runs are recorded sorted by file and line, and every look-up of a line is
// a binary search: the last run that begins at or before it, or null.
const SourceIndex::SplitRun* SourceIndex::last_run_from(int file, unsigned line) const {
    const auto after = std::upper_bound(splits_.begin(), splits_.end(), std::pair{file, line},
                                        [](const std::pair<int, unsigned>& at, const SplitRun& run) {
                                            return at < std::pair{run.file, run.first};
                                        });
    return after == splits_.begin() ? nullptr : &*(after - 1);
}

// The run that holds a compiler line of a file, or null.
const SourceIndex::SplitRun* SourceIndex::run_at(int file, unsigned line) const {
    const SplitRun* run = last_run_from(file, line);
    return run && run->file == file && line <= run->last ? run : nullptr;
}

bool SourceIndex::continues_line(int file, unsigned line) const { return run_at(file, line) != nullptr; }

// The number of split lines of every file up to a line of a file, that one
// included.
std::uint64_t SourceIndex::splits_up_to(int file, unsigned line) const {
    const SplitRun* run = last_run_from(file, line);
    if (!run)
        return 0;
    const unsigned last = run->file == file ? std::min(line, run->last) : run->last;
    return run->before + (last - run->first + 1);
}

// The number of splits of a file at or before a compiler line.
std::size_t SourceIndex::splits_through(int file, unsigned line) const {
    return static_cast<std::size_t>(splits_up_to(file, line) - splits_up_to(file, 0));
}

// Each split adds one compiler line within the same editor line, and moves
// the columns of its piece on by the 258 characters before it.
unsigned SourceIndex::editor_line(int file, unsigned line) const {
    return line - static_cast<unsigned>(splits_through(file, line));
}

// A piece is the (line - first + 2)th of its line: the pieces before it
// take 258 characters each.
unsigned SourceIndex::editor_column(int file, unsigned line, unsigned column) const {
    const SplitRun* run = run_at(file, line);
    return column + (run ? line - run->first + 1 : 0) * 258;
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
    const SplitRun* run = run_at(file, first + 1);
    const unsigned pieces = run ? run->last - first : 0;
    const unsigned piece = std::min(pieces, editor_col > 0 ? (editor_col - 1) / 258 : 0);
    column = editor_col - piece * 258;
    return first + piece;
}

}  // namespace zel
