// Shared helpers of the tool tests: databases compiled in memory.
#pragma once

#include <string>

#include "dbtools/database_reader.h"
#include "support/adventure.h"

namespace zel::tool::testing {

inline Bytes bytes_of(const std::string& text) { return Bytes(text.begin(), text.end()); }

// The database of a source compiled in memory, with or without switch C;
// empty when the compilation failed (warnings are no failure).
inline Bytes compiled(const std::string& source, bool compress) {
    std::vector<std::string> args{"GAME"};
    if (compress)
        args.emplace_back("C");
    const auto r = zel::testing::run(source, args);
    return r.fs.has("GAME.ZDB") ? bytes_of(r.database()) : Bytes{};
}

inline unsigned word_at(const Bytes& b, unsigned pos) { return b[pos] | (b[pos + 1] << 8); }
inline void set_word(Bytes& b, unsigned pos, unsigned value) {
    b[pos] = static_cast<unsigned char>(value & 255);
    b[pos + 1] = static_cast<unsigned char>(value >> 8);
}

}  // namespace zel::tool::testing
