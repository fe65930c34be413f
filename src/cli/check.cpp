// zeltool check: compiles a source as zelc would, writing nothing, and
// reports its diagnostics in a form editors understand.
#include "cli/check.h"

#include "cli/check_format.h"
#include "cli/check_run.h"
#include "cli/commands.h"
#include "cli/find_adventure.h"
#include "core/ascii.h"
#include "core/posix_platform.h"
#include "index/chain.h"

namespace zel::tool {

namespace {

constexpr int status_clean = 0;
constexpr int status_errors = 1;
constexpr int status_trouble = 2;  // bad usage, or the compiler failed itself
constexpr int source_not_found = 37;  // "%s not found"

}  // namespace

void split_name(std::string& name, std::string& directory) {
    const std::size_t slash = name.rfind('/');
    if (slash != std::string::npos) {
        directory = name.substr(0, slash + 1);
        name.erase(0, slash + 1);
    }
    if (name.size() > 4 && ascii_upper(name.substr(name.size() - 4)) == ".SCE")
        name.resize(name.size() - 4);
}

namespace {

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

// Adds to error 37 for a linked file the name of the nearest source file of
// the folder, when one is a few edits from the name the link gives: of those
// not read already, the file being checked first (a link misspelt for it
// is why its adventure is checked).
class LinkNotes : public DiagnosticListener {
public:
    LinkNotes(const std::string& directory, const std::vector<std::string>& opened, const std::string& checked,
              DiagnosticListener& next)
        : directory_(directory), opened_(opened), checked_(checked), next_(next) {}
    void report(const Diagnostic& d) override {
        Diagnostic noted = d;
        if (d.number == source_not_found)
            if (std::optional<Note> note = misspelt_link(d, unread_names()))
                noted.notes.push_back(*note);
        next_.report(noted);
    }

private:
    std::vector<std::string> unread_names() const {
        std::vector<std::string> names = adventure_names(directory_);
        if (!checked_.empty())
            names.insert(names.begin(), ascii_upper(checked_.substr(0, checked_.size() - 4)));
        std::erase_if(names, [&](const std::string& name) {
            return std::any_of(opened_.begin(), opened_.end(),
                               [&](const std::string& file) { return ascii_upper(file) == name + ".SCE"; });
        });
        return names;
    }

    const std::string& directory_;
    const std::vector<std::string>& opened_;
    const std::string& checked_;
    DiagnosticListener& next_;
};

}  // namespace

// Options start with "--"; everything else goes to the compiler, which, like
// zelc, ignores switches it does not know (-N included).
bool parse_check_options(const std::string& command, const std::vector<std::string>& args, CheckOptions& options,
                         std::ostream& err) {
    for (const std::string& arg : args) {
        if (arg == "--format=json") {
            options.json = true;
        } else if (arg == "--format=text") {
            options.json = false;
        } else if (arg.rfind("--", 0) == 0) {
            err << "zeltool " << command << ": unknown option " << arg << "\n";
            print_usage(err, command);
            return false;
        } else {
            options.compiler_args.push_back(arg);
        }
    }
    if (options.compiler_args.empty()) {
        print_usage(err, command);
        return false;
    }
    split_name(options.compiler_args.front(), options.directory);
    return true;
}

int compile_and_report(const std::string& command, const CheckOptions& given, FileSystem& files, bool check_only,
                       std::ostream& out, std::ostream& err) {
    CheckOptions options = given;
    CheckResult result;
    Naming naming;
    naming.directory = options.directory;
    naming.main_source = formed_source_name(options.compiler_args.front());
    DiagnosticPrinter printer(options.json, naming, result.sources, out);
    std::string wrong_start;  // the file checked, when it does not begin with /CTL
    LinkNotes noted(options.directory, result.sources, wrong_start, printer);
    const auto compile_once = [&](const WrongStart& wrong_start) {
        if (check_only)
            check_compilation(options.compiler_args, files, noted, result, wrong_start);
        else
            run_compilation(options.compiler_args, files, noted, result, wrong_start);
    };
    // A file that does not begin with /CTL may be a later file of a chain:
    // then the adventure it belongs to is reported on.
    std::optional<std::string> instead;
    bool ambiguous = false;
    compile_once([&](const std::string& first_file) {
        wrong_start = first_file;
        const std::optional<std::string> adventure = adventure_of(files, options.directory, first_file, err);
        ambiguous = !adventure;
        if (adventure && !adventure->empty())
            instead = *adventure;
        return ambiguous || instead.has_value();
    });
    if (ambiguous)
        return status_trouble;
    if (instead) {
        options.compiler_args.front() = *instead;
        result = CheckResult{};
        compile_once({});
    }
    printer.finish(result);
    if (result.status != 0) {
        err << "zeltool " << command << ": the compiler stopped with an internal error";
        if (!result.internal_error.empty())
            err << ": " << result.internal_error;
        err << "\n";
        return status_trouble;
    }
    return result.errors != 0 ? status_errors : status_clean;
}

int run_check(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    CheckOptions options;
    if (!parse_check_options("check", args, options, err))
        return status_trouble;
    PosixFileSystem files(options.directory.empty() ? "." : options.directory, SourceFiles::regular_only);
    return compile_and_report("check", options, files, true, out, err);
}

}  // namespace zel::tool
