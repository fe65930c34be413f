// Faults of the file system, injected through the in-memory platform and
// met for real on /dev/full. (What the temporary file holds after an error,
// and that nothing is touched with switch N, the end-to-end cases show.)
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>

#include "core/posix_platform.h"
#include "driver/compile.h"
#include "support/adventure.h"
#include "support/dbview.h"
#include "support/scratch.h"

namespace zel {
namespace {

using testing::Faults;
using testing::RunResult;
using testing::Sections;

const std::string one_error = "*** Compilation ends with 1 ERROR\n";
const std::string rename_failed = "*** ERROR 35 - Failure to rename GAME.$$$\n";
const std::string open_failed = "*** ERROR 34 - Unable to open GAME.$$$\n";

// The default adventure split in two: the texts onwards are linked in.
std::map<std::string, std::string> linked_adventure() {
    const std::string whole = Sections().source();
    const std::size_t at = whole.find("/STX\n");
    return {{"GAME.SCE", whole.substr(0, at) + "/LNK part2\n"}, {"PART2.SCE", whole.substr(at)}};
}

std::size_t good_length() { return testing::run(linked_adventure()).database().size(); }

TEST(Faults, EachEndsWithItsErrorAndNoDatabase) {
    static const long length = static_cast<long>(good_length());
    struct Case {
        const char* what;
        void (*set)(Faults&);
        const char* report;
        bool temporary;  // GAME.$$$ is left behind
    } cases[] = {
        {"source cannot be opened", [](Faults& f) { f.open_source = true; }, "*** ERROR 37 - GAME.SCE not found\n", false},
        {"main source read fails", [](Faults& f) { f.read_fails_after = 3, f.read_chunk = 2; },
         "*** ERROR 55 - Failure to read GAME.SCE\n", false},
        {"linked source read fails", [](Faults& f) { f.read_fails_after = 300, f.read_fails_in = "PART2.SCE", f.read_chunk = 64; },
         "*** ERROR 55 - Failure to read PART2.SCE\n", true},
        {"temporary file not created", [](Faults& f) { f.create = true; }, "*** ERROR 34 - Unable to open GAME.$$$\n", false},
        {"write fails at the first byte", [](Faults& f) { f.write_fails_after = 0; }, "*** ERROR 38 - Disk full\n", true},
        {"write fails in the middle", [](Faults& f) { f.write_fails_after = length / 2; }, "*** ERROR 38 - Disk full\n", true},
        {"write fails in the header", [](Faults& f) { f.write_fails_after = length + 5; }, "*** ERROR 38 - Disk full\n", true},
        {"write failure shows only at close", [](Faults& f) { f.write_fails_after = length / 2, f.silent_write_failure = true; },
         "*** ERROR 38 - Disk full\n", true},
        {"write position unknown", [](Faults& f) { f.position = true; }, "*** ERROR 38 - Disk full\n", true},
        {"seek to the header fails", [](Faults& f) { f.rewind = true; }, "*** ERROR 38 - Disk full\n", true},
        {"close fails", [](Faults& f) { f.close = true; }, "*** ERROR 38 - Disk full\n", true},
        {"rename fails", [](Faults& f) { f.rename = true; }, "*** ERROR 35 - Failure to rename GAME.$$$\n", true},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        Faults faults;
        k.set(faults);
        const RunResult r = testing::run(linked_adventure(), {"GAME"}, faults);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(testing::count_of(r.out, k.report), 1u) << r.out;
        EXPECT_EQ(testing::count_of(r.out, "*** ERROR"), 1u) << r.out;
        EXPECT_TRUE(r.out.ends_with(one_error)) << r.out;
        EXPECT_FALSE(r.fs.has("GAME.ZDB"));
        EXPECT_EQ(r.fs.has("GAME.$$$"), k.temporary);
        const std::string_view report(k.report);
        const bool late = report.find(" 38 ") != report.npos || report.find(" 35 ") != report.npos;
        EXPECT_EQ(testing::count_of(r.out, "Database is "), late ? 1u : 0u)
            << "the length is printed after the header is written, before the rename";
    }
}

TEST(Faults, OldDatabaseThatCannotBeDeletedLeavesTheRenameToDecide) {
    auto files = linked_adventure();
    files["GAME.ZDB"] = "old";
    Faults faults;
    faults.remove = true;
    const RunResult replaced = testing::run(files, {"GAME"}, faults);
    EXPECT_TRUE(replaced.out.ends_with("*** Compilation ends OK\n")) << replaced.out;
    EXPECT_EQ(replaced.database().size(), good_length());
    EXPECT_FALSE(replaced.fs.has("GAME.$$$"));

    faults.rename = true;
    const RunResult kept = testing::run(files, {"GAME"}, faults);
    EXPECT_TRUE(kept.out.ends_with(rename_failed + one_error)) << kept.out;
    EXPECT_EQ(kept.fs.files.at("GAME.ZDB"), "old");
}

// The real file system: a full disk, and names taken by directories.
struct PosixFaults : ::testing::Test {
    PosixFaults() { std::ofstream(dir_ / "GAME.SCE", std::ios::binary) << Sections().source(); }

