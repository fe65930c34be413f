// Notes that lead from a diagnostic to its fix: what the compiler's message
// leaves unsaid, worked out from the source index of the same compilation
// and from the text of the line the diagnostic carries. Each diagnostic is
// annotated as it arrives, when the index holds everything read before it.
// Of the index the notes use the files, sections, line splits, words,
// texts, location and object lines; uses, exits, entries and condition
// lines need not be kept, but each entry must be passed to entry_ended and
// each use to referenced.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>

#include "core/observer.h"
#include "index/source_index.h"

namespace zel {

class Hints {
public:
    explicit Hints(const SourceIndex& index) : index_(index) {}

    // Adds the notes of a diagnostic that has just arrived; moves errors 32
    // and 33 to the last line of /CON or /OBJ in the file that holds it, and
    // whatever is reported past the last line of a file (at the end of the
    // source) to that line. The warnings of the bytes of one character
    // written in UTF-8 become one, at its first byte, which names the
    // character: false for those of the further bytes, which are to be
    // dropped.
    [[nodiscard]] bool annotate(Diagnostic& d);

    // The warning for a line that the compiler splits, given each split in
    // order (after the index has recorded it); none for the further pieces
    // of a line split more than once. Once the index keeps no more splits,
    // it says so instead, once.
    std::optional<Diagnostic> split_warning(const LineSplit& split);

    // An entry of a process table has ended.
    void entry_ended(const EntryDef& entry) { last_comment_ = entry.comment; }
    // A use of something defined elsewhere.
    void referenced(const Reference& r);

private:
    void note_token(Diagnostic& d) const;
    void note_range(Diagnostic& d) const;
    void note_nearest(Diagnostic& d);
    std::optional<std::size_t> nearest_word(const std::string& word);
    void note_entry_comment(Diagnostic& d) const;
    void note_duplicates(Diagnostic& d) const;
    bool follows_stop(const Diagnostic& d) const;
    void note_follow_on(Diagnostic& d) const;
    void note_missing_items(Diagnostic& d) const;
    void note_word_type(Diagnostic& d) const;
    void note_container(Diagnostic& d) const;
    void note_required_tables(Diagnostic& d) const;
    void remember_object_error(const Diagnostic& d);
    void place_at_section_end(Diagnostic& d) const;
    void place_within_files(Diagnostic& d) const;
    bool merge_character(Diagnostic& d);
    int count(Kind kind) const;

    // The error that stopped a section early (0, 6, 9, 23): the errors that
    // come of it before the next section is found point back at it.
    struct Stop {
        Span at;
        int number = 0;
        std::string section;
        std::size_t sections = 0;  // sections found when it was reported
    };

    const SourceIndex& index_;
    std::optional<Stop> stop_;
    Span last_comment_;  // the indented comment line that ended the last entry, if one did
    Span last_piece_;    // the last piece given to split_warning
    bool told_untracked_ = false;
    std::map<std::string, std::optional<std::size_t>> nearest_words_;  // word -> index in words()
    std::map<std::pair<int, unsigned>, std::pair<int, Span>> object_errors_;  // (file, line) of an /OBJ line -> its first error
    std::optional<Reference> highest_table_;  // the first PROCESS naming the highest table named
    Span character_;  // the bytes of the character of the last warning merged (line 0: none)
};

// Moves a diagnostic and its notes from the compiler's lines to the editor's:
// a line longer than 258 characters is one line for the editor.
void to_editor_positions(Diagnostic& d, const SourceIndex& index);

// The number of single-character edits (insertions, deletions, changes, and
// swaps of two neighbours) that turn one word into the other.
std::size_t edit_distance(const std::string& a, const std::string& b);

}  // namespace zel
