// The subcommands of zeltool, the companion tool that inspects compiled
// databases, checks and builds sources.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace zel::tool {

// Each command gets its own arguments (after the command name) and returns
// the exit status of the tool.
int run_dump(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int run_decompile(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int run_map(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int run_check(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int run_lint(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int run_stats(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int run_build(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int run_renumber(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int run_insert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int run_delete(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int run_rename(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int run_new(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The adventure name the compiler would form from a database's file name:
// its stem up to the first dot, upper-cased and cut to eight characters.
// False, with the reason in error, when that gives no name.
bool adventure_name(const std::string& path, std::string& name, std::string& error);

// Whether command names one of the commands above.
bool is_command(const std::string& command);

// The usage of one command, or of the whole tool when command is empty.
void print_usage(std::ostream& out, const std::string& command);

}  // namespace zel::tool
