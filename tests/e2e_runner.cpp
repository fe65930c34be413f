// Runs one end-to-end case: a folder holding the arguments, the files the
// compiler starts with, and everything it must produce.
//
//   args     the command-line arguments after the program name, one per line
//   in/      files (and symbolic links) present before the run
//   stdout   expected standard output (absent: empty)
//   stderr   expected standard error (absent: empty)
//   status   expected exit status (absent: 0)
//   out/     files that must exist after the run, byte for byte
//   gone     names of files from in/ that must no longer exist
//
// Files of in/ not named in out/ or gone must be left as they were, and no
// other file may appear. With ZEL_UPDATE=1 in the environment the case's
// expectations are rewritten from what the run produced. With --observed a
// source index listens to the compilation, which must change nothing.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/posix_platform.h"
#include "driver/compile.h"
#include "index/source_index.h"
#include "support/memory_platform.h"

namespace fs = std::filesystem;

namespace {

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void spill(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

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

std::string first_difference(const std::string& expected, const std::string& actual) {
    const auto e = lines_of(expected), a = lines_of(actual);
    for (std::size_t i = 0; i < std::max(e.size(), a.size()); ++i) {
        const std::string x = i < e.size() ? e[i] : "<none>", y = i < a.size() ? a[i] : "<none>";
        if (x != y)
            return "line " + std::to_string(i + 1) + ":\n  expected: " + x + "\n  actual:   " + y;
    }
    return "differs in its bytes (line ends or NUL)";
}

std::string describe_bytes(const std::string& expected, const std::string& actual) {
    std::size_t i = 0;
    while (i < expected.size() && i < actual.size() && expected[i] == actual[i])
        ++i;
    std::ostringstream m;
    m << "sizes " << expected.size() << " and " << actual.size() << ", first difference at offset " << i;
    return m.str();
}

}  // namespace

int main(int argc, char** argv) {
    const bool observed = argc == 3 && std::string(argv[1]) == "--observed";
    if (argc != 2 && !observed) {
        std::cerr << "usage: e2e_runner [--observed] CASE_FOLDER\n";
        return 2;
    }
    const fs::path casedir = fs::absolute(argv[argc - 1]);
    const bool update = std::getenv("ZEL_UPDATE") != nullptr;

    char pattern[] = "/tmp/zelcase.XXXXXX";
    if (!::mkdtemp(pattern)) {
        std::cerr << "cannot make a working folder\n";
        return 2;
    }
    const fs::path work = pattern;
    const std::set<std::string> inputs = names_in(casedir / "in");
    for (const std::string& name : inputs)
        fs::copy(casedir / "in" / name, work / name, fs::copy_options::copy_symlinks);

    std::vector<std::string> arguments = lines_of(optional(casedir / "args"));
    zel::testing::CaptureConsole console;
    zel::PosixFileSystem files(work.string());
    zel::SourceIndex index;
    const int status = zel::compile(arguments, console, files, observed ? &index : nullptr);

    std::vector<std::string> failures;
    auto check_text = [&](const char* what, const std::string& expected, const std::string& actual) {
        if (expected != actual)
            failures.push_back(std::string(what) + " " + first_difference(expected, actual));
    };

    std::set<std::string> gone;
    for (const std::string& name : lines_of(optional(casedir / "gone")))
        gone.insert(name);
    const std::set<std::string> after = names_in(work);
    std::map<std::string, std::string> produced;  // new or changed files
    for (const std::string& name : after) {
        const fs::path p = work / name;
        if (fs::is_symlink(p) || !fs::is_regular_file(p))
            continue;
        const std::string bytes = slurp(p);
        if (!inputs.count(name) || fs::is_symlink(casedir / "in" / name) || bytes != slurp(casedir / "in" / name))
            produced[name] = bytes;
    }

    if (update) {
        spill(casedir / "stdout", console.stdout_text);
        if (!console.stderr_text.empty() || fs::exists(casedir / "stderr"))
            spill(casedir / "stderr", console.stderr_text);
        if (status != 0 || fs::exists(casedir / "status"))
            spill(casedir / "status", std::to_string(status) + "\n");
        fs::remove_all(casedir / "out");
        if (!produced.empty())
            fs::create_directories(casedir / "out");
        for (const auto& [name, bytes] : produced)
            spill(casedir / "out" / name, bytes);
        std::string gonelist;
        for (const std::string& name : inputs)
            if (!after.count(name))
                gonelist += name + "\n";
        if (!gonelist.empty() || fs::exists(casedir / "gone"))
            spill(casedir / "gone", gonelist);
    } else {
        check_text("standard output", optional(casedir / "stdout"), console.stdout_text);
        check_text("standard error", optional(casedir / "stderr"), console.stderr_text);
        const int expected_status = std::atoi(optional(casedir / "status", "0").c_str());
        if (status != expected_status)
            failures.push_back("exit status " + std::to_string(status) + ", expected " + std::to_string(expected_status));
        const std::set<std::string> expected_out = names_in(casedir / "out");
        for (const std::string& name : expected_out) {
            auto it = produced.find(name);
            const std::string expected = slurp(casedir / "out" / name);
            if (it == produced.end()) {
                if (!(after.count(name) && inputs.count(name) && slurp(work / name) == expected))
                    failures.push_back("file " + name + " was not produced");
            } else if (it->second != expected) {
                failures.push_back("file " + name + ": " + describe_bytes(expected, it->second));
            }
        }
        for (const auto& [name, bytes] : produced)
            if (!expected_out.count(name))
                failures.push_back("unexpected file " + name);
        for (const std::string& name : inputs) {
            if (gone.count(name) && after.count(name))
                failures.push_back("file " + name + " should be gone");
            if (!gone.count(name) && !after.count(name))
                failures.push_back("file " + name + " disappeared");
        }
    }
    fs::remove_all(work);
    for (const std::string& f : failures)
        std::cerr << casedir.filename().string() << ": " << f << "\n";
    if (!failures.empty()) {
        std::cerr << "--- standard output was:\n" << console.stdout_text;
        return 1;
    }
    return 0;
}
