// The adventure's locations as a graph: the exits of /CON and the GOTO
// actions of the process tables, and which locations can be reached from
// the start. Lint and the source map both read it, so that the map shades
// exactly the locations lint reports.
#pragma once

#include <string>
#include <vector>

#include "index/source_index.h"

namespace zel::analysis {

// A GOTO action: the entry it belongs to moves the player from the location
// that entry tests with AT (or from anywhere, when it tests none).
struct Goto {
    int from = -1;  // -1: any location
    int to = 0;
    const EntryDef* entry = nullptr;
    const CondactDef* action = nullptr;
};

struct World {
    int locations = 0;
    int start = 0;
    std::vector<const TextDef*> texts;              // each location's /LTX text (null when missing)
    std::vector<const ConnectionDef*> connections;  // each location's /CON line
    std::vector<std::vector<const ExitDef*>> exits; // each location's exits, in source order
    std::vector<Goto> gotos;
    std::vector<int> container;                     // the container object whose inside the location is, or -1
    std::vector<bool> reachable;

    bool valid(int n) const { return n >= 0 && n < locations; }
    // Not reachable, and not the inside of a container (nobody walks into a
    // container; the format needs its location all the same).
    bool unreachable(int n) const { return !reachable[n] && container[n] < 0; }
    // Ways out of a location: its exits and the GOTOs of entries that test it.
    bool has_way_out(int n) const;
};

// The graph of the compiled adventure, reached from location `start`.
World world_of(const SourceIndex& index, int start);

// What the author calls a location: the note after its number in /LTX, else
// the one in /CON, else the first words of its text.
std::string place_name(const World& world, int n);

// A word as the vocabulary spells it in full (the first of the lines that
// share its five characters), else as written.
std::string full_word(const SourceIndex& index, const std::string& written);

// The words of an entry for people: "JUMP", "GET LAMP"; the null word left out.
std::string entry_words(const SourceIndex& index, const EntryDef& entry);

}  // namespace zel::analysis
