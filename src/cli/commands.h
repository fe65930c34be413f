// The subcommands of zeltool, the companion tool that inspects compiled
// databases and checks sources for editors.
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

}  // namespace zel::tool
