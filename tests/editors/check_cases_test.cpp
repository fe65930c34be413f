// zeltool check against the compiler's own console output, over every
// end-to-end case: the same errors and warnings, in the same order, each
// placed in the right file and line.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "cli/check_format.h"
#include "cli/commands.h"
#include "diagnostics/diagnostics.h"

namespace fs = std::filesystem;

namespace {

constexpr int unable_to_open = 34, failure_to_rename = 35, disk_full = 38;
constexpr int invalid_file_name = 24, source_not_found = 37;
constexpr unsigned any_line = ~0u;  // placed on a line the console does not show
constexpr unsigned section_end = ~1u;  // 32 and 33: the end of their section, in the file that holds it

struct Report {
    bool warning = false;
    int number = -1;
    std::string file;   // upper case
    unsigned line = 0;  // 0: no line
    std::string message;
};

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string upper(std::string s) {
    for (char& ch : s)
        if (ch >= 'a' && ch <= 'z')
            ch = static_cast<char>(ch - 'a' + 'A');
    return s;
}

unsigned leading_number(const std::string& line) { return static_cast<unsigned>(std::stoul(line)); }

bool per_line(int number) {
    const zel::Reporter r = zel::error_info(number).reporter;
    return r == zel::Reporter::pline1 || r == zel::Reporter::pline2 || r == zel::Reporter::pline3;
}

// The reports of the compiler's console output. The file of each is the
// source file opened last ("Processing NAME.SCE"); that of 32 and 33 the
// file where their section was found.
std::vector<Report> console_reports(const std::string& stdout_text) {
    std::vector<Report> reports;
    const std::vector<std::string> lines = lines_of(stdout_text);
    std::string current, main_file;
    std::map<std::string, std::string> section_file;
    static const std::regex opened(R"(Processing ([A-Z0-9]+\.SCE))");
    static const std::regex section(R"(Processing (/[A-Z]{3}))");
    static const std::regex error(R"(\*\*\* ERROR (\d+) - (.*))");
    static const std::regex warning(R"(\*\*\* WARNING - (.*))");
    std::smatch m;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (std::regex_match(line, m, opened)) {
            current = m[1];
            if (main_file.empty())
                main_file = current;
        } else if (std::regex_match(line, m, section)) {
            section_file[m[1]] = current;
        } else if (std::regex_match(line, m, warning)) {
            reports.push_back({true, -1, current, leading_number(lines.at(i - 1)), m[1]});
        } else if (std::regex_match(line, m, error)) {
            Report r{false, std::stoi(m[1]), main_file, 0, m[2]};
            if (r.number == invalid_file_name)
                r.message = zel::error_info(r.number).message;  // the message went to standard error
            if (per_line(r.number)) {
                r.file = current;
                r.line = leading_number(lines.at(i - 1));
            } else if (r.number == 32 || r.number == 33) {
                r.file = section_file[r.number == 32 ? "/CON" : "/OBJ"];
                r.line = section_end;
            } else if (r.number == source_not_found && !current.empty()) {
                r.file = current;
                r.line = any_line;
            }
            reports.push_back(r);
        }
    }
    return reports;
}

std::vector<Report> check_reports(const std::vector<std::string>& output, std::string& summary) {
    static const std::regex placed(R"(([^:]+)(?::(\d+))?(?::(\d+))?: (?:error (\d+)|(warning)): (.*))");
    static const std::regex note(R"([^:]+:\d+(?::\d+)?: note: .*)");
    std::vector<Report> reports;
    std::smatch m;
    for (const std::string& line : output) {
        if (line.rfind("*** Compilation ends ", 0) == 0) {
            summary = line;
            continue;
        }
        if (std::regex_match(line, note))
            continue;
        EXPECT_TRUE(std::regex_match(line, m, placed)) << line;
        if (m.empty())
            continue;
        Report r;
        r.warning = m[5].matched;
        r.number = m[4].matched ? std::stoi(m[4]) : -1;
        r.file = upper(m[1]);
        r.line = m[2].matched ? static_cast<unsigned>(std::stoul(m[2])) : 0;
        r.message = m[6];
        reports.push_back(r);
    }
    return reports;
}

std::vector<std::string> case_names() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(ZEL_CASES_DIR))
        if (entry.is_directory())
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class CheckAgainstCompiler : public ::testing::TestWithParam<std::string> {};

