// End-to-end: the cases under tests/cases, each compiled with the real file
// system in a scratch folder and then checked with `zeltool check`, which
// must report what the compiler reported; and the example adventure against
// its checked-in databases in tests/regression.
//
// A case is a folder holding
//   args     the command-line arguments after the program name, one per line
//   in/      files (and symbolic links) present before the run
//   stdout   expected standard output (absent: empty)
//   stderr   expected standard error (absent: empty)
//   status   expected exit status (absent: 0)
//   out/     files that must exist after the run, byte for byte
//   gone     names of files from in/ that must no longer exist
// Files of in/ not named in out/ or gone must be left as they were, and no
// other file may appear. Each case runs a second time with a source index
// listening, and a third in memory (where in/ holds only regular files),
// neither of which may change anything. With ZEL_UPDATE=1 in the environment
// the expectations of the cases run, and the example's databases, are
// rewritten from what the run produced.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "core/memory_files.h"
#include "core/posix_platform.h"
#include "diagnostics/diagnostics.h"
#include "driver/compile.h"
#include "index/source_index.h"
#include "support/memory_platform.h"
#include "support/scratch.h"

namespace fs = std::filesystem;
using zel::testing::Scratch;
using zel::testing::slurp;

namespace {

const fs::path source_dir = ZEL_SOURCE_DIR;
const fs::path cases_dir = source_dir / "tests" / "cases";

void spill(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

std::string optional(const fs::path& path, const std::string& otherwise = "") {
    return fs::exists(path) ? slurp(path) : otherwise;
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Regular files and symbolic links of a folder, by name.
std::set<std::string> names_in(const fs::path& dir) {
    std::set<std::string> names;
    if (fs::exists(dir))
        for (const auto& entry : fs::directory_iterator(dir))
            names.insert(entry.path().filename().string());
    return names;
}

bool updating() { return std::getenv("ZEL_UPDATE") != nullptr; }

std::string first_difference(const std::string& expected, const std::string& actual) {
    const auto at = std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end()).first - expected.begin();
    return "sizes " + std::to_string(expected.size()) + " and " + std::to_string(actual.size()) +
           ", first difference at offset " + std::to_string(at);
}

struct Outcome {
    int status;
    std::string out, err;
};

Outcome compile_in(const fs::path& dir, const std::vector<std::string>& args, zel::Observer* observer = nullptr) {
    zel::testing::CaptureConsole console;
    zel::PosixFileSystem files(dir.string());
    const int status = zel::compile(args, console, files, observer);
    return {status, console.stdout_text, console.stderr_text};
}

// ---- zeltool check against the compiler's console output ----

constexpr int invalid_file_name = 24, unable_to_open = 34, failure_to_rename = 35, source_not_found = 37,
              disk_full = 38, read_failure = 55;
constexpr unsigned any_line = ~0u;     // placed on a line the console does not show
constexpr unsigned section_end = ~1u;  // 32 and 33: the end of their section, in the file that holds it

struct Report {
    bool warning = false;
    int number = -1;
    std::string file;   // upper case
    unsigned line = 0;  // 0: no line
    std::string message;
};

std::string upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char ch) { return std::toupper(ch); });
    return s;
}

bool per_line(int number) {
    const zel::Reporter r = zel::error_info(number).reporter;
    return r == zel::Reporter::pline1 || r == zel::Reporter::pline2 || r == zel::Reporter::pline3;
}

