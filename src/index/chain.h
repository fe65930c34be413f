// Which adventure a source file belongs to, when it does not start one
// itself but is a later file of another's /LNK chain; and the link that was
// meant to reach a file but names it wrongly.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/observer.h"
#include "core/platform.h"

namespace zel {

// A candidate whose chain stops at a link misspelt for the file searched.
struct MisspeltLink {
    std::string adventure;  // the candidate
    Diagnostic error;       // its error 37, at the link line
};

struct ChainSearch {
    std::vector<std::string> reaching;   // candidates whose chain of source files reaches the file
    std::vector<MisspeltLink> misspelt;  // candidates whose chain stops at a link misspelt for it
};

// Searches the adventures among `candidates` (names as zelc takes them) for
// the file found as `target`. Each candidate is compiled in memory with
// switch N, so nothing is written.
ChainSearch search_chains(FileSystem& files, const std::string& target, const std::vector<std::string>& candidates);

// For error 37 at a /LNK line (a linked file not found) whose name is
// within a few edits of one of `names` (adventure names: source file names
// without .SCE, in any case): the note "did you mean NAME?" at the name on
// the link line, in the positions of the diagnostic itself, for the nearest.
std::optional<Note> misspelt_link(const Diagnostic& d, const std::vector<std::string>& names);

}  // namespace zel
