// zeltool lint: what an adventure gets wrong although it compiles, in the
// form of check's diagnostics, each with its code.
#include <algorithm>
#include <string>
#include <vector>

#include "analysis/lint.h"
#include "cli/check_format.h"
#include "cli/commands.h"
#include "cli/source_arg.h"
#include "core/posix_platform.h"
#include "dbtools/database_tools.h"

namespace zel::tool {

namespace {

struct LintArgs {
    SourceArg source;
    analysis::Selection selection;
    int start = 0;
    bool json = false;
    bool werror = false;
};

bool unknown(std::ostream& err, const std::string& what) {
    err << "zeltool lint: " << what << "\n";
    return false;
}

bool parse(const std::vector<std::string>& args, LintArgs& a, std::ostream& err) {
    bool named = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool has_next = i + 1 < args.size();
        if (arg == "--format=json" || arg == "--format=text") {
            a.json = arg == "--format=json";
        } else if (arg == "--werror") {
            a.werror = true;
        } else if (arg == "--start" || arg.rfind("--start=", 0) == 0) {
            const std::string value = arg == "--start" ? (has_next ? args[++i] : "") : arg.substr(8);
            const std::optional<int> n = location_number(value);
            if (!n)
                return unknown(err, "--start needs a location number");
            a.start = *n;
        } else if (arg == "-W" || arg.rfind("-W", 0) == 0) {
            const std::string name = arg == "-W" ? (has_next ? args[++i] : "") : arg.substr(2);
            if (!a.selection.apply(name))
                return unknown(err, "unknown code or group '" + name + "' after -W");
        } else if (!arg.empty() && arg[0] == '-') {
            return unknown(err, "unknown option " + arg);
        } else if (!named) {
            const std::optional<SourceArg> source = source_arg(arg);
            if (!source)
                return unknown(err, "'" + arg + "' names no adventure");
            a.source = *source;
            named = true;
        } else {
            a.source.switches.push_back(arg);
        }
    }
    return named;
}

// The text of a line, for the JSON document.
std::string line_text(const std::vector<std::string>& texts, const Span& at) {
    if (at.file < 0 || static_cast<std::size_t>(at.file) >= texts.size() || at.line == 0)
        return {};
    const std::string& text = texts[static_cast<std::size_t>(at.file)];
    std::size_t begin = 0;
    for (unsigned line = at.line; line > 1; --line) {
        begin = text.find('\n', begin);
        if (begin == std::string::npos)
            return {};
        ++begin;
    }
    std::string s = text.substr(begin, text.find('\n', begin) - begin);
    if (!s.empty() && s.back() == '\r')
        s.pop_back();
    return s;
}

Place place_of(const LintArgs& a, const analysis::Compiled& c, const Span& at) {
    Place place;
    place.file = file_name(a.source, c, at.file);
    place.line = at.line;
    place.column = static_cast<int>(at.begin);
    place.end_column = static_cast<int>(std::max(at.end, at.begin));
    return place;
}

std::string summary(unsigned warnings, unsigned infos) {
    return std::to_string(warnings) + (warnings == 1 ? " warning" : " warnings") + " and " + std::to_string(infos) +
           (infos == 1 ? " info" : " infos");
}

void write_findings(const LintArgs& a, const analysis::Compiled& c, const std::vector<analysis::Finding>& findings,
                    const std::vector<std::string>& texts, unsigned warnings, unsigned infos, std::ostream& out) {
    if (!a.json) {
        for (const analysis::Finding& f : findings) {
            write_place(out, place_of(a, c, f.at));
            out << ": " << analysis::severity_name(f.severity) << ": " << f.message << " ["
                << analysis::info(f.code).name << "]\n";
        }
        if (!findings.empty())
            out << summary(warnings, infos) << "\n";
        return;
    }
    out << "{\n  \"diagnostics\": [";
    const char* separator = "\n";
    for (const analysis::Finding& f : findings) {
        out << separator << "    {";
        write_json_place(out, place_of(a, c, f.at));
        out << ", \"severity\": \"" << analysis::severity_name(f.severity) << "\", \"number\": null, \"code\": \""
            << analysis::info(f.code).name << "\", \"message\": " << json_string(f.message) << ", \"source\": "
            << (f.at.line != 0 ? json_string(line_text(texts, f.at)) : "null") << ", \"notes\": []}";
        separator = ",\n";
    }
    out << (findings.empty() ? "],\n" : "\n  ],\n") << "  \"errors\": 0,\n  \"warnings\": " << warnings
        << ",\n  \"infos\": " << infos << ",\n  \"summary\": " << json_string(summary(warnings, infos)) << "\n}\n";
}

}  // namespace

int run_lint(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    LintArgs a;
    if (!parse(args, a, err)) {
        print_usage(err, "lint");
        return status_usage;
    }
    const std::optional<analysis::Compiled> found = compile_source(a.source, err);
    if (!found)
        return status_usage;
    const analysis::Compiled& compiled = *found;
    if (!compiled.database)
        return report_failure("lint", a.source, compiled, a.json, out, err);
    if (static_cast<std::size_t>(a.start) >= compiled.database->locations.size()) {
        err << "zeltool lint: there is no location " << a.start << "\n";
        return status_usage;
    }
    PosixFileSystem files(a.source.directory.empty() ? "." : a.source.directory, SourceFiles::regular_only);
    const analysis::Figures figures = analysis::figures_of(*compiled.database);
    std::vector<std::string> unread;
    analysis::LintOptions options{a.start, a.selection, &figures, analysis::source_texts(compiled.index, files, &unread)};
    for (const std::string& name : unread)
        err << "zeltool lint: the ;zel-lint: comments of " << a.source.directory << name
            << " are not read: the sources take more than " << (analysis::most_source_text >> 20) << " MiB\n";
    if (!compiled.index.splits_complete())
        err << "zeltool lint: more lines longer than 258 characters than zeltool keeps track of ("
            << SourceIndex::most_records << "): after the last of them, every further piece of 258 characters counts"
            << " as a line\n";
    const std::vector<analysis::Finding> findings = analysis::lint(compiled.index, options);
    unsigned warnings = 0, infos = 0;
    for (const analysis::Finding& f : findings)
        ++(f.severity == analysis::Severity::warning ? warnings : infos);
    write_findings(a, compiled, findings, options.file_texts, warnings, infos, out);
    return warnings > 0 || (a.werror && infos > 0) ? status_failed : status_ok;
}

}  // namespace zel::tool