// The reports of the compiler's console output. The file of each is the
// source file opened last ("Processing NAME.SCE"); that of 32 and 33 the
// file where their section was found.
std::vector<Report> console_reports(const std::string& stdout_text) {
    static const std::regex opened(R"(Processing ([A-Z0-9]+\.SCE))"), section(R"(Processing (/[A-Z]{3}))"),
        error(R"(\*\*\* ERROR (\d+) - (.*))"), warning(R"(\*\*\* WARNING - (.*))");
    const std::vector<std::string> lines = lines_of(stdout_text);
    std::vector<Report> reports;
    std::string current, main_file;
    std::map<std::string, std::string> section_file;
    std::smatch m;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const unsigned line_before = i > 0 ? static_cast<unsigned>(std::atoi(lines[i - 1].c_str())) : 0;
        if (std::regex_match(lines[i], m, opened)) {
            current = m[1];
            main_file = main_file.empty() ? current : main_file;
        } else if (std::regex_match(lines[i], m, section)) {
            section_file[m[1]] = current;
        } else if (std::regex_match(lines[i], m, warning)) {
            reports.push_back({true, -1, current, line_before, m[1]});
        } else if (std::regex_match(lines[i], m, error)) {
            Report r{false, std::stoi(m[1]), main_file, 0, m[2]};
            if (r.number == invalid_file_name)
                r.message = zel::error_info(r.number).message;  // the message went to standard error
            if (per_line(r.number))
                r.file = current, r.line = line_before;
            else if (r.number == 32 || r.number == 33)
                r.file = section_file[r.number == 32 ? "/CON" : "/OBJ"], r.line = section_end;
            else if ((r.number == source_not_found || r.number == read_failure) && !current.empty())
                r.file = current, r.line = any_line;
            else if (r.number == source_not_found)  // the adventure's own source, named as check forms it
                r.file = r.message.substr(0, r.message.find(' '));
            reports.push_back(r);
        }
    }
    return reports;
}

// check's reports, but for its notes and the warnings of its own about lines
// the compiler splits, which are counted in `splits`.
std::vector<Report> check_reports(const std::vector<std::string>& output, std::string& summary, long& splits) {
    static const std::regex placed(R"(([^:]+)(?::(\d+))?(?::(\d+))?: (?:error (\d+)|(warning)): (.*))"),
        note(R"([^:]+:\d+(?::\d+)?: note: .*)");
    std::vector<Report> reports;
    std::smatch m;
    for (const std::string& line : output) {
        if (line.starts_with("*** Compilation ends ")) {
            summary = line;
            continue;
        }
        if (std::regex_match(line, note))
            continue;
        if (line.find(": warning: line longer than 258 characters") != std::string::npos) {
            ++splits;
            continue;
        }
        EXPECT_TRUE(std::regex_match(line, m, placed)) << line;
        if (!m.empty())
            reports.push_back({m[5].matched, m[4].matched ? std::stoi(m[4]) : -1, upper(m[1]),
                               m[2].matched ? static_cast<unsigned>(std::stoul(m[2])) : 0, m[6]});
    }
    return reports;
}

// The lines of a case's input file, named as check names it.
std::vector<std::string> input_lines(const fs::path& dir, const std::string& name) {
    for (const auto& entry : fs::directory_iterator(dir / "in"))
        if (upper(entry.path().filename().string()) == name)
            return lines_of(slurp(entry.path()));
    return {};
}

