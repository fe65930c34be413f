// The adventure's locations as a graph: the exits of /CON and the GOTO
// actions of the process tables, and which locations can be reached from
// the start. Lint and the source map both read it, so that the map shades
// exactly the locations lint reports.
#pragma once

#include <string>
#include <unordered_map>
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

// The vocabulary by the five characters the compiler compares, looked up in
// one step however large it is.
class Spellings {
public:
    explicit Spellings(const SourceIndex& index);
    // The vocabulary line of a word written in any case, or null.
    const WordDef* find(const std::string& written) const;
    // The word as the vocabulary spells it in full (the first of the lines
    // that share its five characters), else as written, in upper case.
    std::string full(const std::string& written) const;
    // The words of an entry for people: "JUMP", "GET LAMP"; the null word
    // left out.
    std::string entry_words(const EntryDef& entry) const;

private:
    std::unordered_map<std::string, const WordDef*> words_;
};

struct World {
    explicit World(const SourceIndex& index) : spellings(index) {}

    int locations = 0;
    int start = 0;
    std::vector<const TextDef*> texts;              // each location's /LTX text (null when missing)
    std::vector<const ConnectionDef*> connections;  // each location's /CON line
    std::vector<std::vector<const ExitDef*>> exits; // each location's exits, in source order
    std::vector<Goto> gotos;
    std::vector<int> container;                     // the container object whose inside the location is, or -1
    std::vector<bool> reachable;
    Spellings spellings;

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

}  // namespace zel::analysis
