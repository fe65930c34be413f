// Fuzz target: one whole compilation, in-process, on an in-memory file
// system.
//
// The input is split into the command line and up to four source files:
//
//   first line            switches, separated by blanks (each becomes one
//                         argument after the adventure name GAME)
//   then, separated by    GAME.SCE, PART1.SCE, PART2.SCE and PART3.SCE;
//   lines "@@@"           a file missing from the input does not exist
//
// Besides the sanitizers, a run fails when the compiler reports an internal
// error, or when the database it leaves contradicts the summary line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "driver/compile.h"
#include "support/memory_platform.h"

namespace {

constexpr std::string_view separator = "\n@@@\n";
constexpr std::size_t max_switches = 4;
const char* const file_names[] = {"GAME.SCE", "PART1.SCE", "PART2.SCE", "PART3.SCE"};

std::vector<std::string> arguments_from(std::string_view line) {
    std::vector<std::string> arguments{"GAME"};
    std::size_t at = 0;
    while (at < line.size() && arguments.size() <= max_switches) {
        const std::size_t end = std::min(line.find(' ', at), line.size());
        if (end > at)
            arguments.emplace_back(line.substr(at, end - at));
        at = end + 1;
    }
    return arguments;
}

// Returns the number of files made.
std::size_t fill_files(zel::testing::MemoryFileSystem& fs, std::string_view rest) {
    std::size_t count = 0;
    for (const char* name : file_names) {
        ++count;
        const std::size_t end = rest.find(separator);
        fs.files[name] = std::string(rest.substr(0, end));
        if (end == std::string_view::npos)
            break;
        rest.remove_prefix(end + separator.size());
    }
    return count;
}

unsigned word_at(const std::string& db, std::size_t at) {
    return static_cast<unsigned char>(db[at]) | static_cast<unsigned char>(db[at + 1]) << 8;
}

bool check_only(const std::vector<std::string>& arguments) {
    for (std::size_t i = 1; i < arguments.size(); ++i)
        if (!arguments[i].empty() && (arguments[i][0] == 'N' || arguments[i][0] == 'n'))
            return true;
    return false;
}

// The summary line decides: a database exists exactly when no error was
// counted and switch N was absent, and its header then tells its own length.
// With switch N no file appears at all.
void check_outcome(const zel::testing::MemoryFileSystem& fs, std::size_t sources,
                   const std::vector<std::string>& arguments, const std::string& out, int status) {
    if (status != 0)
        std::abort();  // internal compiler error
    const std::size_t at = out.rfind("*** Compilation ends ");
    if (at == std::string::npos)
        std::abort();
    const bool failed = out.find(" ERROR", at) != std::string::npos;
    const auto db = fs.files.find("GAME.ZDB");
    if (check_only(arguments)) {
        if (fs.files.size() != sources)
            std::abort();
    } else if (failed != (db == fs.files.end())) {
        std::abort();
    } else if (!failed && (db->second.size() < 32 || word_at(db->second, 30) != (db->second.size() & 0xFFFF))) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t eol = std::min(input.find('\n'), input.size());
    zel::testing::MemoryFileSystem fs;
    const std::size_t sources = fill_files(fs, eol < input.size() ? input.substr(eol + 1) : std::string_view());
    zel::testing::CaptureConsole console;
    const std::vector<std::string> arguments = arguments_from(input.substr(0, eol));
    const int status = zel::compile(arguments, console, fs);
    check_outcome(fs, sources, arguments, console.stdout_text, status);
    return 0;
}
