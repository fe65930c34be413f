// zeltool check: compiles a source as zelc would, writing nothing, and
// reports its diagnostics in a form editors understand.
#include <string>
#include <vector>

#include "cli/check_format.h"
#include "cli/check_run.h"
#include "cli/commands.h"
#include "cli/find_adventure.h"
#include "core/posix_platform.h"

namespace zel::tool {

namespace {

constexpr int status_clean = 0;
constexpr int status_errors = 1;
constexpr int status_trouble = 2;  // bad usage, or the compiler failed itself

struct CheckOptions {
    bool json = false;
    std::string directory;                  // where the sources are ("" for here)
    std::vector<std::string> compiler_args;  // the adventure name, then the switches
};

void usage(std::ostream& err) {
    err << "usage: zeltool check NAME [switches] [--format=text|json]\n"
           "  NAME is the adventure name as zelc takes it, optionally after a directory\n"
           "  (dir/NAME), or the name of a later file of its /LNK chain; the switches\n"
           "  are zelc's (N is always in force).\n";
}

// Options start with "--"; everything else goes to the compiler, which, like
// zelc, ignores switches it does not know.
bool parse(const std::vector<std::string>& args, CheckOptions& options, std::ostream& err) {
    for (const std::string& arg : args) {
        if (arg == "--format=json") {
            options.json = true;
        } else if (arg == "--format=text") {
            options.json = false;
        } else if (arg.rfind("--", 0) == 0) {
            err << "zeltool check: unknown option " << arg << "\n";
            return false;
        } else {
            options.compiler_args.push_back(arg);
        }
    }
    if (options.compiler_args.empty())
        return false;
    // A directory before the name lets an editor check the file it shows
    // from anywhere; file names are then reported with that directory.
    std::string& name = options.compiler_args.front();
    const std::size_t slash = name.rfind('/');
    if (slash != std::string::npos) {
        options.directory = name.substr(0, slash + 1);
        name.erase(0, slash + 1);
    }
    return true;
}

// The name of the adventure's source file as the compiler forms it: the
// name's first word, upper case, at most eight characters, and ".SCE". Used
// for errors outside any line when the file itself was never opened.
std::string formed_source_name(const std::string& name) {
    std::string formed;
    std::size_t i = name.find_first_not_of(" \t");
    for (; i < name.size() && name[i] != ' ' && name[i] != '\t' && formed.size() < 8; ++i) {
        const char ch = name[i];
        formed += (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch;
    }
    return formed + ".SCE";
}

}  // namespace

int run_check(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    CheckOptions options;
    if (!parse(args, options, err)) {
        usage(err);
        return status_trouble;
    }
    PosixFileSystem files(options.directory.empty() ? "." : options.directory);
    CheckResult result = check_compilation(options.compiler_args, files);
    if (!result.starts_adventure && !result.sources.empty()) {
        // A later file of a chain: check the adventure it belongs to.
        const std::optional<std::string> adventure = adventure_of(files, options.directory, result.sources.front(), err);
        if (!adventure)
            return status_trouble;
        if (!adventure->empty()) {
            options.compiler_args.front() = *adventure;
            result = check_compilation(options.compiler_args, files);
        }
    }
    if (result.status != 0) {
        err << "zeltool check: the compiler stopped with an internal error";
        if (!result.internal_error.empty())
            err << ": " << result.internal_error;
        err << "\n";
        return status_trouble;
    }
    Naming naming;
    naming.directory = options.directory;
    naming.main_source = result.sources.empty() ? formed_source_name(options.compiler_args.front())
                                                : result.sources.front();
    if (options.json)
        write_json(result, naming, out);
    else
        write_text(result, naming, out);
    return result.errors != 0 ? status_errors : status_clean;
}

}  // namespace zel::tool
