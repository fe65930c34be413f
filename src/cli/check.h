// What `zeltool check` and `zeltool build` share: their command line, and a
// compilation whose diagnostics are printed as the compiler reports them.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "core/platform.h"

namespace zel::tool {

struct CheckOptions {
    bool json = false;
    std::string directory;                   // where the sources are ("" for here, else ending in '/')
    std::vector<std::string> compiler_args;  // the adventure name, then the switches
};

// A directory before the name lets an editor check the file it shows from
// anywhere; file names are then reported with that directory. The name may
// also be the adventure's source file itself (NAME.SCE in any case).
void split_name(std::string& name, std::string& directory);

// Reads NAME [switches] [--format=text|json] for the command; false after a
// usage error, which is said on err.
bool parse_check_options(const std::string& command, const std::vector<std::string>& args, CheckOptions& options,
                         std::ostream& err);

// Compiles through files, as with switch N and writing nothing when
// check_only, prints the diagnostics and the summary, and returns the tool's
// exit status: 0 without errors, 1 with errors, 2 after an internal error.
int compile_and_report(const std::string& command, const CheckOptions& options, FileSystem& files, bool check_only,
                       std::ostream& out, std::ostream& err);

}  // namespace zel::tool
