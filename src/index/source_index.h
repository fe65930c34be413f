// The source index: what every line of an adventure defines and refers to,
// as the compiler read it. It is an observer: attach it to a compilation and
// ask it afterwards. Every tool that needs to know the source (check's notes,
// lint, stats, the source map, the language server) asks the index; none of
// them reads the source language itself.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/observer.h"

namespace zel {

// What lies under a position: one of the recorded definitions or references.
struct Hit {
    enum class What { none, reference, word, text, connections, exit, object, entry, condact } what = What::none;
    std::size_t index = 0;  // into the matching list of the index
    Span at;                // the span that was hit
};

// A defined thing: its kind, number and, for words, the type.
struct ItemKey {
    Kind kind = Kind::word;
    int number = 0;
    int type = -1;  // words only
    bool operator==(const ItemKey&) const = default;
};

class SourceIndex : public Observer {
public:
    // An index keeps the first most_diagnostics diagnostics, or none: then
    // it leaves them to whoever prints them as they come. It counts them all
    // the same.
    explicit SourceIndex(bool keep_diagnostics = true) : keep_diagnostics_(keep_diagnostics) {}
    static constexpr std::size_t most_diagnostics = 1000;

    // What the index keeps does not grow with the source: of each kind of
    // record it keeps at most this many, more than a database can hold (every
    // use, exit, entry and condition line takes a byte of it at least, and a
    // database has fewer than 65,536), so an index that drops some belongs
    // to a compilation with errors. Split lines are kept as runs, one per
    // line that the compiler splits, however many times: of those too it
    // keeps this many, and lines after the last one it keeps count each
    // further piece as a line.
    static constexpr std::size_t most_records = 1u << 16;
    bool complete() const { return complete_; }
    bool splits_complete() const { return splits_complete_; }
    unsigned errors() const { return errors_; }
    unsigned warnings() const { return warnings_; }

    // Observer: record everything.
    void report(const Diagnostic& d) override;
    void file_opened(const SourceFile& f) override;
    void file_closed(const Span& at) override;
    void section_found(const SectionDef& s) override;
    void null_word_declared(char character, const Span& at) override;
    void line_split(const LineSplit& split) override;
    void word_defined(const WordDef& w) override;
    void text_defined(const TextDef& t) override;
    void connections_defined(const ConnectionDef& c) override;
    void exit_defined(const ExitDef& e) override;
    void object_defined(const ObjectDef& o) override;
    void entry_defined(const EntryDef& e) override;
    void condact_defined(const CondactDef& c) override;
    void referenced(const Reference& r) override;

    // Everything recorded, in the order the compiler read it.
    const std::vector<SourceFile>& files() const { return files_; }
    const std::vector<SectionDef>& sections() const { return sections_; }
    const std::vector<Diagnostic>& diagnostics() const { return diagnostics_; }
    const std::vector<WordDef>& words() const { return words_; }
    const std::vector<TextDef>& texts() const { return texts_; }
    const std::vector<ConnectionDef>& connections() const { return connections_; }
    const std::vector<ExitDef>& exits() const { return exits_; }
    const std::vector<ObjectDef>& objects() const { return objects_; }
    const std::vector<EntryDef>& entries() const { return entries_; }
    const std::vector<CondactDef>& condacts() const { return condacts_; }
    const std::vector<Reference>& references() const { return references_; }
    // The null word character of the control line; 0 before it is read.
    char null_word() const { return null_word_; }

    // The file of that index, by the name it was found under; -1 when none.
    int file_named(const std::string& found) const;
    // The last line the compiler read of a file (0 when unknown).
    unsigned last_line(int file) const;
    // The last line of a section: the line before the next header in its
    // file, or the file's last line.
    unsigned section_end(std::size_t section) const;
    // The section a span lies in, or -1.
    int section_at(const Span& at) const;

    // Look-ups by key.
    const TextDef* text(Kind kind, int number) const;
    const ConnectionDef* connections_of(int location) const;
    const ObjectDef* object(int number) const;
    std::vector<const WordDef*> words_numbered(int number, int type) const;  // a word and its synonyms
    const WordDef* word(const std::string& text) const;                      // by its first five characters
    std::vector<const EntryDef*> entries_of(int table) const;
    const EntryDef* entry_at(const Span& at) const;  // the entry whose lines hold the span

    // What is under a position (compiler lines and columns), preferring the
    // narrowest span.
    Hit at(int file, unsigned line, unsigned column) const;
    // The thing a hit names, when it names one.
    std::optional<ItemKey> key_of(const Hit& hit) const;
    // Where a thing is defined: a text's "/n" line, an object's /OTX and /OBJ
    // lines, a location's /LTX and /CON lines, every vocabulary line of a
    // word and its synonyms, a process table's first /PRO header.
    std::vector<Span> definitions(const ItemKey& key) const;
    // Every use of a thing across the chain.
    std::vector<const Reference*> references_to(const ItemKey& key) const;

    // Lines as the editor counts them: a line longer than 258 characters is
    // one line for the editor and several for the compiler.
    unsigned editor_line(int file, unsigned line) const;
    unsigned editor_column(int file, unsigned line, unsigned column) const;
    unsigned compiler_line(int file, unsigned editor_line, unsigned editor_column, unsigned& column) const;
    // Whether a compiler line is the continuation of the line before it.
    bool continues_line(int file, unsigned line) const;

private:
    // Compiler lines first to last of a file continue the line before each;
    // `before` counts the lines of the runs before this one.
    struct SplitRun {
        int file = 0;
        unsigned first = 0, last = 0;
        std::uint64_t before = 0;
    };
    template <class T>
    void record(std::vector<T>& list, const T& item);
    const SplitRun* last_run_from(int file, unsigned line) const;
    const SplitRun* run_at(int file, unsigned line) const;
    std::uint64_t splits_up_to(int file, unsigned line) const;
    std::size_t splits_through(int file, unsigned line) const;

    bool keep_diagnostics_;
    bool complete_ = true;
    bool splits_complete_ = true;
    unsigned errors_ = 0, warnings_ = 0;
    char null_word_ = 0;
    std::vector<SourceFile> files_;
    std::vector<unsigned> last_lines_;
    std::vector<SectionDef> sections_;
    std::vector<SplitRun> splits_;
    std::vector<Diagnostic> diagnostics_;
    std::vector<WordDef> words_;
    std::vector<TextDef> texts_;
    std::vector<ConnectionDef> connections_;
    std::vector<ExitDef> exits_;
    std::vector<ObjectDef> objects_;
    std::vector<EntryDef> entries_;
    std::vector<CondactDef> condacts_;
    std::vector<Reference> references_;
};

}  // namespace zel
