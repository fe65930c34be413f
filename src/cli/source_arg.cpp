#include "cli/source_arg.h"

#include "cli/find_adventure.h"
#include "core/posix_platform.h"
#include "inspect/database_tools.h"

namespace zel::tool {

namespace {

bool ends_with_ignoring_case(const std::string& text, const std::string& upper_suffix) {
    if (text.size() < upper_suffix.size())
        return false;
    for (std::size_t i = 0; i < upper_suffix.size(); ++i) {
        char ch = text[text.size() - upper_suffix.size() + i];
        if (ch >= 'a' && ch <= 'z')
            ch = static_cast<char>(ch - 'a' + 'A');
        if (ch != upper_suffix[i])
            return false;
    }
    return true;
}

}  // namespace

std::optional<SourceArg> source_arg(const std::string& arg) {
    SourceArg source;
    std::string name = arg;
    const std::size_t slash = name.rfind('/');
    if (slash != std::string::npos) {
        source.directory = name.substr(0, slash + 1);
        name.erase(0, slash + 1);
    }
    if (ends_with_ignoring_case(name, ".SCE"))
        name.resize(name.size() - 4);
    if (name.empty() || name[0] == '-')
        return std::nullopt;
    source.name = name;
    return source;
}

bool is_database_path(const std::string& path) { return ends_with_ignoring_case(path, ".ZDB"); }

std::optional<analysis::Compiled> compile_source(const SourceArg& source, const std::vector<std::string>& switches,
                                                std::ostream& err) {
    PosixFileSystem files(source.directory.empty() ? "." : source.directory);
    std::vector<std::string> args{source.name};
    args.insert(args.end(), switches.begin(), switches.end());
    analysis::Compiled compiled = analysis::compile_adventure(args, files);
    const std::vector<SectionDef>& sections = compiled.index.sections();
    const bool starts_adventure = !sections.empty() && sections.front().header == "/CTL" && sections.front().at.file == 0;
    if (starts_adventure || compiled.index.files().empty())
        return compiled;
    // A later file of a chain: the adventure it belongs to.
    const std::optional<std::string> adventure =
        adventure_of(files, source.directory, compiled.index.files().front().found, err);
    if (!adventure)
        return std::nullopt;
    if (adventure->empty())
        return compiled;
    args.front() = *adventure;
    return analysis::compile_adventure(args, files);
}

CheckResult as_check_result(const analysis::Compiled& compiled) {
    CheckResult r;
    r.diagnostics = compiled.index.diagnostics();
    r.errors = compiled.errors;
    r.warnings = compiled.warnings;
    r.summary = last_line_from(compiled.console, "*** Compilation ends ");
    r.internal_error = last_line_from(compiled.console, "*** Compiler error in ");
    for (const SourceFile& f : compiled.index.files())
        r.sources.push_back(f.found);
    r.status = compiled.status;
    return r;
}

Naming naming_of(const SourceArg& source, const analysis::Compiled& compiled) {
    Naming naming;
    naming.directory = source.directory;
    naming.main_source =
        compiled.index.files().empty() ? source.name + ".SCE" : compiled.index.files().front().found;
    return naming;
}

int report_failure(const std::string& command, const SourceArg& source, const analysis::Compiled& compiled,
                   std::ostream& err) {
    const CheckResult result = as_check_result(compiled);
    if (compiled.status != 0) {
        err << "zeltool " << command << ": the compiler stopped with an internal error";
        if (!result.internal_error.empty())
            err << ": " << result.internal_error;
        err << "\n";
        return status_usage;
    }
    write_text(result, naming_of(source, compiled), err);
    if (!compiled.database_error.empty())
        err << "zeltool " << command << ": the database compiled cannot be read back: " << compiled.database_error
            << "\n";
    else
        err << "zeltool " << command << ": " << source.name << " does not compile\n";
    return status_failed;
}

std::optional<int> location_number(const std::string& text) {
    if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return std::stoi(text);
}

}  // namespace zel::tool