// check runs the compilation of a case over its in/ folder and must give the
// same errors and warnings, in the same order, each in the right file and
// line; what the compiler reports past the last line of a file (at the end
// of the source), check puts on that last line.
void expect_check_agrees(const fs::path& dir, const std::vector<std::string>& args, const Outcome& compiled) {
    // Not for internal errors, which check reports as such; check needs a
    // name, reads a directory before it, and takes NAME.SCE for the
    // adventure's source file, which zelc refuses.
    if (compiled.status != 0 || args.empty() || args[0].find('/') != std::string::npos ||
        upper(args[0]).ends_with(".SCE"))
        return;
    std::vector<Report> expected = console_reports(compiled.out);
    // Faults of the database file cannot happen in a check, which writes none;
    // an unopenable file also gates every later stage.
    if (std::any_of(expected.begin(), expected.end(), [](const Report& r) { return r.number == unable_to_open; }))
        return;
    std::erase_if(expected, [](const Report& r) { return r.number == failure_to_rename || r.number == disk_full; });

    const fs::path here = fs::current_path();
    fs::current_path(dir / "in");
    std::ostringstream out, err, json;
    const int status = zel::tool::run_check(args, out, err);
    std::vector<std::string> json_args = args;
    json_args.push_back("--format=json");
    zel::tool::run_check(json_args, json, err);
    fs::current_path(here);

    std::string summary;
    long splits = 0;
    const std::vector<Report> actual = check_reports(lines_of(out.str()), summary, splits);
    const auto warnings = std::count_if(expected.begin(), expected.end(), [](const Report& r) { return r.warning; });
    const auto errors = static_cast<long>(expected.size()) - warnings;
    EXPECT_EQ(status, errors ? 1 : 0) << err.str();
    EXPECT_NE(json.str().find("\"errors\": " + std::to_string(errors) + ",\n  \"warnings\": " +
                              std::to_string(warnings + splits)),
              std::string::npos) << json.str();
    ASSERT_EQ(actual.size(), expected.size()) << out.str();
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const Report &e = expected[i], &a = actual[i];
        SCOPED_TRACE("check report " + std::to_string(i + 1) + ": " + e.message);
        EXPECT_EQ(std::tuple(a.warning, a.number, a.message), std::tuple(e.warning, e.number, e.message));
        EXPECT_TRUE(e.file.empty() || a.file == e.file) << a.file;  // no file: a name that cannot be formed
        if (e.line == section_end) {
            EXPECT_GT(a.line, 0u);
            continue;
        }
        const std::vector<std::string> lines = input_lines(dir, a.file);
        if (e.line != any_line) {
            EXPECT_EQ(a.line, lines.empty() ? e.line : std::min<std::size_t>(e.line, lines.size()));
            continue;
        }
        // a link to a file that is missing or cannot be read: the link line itself
        ASSERT_TRUE(a.line > 0 && a.line <= lines.size()) << a.line;
        EXPECT_EQ(upper(lines[a.line - 1].substr(0, 4)), "/LNK");
    }
    const std::size_t at = compiled.out.rfind("*** Compilation ends ");
    EXPECT_EQ(summary, compiled.out.substr(at, compiled.out.find('\n', at) - at));
}

// ---- the cases ----

void update_case(const fs::path& dir, const Outcome& run, const std::set<std::string>& inputs,
                 const std::set<std::string>& after, const std::map<std::string, std::string>& produced) {
    spill(dir / "stdout", run.out);
    if (!run.err.empty() || fs::exists(dir / "stderr"))
        spill(dir / "stderr", run.err);
    if (run.status != 0 || fs::exists(dir / "status"))
        spill(dir / "status", std::to_string(run.status) + "\n");
    fs::remove_all(dir / "out");
    if (!produced.empty())
        fs::create_directories(dir / "out");
    for (const auto& [name, bytes] : produced)
        spill(dir / "out" / name, bytes);
    std::string gone;
    for (const std::string& name : inputs)
        if (!after.count(name))
            gone += name + "\n";
    if (!gone.empty() || fs::exists(dir / "gone"))
        spill(dir / "gone", gone);
}

struct CaseRun {
    Outcome outcome;
    std::set<std::string> after;                  // the names in the folder afterwards
    std::map<std::string, std::string> produced;  // new or changed regular files
};

// Runs a case in the folder `work` over a copy of its in/ folder.
CaseRun run_case(const fs::path& dir, const fs::path& work, const std::vector<std::string>& args,
                 zel::Observer* observer) {
    const std::set<std::string> inputs = names_in(dir / "in");
    for (const std::string& name : inputs)
        fs::copy(dir / "in" / name, work / name, fs::copy_options::copy_symlinks);
    CaseRun run{compile_in(work, args, observer), names_in(work), {}};
    for (const std::string& name : run.after) {
        const fs::path p = work / name;
        if (fs::is_symlink(p) || !fs::is_regular_file(p))
            continue;
        const std::string bytes = slurp(p);
        if (!inputs.count(name) || fs::is_symlink(dir / "in" / name) || bytes != slurp(dir / "in" / name))
            run.produced[name] = bytes;
    }
    return run;
}