    std::string compile_here(const std::string& directory = "", SourceFiles sources = SourceFiles::any) {
        testing::CaptureConsole console;
        PosixFileSystem files(directory.empty() ? dir_.string() : directory, sources);
        EXPECT_EQ(compile({"GAME"}, console, files), 0);
        return console.stdout_text;
    }

    testing::Scratch scratch_;
    const std::filesystem::path dir_ = scratch_.dir;
};

// Every write to a file fails, as on a full disk (writes beyond a file size
// limit of 0 fail with EFBIG once the signal they raise is ignored).
TEST_F(PosixFaults, TemporaryFileOnAFullDisk) {
    std::ofstream(dir_ / "GAME.ZDB") << "old";
    rlimit before{};
    ::getrlimit(RLIMIT_FSIZE, &before);
    rlimit none = before;
    none.rlim_cur = 0;
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &none);
    const std::string out = compile_here();
    ::setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, handler);
    EXPECT_NE(out.find("*** ERROR 38 - Disk full\nDatabase is "), std::string::npos) << out;
    EXPECT_TRUE(out.ends_with(one_error)) << out;
    EXPECT_FALSE(std::filesystem::exists(dir_ / "GAME.ZDB"));
    EXPECT_TRUE(std::filesystem::exists(dir_ / "GAME.$$$"));
}

TEST_F(PosixFaults, NamesTakenByDirectories) {
    std::filesystem::create_directory(dir_ / "GAME.$$$");
    std::string out = compile_here();
    EXPECT_TRUE(out.ends_with(open_failed + one_error)) << out;
    std::filesystem::remove(dir_ / "GAME.$$$");

    std::filesystem::create_directories(dir_ / "GAME.ZDB" / "inside");
    out = compile_here();
    EXPECT_TRUE(out.ends_with(rename_failed + one_error)) << out;
    EXPECT_TRUE(std::filesystem::is_regular_file(dir_ / "GAME.$$$"));
    EXPECT_TRUE(std::filesystem::is_directory(dir_ / "GAME.ZDB"));
}

// A source that is there but cannot be read is error 55, whatever the
// reason; only a source that is not there is error 37. The tools' file
// system refuses what is not a regular file, unopened, the same way.
TEST_F(PosixFaults, SourcesThatCannotBeRead) {
    namespace fs = std::filesystem;
    const std::string unreadable = "*** ERROR 55 - Failure to read GAME.SCE\n" + one_error;
    const std::string missing = "*** ERROR 37 - GAME.SCE not found\n" + one_error;
    struct Case {
        const char* name;
        std::function<void(const fs::path& source)> make;
        const std::string& expected;
        bool tools_only = false;  // zelc would wait, or read for ever
    };
    const Case cases[] = {
        {"a FIFO", [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }, unreadable, true},
        {"a FIFO in lower case", [](const fs::path& p) { ::mkfifo((p.parent_path() / "game.sce").c_str(), 0600); },
         unreadable, true},
        {"a device", [](const fs::path& p) { fs::create_symlink("/dev/zero", p); }, unreadable, true},
        {"a read that fails", [](const fs::path& p) { fs::create_symlink("/proc/self/mem", p); }, unreadable},
        {"a folder", [](const fs::path& p) { fs::create_directory(p); }, unreadable},
        {"a folder in lower case", [](const fs::path& p) { fs::create_directory(p.parent_path() / "game.sce"); },
         unreadable},
        {"a loop of links", [](const fs::path& p) { fs::create_symlink(p.filename(), p); }, unreadable},
        {"a link to nothing", [](const fs::path& p) { fs::create_symlink("NOTHERE", p); }, missing},
        {"no file", [](const fs::path&) {}, missing},
    };
    for (const Case& c : cases) {
        fs::remove(dir_ / "GAME.SCE");
        fs::remove(dir_ / "game.sce");
        c.make(dir_ / "GAME.SCE");
        for (SourceFiles sources : {SourceFiles::regular_only, SourceFiles::any}) {
            if (sources == SourceFiles::any && c.tools_only)
                continue;
            const std::string out = compile_here("", sources);
            EXPECT_TRUE(out.ends_with(c.expected)) << c.name << ":\n" << out;
            EXPECT_FALSE(fs::exists(dir_ / "GAME.$$$")) << c.name;
        }
    }
    EXPECT_TRUE(compile_here((dir_ / "missing").string()).ends_with(missing));
}

// The console of the command: standard output is buffered, and pushed out
// before anything is written to standard error.
TEST(StdConsole, StandardOutputComesFirst) {
    testing::Scratch scratch;
    const std::string path = (scratch.dir / "console").string();
    const int file = ::open(path.c_str(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(file, 0);
    std::fflush(stdout);
    const int saved_out = ::dup(1), saved_err = ::dup(2);
    ::dup2(file, 1);
    ::dup2(file, 2);
    {
        StdConsole console;
        console.out("heading ");
        console.flush();
        console.err("message\n");
        console.out(std::string(70000, 'x'));  // more than the console keeps
        console.out("\n");
    }
    ::dup2(saved_out, 1);
    ::dup2(saved_err, 2);
    for (int fd : {saved_out, saved_err, file})
        ::close(fd);
    EXPECT_EQ(testing::slurp(path), "heading message\n" + std::string(70000, 'x') + "\n");
}

}  // namespace
}  // namespace zel
