// Edits an author would otherwise make by hand: renumbering, inserting and
// deleting numbered items (system messages, messages, objects, locations,
// process tables, flags) with every definition and reference across the
// chain of files, and renaming a vocabulary word.
//
// Every edit is computed from the source index of an error-free compilation
// and the text of every file it read, and gives either a plan (byte
// replacements over those texts, and what they do) or a refusal (why not,
// and where). Nothing here reads or writes a file: the command line applies
// a plan to the files, the language server sends it to the editor.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "index/source_index.h"

namespace zel::edits {

// What an edit works on: the index of a compilation and the text of every
// source file it read, by file index (SourceFile::index).
struct Sources {
    const SourceIndex& index;
    const std::vector<std::string>& texts;
};

// Bytes [offset, offset + length) of a file's text become `text`.
struct Replacement {
    int file = 0;
    std::size_t offset = 0;
    std::size_t length = 0;
    std::string text;
};

// A place in a file: the line as an editor counts it (lines end at line
// feeds only) and the byte column, both from 1.
struct Place {
    int file = -1;
    unsigned line = 0;
    unsigned column = 0;
};

struct Remark {
    Place at;
    std::string text;
};

// How the numbers of one kind changed: to[n] is the new number of item n
// (-1 when it was deleted); `inserted` is the number of a new item, or -1.
struct Renumbering {
    Kind kind = Kind::message;
    std::vector<int> to;
    int inserted = -1;
};

struct Plan {
    std::vector<Replacement> replacements;  // by file and offset; none overlap
    std::string summary;                    // what moved, in one line
    std::vector<Remark> todo;               // what the author must still do, placed in the edited texts
    std::vector<Renumbering> moved;         // every kind whose numbers changed
};

struct Refusal {
    std::string reason;
    std::vector<Remark> places;  // what the reason is about, in the texts as they are
};

using Outcome = std::variant<Plan, Refusal>;

// The kinds as the commands spell them: "sysmess", "message", "object",
// "location", "table" and "flag".
std::optional<Kind> kind_named(std::string_view name);
// The kind in words for people: "system message", "message", ... "table".
std::string kind_words(Kind kind, bool plural = false);
// The lowest number of a kind that may move: the numbers below it (system
// messages 0 to 60, tables 0 to 2) are the run-time's own.
int first_movable(Kind kind);

// Item `from` of a kind takes the number `to`; the items between shift by
// one to make room. A flag moves only into a flag that nothing uses.
Outcome renumber(const Sources& sources, Kind kind, int from, int to);
// A new item numbered `at` (a text of the lines of `text`, when given); the
// items from `at` on move up by one.
Outcome insert(const Sources& sources, Kind kind, int at, const std::string& text = {});
// Item `number` goes, and the later ones move down by one; refused while
// anything refers to it.
Outcome remove(const Sources& sources, Kind kind, int number);
// One spelling of a vocabulary word becomes another, on its vocabulary
// line and wherever the compiler reads that spelling; synonyms keep theirs.
Outcome rename_word(const Sources& sources, const std::string& word, const std::string& new_word);

// The texts with a plan's replacements made.
std::vector<std::string> apply(const Plan& plan, const std::vector<std::string>& texts);
// The files a plan changes, in order.
std::vector<int> files_changed(const Plan& plan);
// The plan as a unified diff, each file under the name given for it.
std::string unified_diff(const Plan& plan, const std::vector<std::string>& texts, const std::vector<std::string>& names);

// Compiles the edited texts in memory, as the index's compilation read the
// originals; a refusal when they no longer compile without errors (which
// means a fault of the edit, never of the author).
std::optional<Refusal> check_edited(const SourceIndex& index, const std::vector<std::string>& edited);

}  // namespace zel::edits