// Runs a case over its in/ folder copied into memory, as the tools and the
// page compile; nothing when in/ holds anything but regular files.
std::optional<CaseRun> run_case_in_memory(const fs::path& dir, const std::vector<std::string>& args) {
    zel::MemoryFiles files;
    for (const std::string& name : names_in(dir / "in")) {
        if (fs::is_symlink(dir / "in" / name) || !fs::is_regular_file(dir / "in" / name))
            return std::nullopt;
        files.files[name] = slurp(dir / "in" / name);
    }
    const std::map<std::string, std::string> inputs = files.files;
    zel::testing::CaptureConsole console;
    CaseRun run{{zel::compile(args, console, files), console.stdout_text, console.stderr_text}, {}, {}};
    for (const auto& [name, bytes] : files.files) {
        run.after.insert(name);
        if (!inputs.count(name) || inputs.at(name) != bytes)
            run.produced[name] = bytes;
    }
    return run;
}

class EndToEnd : public ::testing::TestWithParam<std::string> {};

TEST_P(EndToEnd, CompilesAsExpectedAndCheckAgrees) {
    const fs::path dir = cases_dir / GetParam();
    Scratch work;
    const std::set<std::string> inputs = names_in(dir / "in");
    const std::vector<std::string> args = lines_of(optional(dir / "args"));
    const auto [run, after, produced] = run_case(dir, work.dir, args, nullptr);
    if (updating())
        return update_case(dir, run, inputs, after, produced);

    EXPECT_EQ(run.out, optional(dir / "stdout"));
    EXPECT_EQ(run.err, optional(dir / "stderr"));
    EXPECT_EQ(run.status, std::atoi(optional(dir / "status", "0").c_str()));
    const std::set<std::string> expected_out = names_in(dir / "out");
    for (const std::string& name : expected_out) {
        const std::string expected = slurp(dir / "out" / name);
        const auto it = produced.find(name);
        if (it == produced.end())
            EXPECT_TRUE(after.count(name) && inputs.count(name) && slurp(work.dir / name) == expected)
                << "file " << name << " was not produced";
        else
            EXPECT_TRUE(it->second == expected) << "file " << name << ": " << first_difference(expected, it->second);
    }
    for (const auto& [name, bytes] : produced)
        EXPECT_TRUE(expected_out.count(name)) << "unexpected file " << name;
    std::set<std::string> gone;
    for (const std::string& name : lines_of(optional(dir / "gone")))
        gone.insert(name);
    for (const std::string& name : inputs)
        EXPECT_NE(after.count(name), gone.count(name)) << "file " << name << (gone.count(name) ? " should be gone" : " disappeared");
    expect_check_agrees(dir, args, run);

    // A source index listening changes nothing.
    Scratch again;
    zel::SourceIndex index;
    const CaseRun observed = run_case(dir, again.dir, args, &index);
    EXPECT_EQ(std::tie(observed.outcome.status, observed.outcome.out, observed.outcome.err, observed.after),
              std::tie(run.status, run.out, run.err, after)) << "with a source index";
    EXPECT_TRUE(observed.produced == produced) << "with a source index, the files differ";

    // So does a file system in memory.
    if (const std::optional<CaseRun> memory = run_case_in_memory(dir, args)) {
        EXPECT_EQ(std::tie(memory->outcome.status, memory->outcome.out, memory->outcome.err, memory->after),
                  std::tie(run.status, run.out, run.err, after)) << "in memory";
        EXPECT_TRUE(memory->produced == produced) << "in memory, the files differ";
    }
}

std::vector<std::string> case_names() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(cases_dir))
        if (entry.is_directory())
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string test_name(std::string name) {
    std::replace_if(name.begin(), name.end(), [](char ch) { return !std::isalnum(static_cast<unsigned char>(ch)); }, '_');
    return name;
}

// check reads the sources of a name with a directory in front there.
TEST(CheckInADirectory, ReadsTheSourcesThere) {
    std::ostringstream out, err;
    EXPECT_EQ(zel::tool::run_check({(cases_dir / "adventure-linked" / "in" / "GAME").string()}, out, err), 0) << out.str();
    EXPECT_TRUE(out.str().ends_with("*** Compilation ends OK\n")) << out.str();
}

INSTANTIATE_TEST_SUITE_P(Cases, EndToEnd, ::testing::ValuesIn(case_names()),
                         [](const auto& info) { return test_name(info.param); });

// ---- the example adventure ----

struct Variant {
    const char* name;
    std::vector<std::string> args;
    const char* database;   // the checked-in copy it must equal; none with switch N
    bool observed = false;  // a source index listens, which must change nothing
};

