// One compilation in memory for the tools that look at a whole adventure:
// the compiler reads the sources through the file system given, everything
// it would write stays in memory, and the source index listens.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/platform.h"
#include "index/source_index.h"
#include "dbtools/database_reader.h"

namespace zel::analysis {

struct Compiled {
    // Everything read, and the first diagnostics (a tool shows them from a
    // compilation that prints them as they come).
    SourceIndex index;
    int status = 0;                          // the compiler's exit status
    unsigned errors = 0, warnings = 0;
    std::string console;                     // the end of what the compiler printed: its last 64 KiB or more
    std::optional<tool::Database> database;  // read back when it compiled without errors
    std::string database_error;              // why it could not be read back
};

// Compiles the adventure named by arguments[0] with the switches that follow;
// switch N is dropped, since the database is wanted (in memory).
Compiled compile_adventure(const std::vector<std::string>& arguments, FileSystem& sources);

// The same for a caller with a console and an observer of its own (the
// language server keeps an index of its own): the compiler's exit status,
// and the database when the compilation kept one, read back unless
// `read_back` is false (then only its bytes, for a caller that reads it
// later or not at all).
struct InMemory {
    int status = 0;
    tool::Bytes bytes;
    std::optional<tool::Database> database;
    std::string database_error;  // why a database kept could not be read back
};
InMemory compile_in_memory(const std::vector<std::string>& arguments, FileSystem& sources, Console& console,
                           Observer* observer, bool read_back = true);

// The text of every source file the compilation read, by file index, read
// again through the same file system (empty when it cannot be read). At most
// most_source_text bytes are kept in all: a file that would pass that is
// left empty too, and its name (as found) added to `unread` when given.
constexpr std::size_t most_source_text = 32u << 20;
std::vector<std::string> source_texts(const SourceIndex& index, FileSystem& sources,
                                      std::vector<std::string>* unread = nullptr);

}  // namespace zel::analysis
