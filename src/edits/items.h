// The numbered items of one kind as the index saw them: where each is
// defined, in each section that defines that kind (a location in /LTX and
// /CON, an object in /OTX and /OBJ), and the limits of its numbers.
#pragma once

#include <string>
#include <vector>

#include "edits/source_text.h"

namespace zel::edits {

// One item's definition in one section: its lines and its number's token.
struct Slot {
    int number = 0;
    Span number_at;
    int file = 0;
    unsigned first = 0, last = 0;  // compiler lines of `file`
    bool whole = true;             // false when a /LNK carries it on into another file, or its first line continues another
};

// The definitions of a kind in one section, by number.
struct Part {
    std::string section;  // "/MTX", "/OBJ", "/PRO", ...
    std::vector<Slot> slots;
};

struct Items {
    Kind kind = Kind::message;
    std::vector<Part> parts;  // the texts first
    int count = 0;            // how many there are
    int first_movable = 0;    // the numbers below are the run-time's own
    int limit = 0;            // how many there may be
};

// The items of a numbered kind (sysmess, message, object, location or
// process).
Items items_of(const SourceIndex& index, Kind kind);

// The numbers of the objects that are containers, in order.
std::vector<int> containers(const SourceIndex& index);

// The bytes of an item's definition in one section.
Region region_of(const TextMap& map, const Slot& slot);

// How many flags there are: 0 to 255.
constexpr int flag_count = 256;

}  // namespace zel::edits