void PrintTo(const Variant& v, std::ostream* os) { *os << v.name; }

class Example : public ::testing::TestWithParam<Variant> {};

// The example compiles without errors or warnings to the checked-in database
// (with switch N: reports the same length and leaves the folder as it was).
TEST_P(Example, CompilesCleanlyToTheCheckedInDatabase) {
    const Variant& v = GetParam();
    Scratch work;
    std::set<std::string> expected_names = {"BEACON.SCE", "BEACON2.SCE", "BEACON3.SCE"};
    for (const std::string& name : expected_names)
        fs::copy_file(source_dir / "examples" / name, work.dir / name);
    zel::SourceIndex index;
    const Outcome run = compile_in(work.dir, v.args, v.observed ? &index : nullptr);

    EXPECT_EQ(std::tuple(run.status, run.err), std::tuple(0, ""));
    EXPECT_TRUE(run.out.ends_with("*** Compilation ends OK\n")) << run.out;
    EXPECT_EQ(run.out.find("*** ERROR"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("*** WARNING"), std::string::npos) << run.out;
    const fs::path expected = source_dir / "tests" / "regression" / (v.database ? v.database : "BEACON.ZDB");
    if (v.database) {
        expected_names.insert("BEACON.ZDB");
        const std::string database = slurp(work.dir / "BEACON.ZDB");
        if (updating())
            spill(expected, database);
        EXPECT_TRUE(database == slurp(expected)) << first_difference(slurp(expected), database);
    }
    EXPECT_EQ(names_in(work.dir), expected_names);
    ASSERT_TRUE(fs::exists(expected));
    EXPECT_NE(run.out.find("Database is " + std::to_string(fs::file_size(expected)) + " bytes long\n"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Switches, Example,
                         ::testing::Values(Variant{"plain", {"BEACON"}, "BEACON.ZDB"},
                                           Variant{"compressed", {"BEACON", "C"}, "BEACON-C.ZDB"},
                                           Variant{"observed", {"BEACON", "C"}, "BEACON-C.ZDB", true},
                                           Variant{"check_only", {"BEACON", "N"}, nullptr}),
                         [](const auto& info) { return std::string(info.param.name); });

// zeltool's views of the example's databases stay what they were when the
// checked-in copies were made: the listing, the map, the decompiled source and
// the figures of stats, in text and JSON.
TEST(ExampleTools, OutputsStayAsCheckedIn) {
    const fs::path dir = source_dir / "tests" / "regression";
    const std::string plain = (dir / "BEACON.ZDB").string(), compressed = (dir / "BEACON-C.ZDB").string();
    Scratch work;
    std::ostringstream dump, map, out, err, stats, stats_json;
    EXPECT_EQ(zel::tool::run_dump({compressed}, dump, err), 0) << err.str();
    EXPECT_EQ(zel::tool::run_stats({compressed}, stats, err), 0) << err.str();
    EXPECT_EQ(zel::tool::run_stats({compressed, "--format=json"}, stats_json, err), 0) << err.str();
    // (The figures name the database as given: here without its folder.)
    const auto unplaced = [&](std::string text) { return text.erase(text.find(compressed), compressed.size() - 12); };
    EXPECT_EQ(zel::tool::run_map({plain}, map, err), 0) << err.str();
    EXPECT_EQ(zel::tool::run_decompile({compressed, "-o", work.dir.string(), "-n", "BEACON"}, out, err), 0) << err.str();
    const std::pair<const char*, std::string> outputs[] = {
        {"BEACON-C.dump", dump.str()}, {"BEACON.dot", map.str()}, {"BEACON-C.SCE", slurp(work.dir / "BEACON.SCE")},
        {"BEACON-C.stats", unplaced(stats.str())}, {"BEACON-C.stats.json", unplaced(stats_json.str())}};
    for (const auto& [name, text] : outputs) {
        if (updating())
            spill(dir / name, text);
        EXPECT_TRUE(text == slurp(dir / name)) << name << ": " << first_difference(slurp(dir / name), text);
    }
}

}  // namespace
