// The rules an edit keeps, each a refusal with its reason when broken.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "edits/items.h"

namespace zel::edits {

Refusal refusal(std::string reason, std::vector<Remark> places = {});

// The texts must be those of the index's files, and the compilation must
// have ended without errors: an edit could miss a reference in a line the
// compiler could not read.
std::optional<Refusal> compiled_cleanly(const Sources& sources);

// `number` names an item of the kind that may move (the run-time's own
// numbers never do).
std::optional<Refusal> movable(const Items& items, int number);
// A new item may be numbered `at`, and there is room for one more.
std::optional<Refusal> insertable(const Items& items, int at);

// The lines of a new text, each a line of `text`: none may begin a new
// item, a section or a comment, nor be cut by the compiler.
std::optional<Refusal> text_lines(const std::string& text, std::vector<std::string>& lines);

// After tables are renumbered (to[t], -1 for a table deleted) into
// `count` tables, the compiler must still read each: a table is read only
// when a PROCESS in an earlier one names it or a later one.
std::optional<Refusal> tables_still_read(const SourceIndex& index, const std::vector<int>& to, int count);

// Every use of item `number` of a kind, placed and described.
std::vector<Remark> uses_of(const TextMap& map, Kind kind, int number);
// What a reference is, for people: "MESSAGE in table 1", "an exit", ...
std::string use_words(const SourceIndex& index, const Reference& r);

}  // namespace zel::edits
