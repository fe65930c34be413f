// The adventure a command names: NAME, NAME.SCE or a path to either, and
// the in-memory compilation of it that lint, stats and the source map share.
#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "analysis/compiled.h"

namespace zel::tool {

struct SourceArg {
    std::string directory;  // "" for the current one, else ending in "/"
    std::string name;       // the adventure name, without ".SCE"
    std::vector<std::string> switches;  // the compiler's
};

// Nothing when the argument names no adventure.
std::optional<SourceArg> source_arg(const std::string& arg);

// The file of a folder that the compiler would read as `file` (an upper-case
// name): the one of that name, or the first in byte order whose name
// differs only in case. Empty when none.
std::string existing_file(const std::filesystem::path& dir, const std::string& file);

// Whether a path names a database (ends in .ZDB, in any case).
bool is_database_path(const std::string& path);

// Compiles the adventure in memory with its switches; writes nothing. A file
// that a /LNK chain reaches stands for the adventure of that chain (what is
// found is said on err); nothing when several chains reach it.
std::optional<analysis::Compiled> compile_source(const SourceArg& source, std::ostream& err);

// The name of the file a span lies in, with the directory, as check names it.
std::string file_name(const SourceArg& source, const analysis::Compiled& compiled, int file);

// For a compilation that gives nothing to look at: prints its diagnostics on
// out as check does (JSON when asked), or says on err why there is nothing;
// returns the exit status: 1 for errors in the source, 2 for the compiler's
// own failure.
int report_failure(const std::string& command, const SourceArg& source, const analysis::Compiled& compiled, bool json,
                   std::ostream& out, std::ostream& err);

// Reads a location number for --start; nothing when it is none.
std::optional<int> location_number(const std::string& text);

}  // namespace zel::tool
