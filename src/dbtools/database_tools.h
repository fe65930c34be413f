// The commands of zeltool on bytes and streams, without files: the command
// line, the tests and the fuzzer all go through these.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "dbtools/database_reader.h"

namespace zel::tool {

// Exit statuses of the tool.
constexpr int status_ok = 0;
constexpr int status_failed = 1;  // a database that is malformed or cannot be decompiled
constexpr int status_usage = 2;

// Reads and checks the database file at path; on failure says why on err
// (prefixed "zeltool: ") and gives nothing.
std::optional<Database> load_database(const std::string& path, std::ostream& err);

// The readable listing of a database.
void dump_database(const Database& db, std::ostream& out);

struct Decompiled {
    std::string name;          // adventure name: the source is name + ".SCE"
    std::string source;        // the whole source text
    bool compressed = false;   // compile it with switch C
    std::vector<std::string> problems;  // what no source can express
};

// Writes the source of a database for the adventure name given.
Decompiled decompile_database(const Database& db, const std::string& name);

// Compiles the source in memory and compares the result with the database:
// nothing when they are identical, else what differs.
std::optional<std::string> recompile_difference(const Decompiled& source, const Database& db);

// Decompiles, checks the round trip and writes the source to the stream.
// Returns the exit status; what went wrong goes to err.
int decompile_to(const Database& db, const std::string& name, std::ostream& source, std::ostream& err);

// A DOT string literal; each line break becomes one in the label.
std::string dot_string(const std::string& text);

// The connections as a Graphviz DOT graph.
void write_map(const Database& db, const std::string& name, std::ostream& out);

// The command line for compiling a decompiled source.
std::string compile_command(const Decompiled& d);

}  // namespace zel::tool