TEST_P(CheckAgainstCompiler, ReportsWhatTheCompilerReports) {
    const fs::path dir = fs::path(ZEL_CASES_DIR) / GetParam();
    const std::string expected_stdout = slurp(dir / "stdout");
    std::vector<std::string> args = lines_of(slurp(dir / "args"));
    if (fs::exists(dir / "status") && std::stoi(slurp(dir / "status")) != 0)
        GTEST_SKIP() << "ends in an internal error, which check reports as such";
    if (args.empty())
        GTEST_SKIP() << "check needs a name";
    if (args[0].find('/') != std::string::npos)
        GTEST_SKIP() << "check reads a directory before the name";
    std::vector<Report> expected = console_reports(expected_stdout);
    // Faults of the database file cannot happen in a check, which writes none;
    // an unopenable file also gates every later stage.
    for (const Report& r : expected)
        if (r.number == unable_to_open)
            GTEST_SKIP() << "the temporary database file cannot be created";
    std::erase_if(expected, [](const Report& r) { return r.number == failure_to_rename || r.number == disk_full; });

    const fs::path here = fs::current_path();
    fs::current_path(dir / "in");
    std::ostringstream out, err;
    const int status = zel::tool::run_check(args, out, err);
    fs::current_path(here);

    std::string summary;
    const std::vector<Report> actual = check_reports(lines_of(out.str()), summary);
    const bool errors = std::any_of(expected.begin(), expected.end(), [](const Report& r) { return !r.warning; });
    EXPECT_EQ(status, errors ? 1 : 0) << err.str();
    ASSERT_EQ(actual.size(), expected.size()) << out.str();
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const Report &e = expected[i], &a = actual[i];
        SCOPED_TRACE("report " + std::to_string(i + 1) + ": " + e.message);
        EXPECT_EQ(a.warning, e.warning);
        EXPECT_EQ(a.number, e.number);
        if (!e.file.empty()) {  // else no source was opened: check names the one it formed
            EXPECT_EQ(a.file, e.file);
        }
        EXPECT_EQ(a.message, e.message);
        if (e.line == section_end) {
            EXPECT_GT(a.line, 0u);
        } else if (e.line != any_line) {
            EXPECT_EQ(a.line, e.line);
        } else {  // a link to a missing file: the link line itself
            ASSERT_GT(a.line, 0u);
            fs::path source;
            for (const auto& entry : fs::directory_iterator(dir / "in"))
                if (upper(entry.path().filename().string()) == a.file)
                    source = entry.path();
            const std::vector<std::string> lines = lines_of(slurp(source));
            ASSERT_LE(a.line, lines.size());
            EXPECT_EQ(upper(lines[a.line - 1].substr(0, 4)), "/LNK");
        }
    }
    const std::size_t at = expected_stdout.rfind("*** Compilation ends ");
    EXPECT_EQ(summary, expected_stdout.substr(at, expected_stdout.find('\n', at) - at));
}

INSTANTIATE_TEST_SUITE_P(Cases, CheckAgainstCompiler, ::testing::ValuesIn(case_names()),
                         [](const auto& info) {
                             std::string name = info.param;
                             std::replace_if(name.begin(), name.end(), [](char ch) { return !std::isalnum(static_cast<unsigned char>(ch)); }, '_');
                             return name;
                         });

struct Escape {
    std::string bytes;
    std::string json;
};

TEST(CheckJson, StringsAreValidJsonWhateverTheBytes) {
    const Escape table[] = {
        {"plain", "\"plain\""},
        {"say \"hi\" \\", R"("say \"hi\" \\")"},
        {"a\tb\nc", R"("a\tb\nc")"},
        {std::string("nul\0x", 5), R"("nul\u0000x")"},
        {"\x1b\x7f", "\"\\u001B\x7f\""},
        {"caf\xc3\xa9", "\"caf\xc3\xa9\""},                // UTF-8 kept
        {"\xe2\x82\xac", "\"\xe2\x82\xac\""},              // three bytes
        {"\xf0\x9f\x99\x82", "\"\xf0\x9f\x99\x82\""},      // four bytes
        {"A lamp\xa3.", R"("A lamp\u00A3.")"},              // a lone byte as Latin-1
        {"\xc3", R"("\u00C3")"},                            // cut short
        {"\xc0\xaf", R"("\u00C0\u00AF")"},                  // overlong
        {"\xed\xa0\x80", R"("\u00ED\u00A0\u0080")"},        // surrogate
        {"\xf4\x90\x80\x80", R"("\u00F4\u0090\u0080\u0080")"},  // above U+10FFFF
    };
    for (const Escape& e : table)
        EXPECT_EQ(zel::tool::json_string(e.bytes), e.json) << e.json;
}

}  // namespace
