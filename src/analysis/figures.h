// How close an adventure is to each limit of the format, and what its
// database is made of: worked out from the compiled database, the one place
// where every figure is final.
#pragma once

#include <string>
#include <vector>

#include "dbtools/database_reader.h"

namespace zel::analysis {

enum class LimitKind { vocabulary, texts, text_room, tables, entries, database };

struct Limit {
    LimitKind kind = LimitKind::vocabulary;
    std::string name;      // for people: "vocabulary entries", "messages", ...
    unsigned used = 0;
    unsigned most = 0;
    int section = -1;      // a tool::Section, for texts and text_room
    int item = -1;         // the longest text's number, or the fullest table's
    std::string where;     // for people: "message 12", "process table 3"; may be empty

    // Above 90% of the most: the point where lint speaks up.
    bool near() const { return static_cast<unsigned long long>(used) * 10 > static_cast<unsigned long long>(most) * 9; }
    double percent() const { return most == 0 ? 100.0 : 100.0 * used / most; }
};

struct Block {
    std::string name;
    unsigned bytes = 0;
};

struct TokenUse {
    int code = 0;          // 128 + the token's place in the table
    std::string token;
    unsigned uses = 0;
    unsigned saved = 0;    // bytes: uses times (length - 1)
};

struct Figures {
    unsigned length = 0;           // the database length, as the header gives it
    std::vector<Limit> limits;     // the fullest first
    std::vector<Block> blocks;     // in file order
    unsigned unaccounted = 0;      // bytes of the length no block holds (0 for what the compiler writes)
    bool compressed = false;
    int saving = 0;                // bytes the compression saved, less its token table
    std::vector<TokenUse> tokens;  // used tokens, the most used first
};

// The room the work area leaves one text, or one process table's entry
// index, beside a vocabulary of that many entries.
unsigned buffer_room(unsigned vocabulary_entries);

Figures figures_of(const tool::Database& db);

}  // namespace zel::analysis
