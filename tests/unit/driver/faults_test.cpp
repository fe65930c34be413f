// Faults of the file system, injected through the in-memory platform and
// met for real on /dev/full, and the life cycle of the temporary file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "core/posix_platform.h"
#include "driver/compile.h"
#include "support/adventure.h"
#include "support/dbview.h"

namespace zel {
namespace {

using testing::Faults;
using testing::RunResult;
using testing::Sections;

const std::string one_error = "*** Compilation ends with 1 ERROR\n";
const std::string rename_failed = "*** ERROR 35 - Failure to rename GAME.$$$\n";
const std::string open_failed = "*** ERROR 34 - Unable to open GAME.$$$\n";

bool ends_with(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

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
        EXPECT_TRUE(ends_with(r.out, one_error)) << r.out;
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
    EXPECT_TRUE(ends_with(replaced.out, "*** Compilation ends OK\n")) << replaced.out;
    EXPECT_EQ(replaced.database().size(), good_length());
    EXPECT_FALSE(replaced.fs.has("GAME.$$$"));

    faults.rename = true;
    const RunResult kept = testing::run(files, {"GAME"}, faults);
    EXPECT_TRUE(ends_with(kept.out, rename_failed + one_error)) << kept.out;
    EXPECT_EQ(kept.fs.files.at("GAME.ZDB"), "old");
}

// The temporary file holds what reached it before the first error: 32 zero
// bytes, then the database as it would have been, up to the last flush.
TEST(TemporaryFile, HoldsWhatWasWrittenBeforeTheFirstError) {
    Sections s;
    s.stx.clear();
    for (int i = 0; i < 120; ++i)
        s.stx.append("/").append(std::to_string(i)).append("\n").append(200, static_cast<char>('a' + i % 26)).append("\n");
    const RunResult good = testing::run(s.source());
    ASSERT_TRUE(good.ok()) << good.out;
    const std::string& db = good.database();

    s.con = "/0\nN 1\n/1\nS 9\n";  // location 9 does not exist
    auto files = std::map<std::string, std::string>{{"GAME.SCE", s.source()}, {"GAME.ZDB", "old"}};
    const RunResult bad = testing::run(files);
    EXPECT_TRUE(ends_with(bad.out, one_error)) << bad.out;
    EXPECT_FALSE(bad.fs.has("GAME.ZDB")) << "the old database goes even when the compilation fails";
    EXPECT_EQ(bad.fs.log, (std::vector<std::string>{"remove GAME.ZDB", "create GAME.$$$"}));
    const std::string& partial = bad.fs.files.at("GAME.$$$");
    ASSERT_GT(partial.size(), testing::table_entry(db, testing::f_stx, 1)) << "the texts were flushed at least once";
    ASSERT_LT(partial.size(), testing::word_at(db, testing::f_contable));
    EXPECT_EQ(partial.substr(0, 32), std::string(32, '\0'));
    EXPECT_EQ(partial.substr(32), db.substr(32, partial.size() - 32));
}

TEST(TemporaryFile, NoFileIsTouchedBeforeTheDatabaseIsOpenedOrWithSwitchN) {
    const auto with_old = [](std::string source) {
        return std::map<std::string, std::string>{{"GAME.SCE", std::move(source)}, {"GAME.ZDB", "old"}};
    };
    Sections bad_control;
    bad_control.ctl = "A\n";
    const RunResult early = testing::run(with_old(bad_control.source()));
    EXPECT_NE(early.out.find("*** ERROR 27 - "), std::string::npos);
    EXPECT_TRUE(early.fs.log.empty());
    EXPECT_EQ(early.fs.files.at("GAME.ZDB"), "old");

    const std::string length_line =
        std::string("Database is ").append(std::to_string(testing::run(Sections().source()).database().size())).append(" bytes long\n");
    for (const char* n : {"N", "n", "Nodb"}) {
        const RunResult check = testing::run(with_old(Sections().source()), {"GAME", n});
        EXPECT_TRUE(check.ok()) << check.out;
        EXPECT_TRUE(check.fs.log.empty()) << n;
        EXPECT_EQ(check.fs.files.size(), 2u);
        EXPECT_EQ(check.fs.files.at("GAME.ZDB"), "old");
        EXPECT_NE(check.out.find(length_line), std::string::npos) << check.out;
    }
}

// The real file system: a temporary file on /dev/full, and names taken by
// directories.
class PosixFaults : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/zelfaults.XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
        std::ofstream(dir_ / "GAME.SCE", std::ios::binary) << Sections().source();
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string compile_here(const std::string& directory = "") {
        testing::CaptureConsole console;
        PosixFileSystem files(directory.empty() ? dir_.string() : directory);
        EXPECT_EQ(compile({"GAME"}, console, files), 0);
        return console.stdout_text;
    }

    std::filesystem::path dir_;
};

TEST_F(PosixFaults, TemporaryFileOnAFullDevice) {
    if (::access("/dev/full", W_OK) != 0)
        GTEST_SKIP() << "no /dev/full";
    std::filesystem::create_symlink("/dev/full", dir_ / "GAME.$$$");
    std::ofstream(dir_ / "GAME.ZDB") << "old";
    const std::string out = compile_here();
    EXPECT_NE(out.find("*** ERROR 38 - Disk full\nDatabase is "), std::string::npos) << out;
    EXPECT_TRUE(ends_with(out, one_error)) << out;
    EXPECT_FALSE(std::filesystem::exists(dir_ / "GAME.ZDB"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir_ / "GAME.$$$"));
}

TEST_F(PosixFaults, NamesTakenByDirectories) {
    std::filesystem::create_directory(dir_ / "GAME.$$$");
    std::string out = compile_here();
    EXPECT_TRUE(ends_with(out, open_failed + one_error)) << out;
    std::filesystem::remove(dir_ / "GAME.$$$");

    std::filesystem::create_directories(dir_ / "GAME.ZDB" / "inside");
    out = compile_here();
    EXPECT_TRUE(ends_with(out, rename_failed + one_error)) << out;
    EXPECT_TRUE(std::filesystem::is_regular_file(dir_ / "GAME.$$$"));
    EXPECT_TRUE(std::filesystem::is_directory(dir_ / "GAME.ZDB"));
}

// A source that is there but cannot be read is error 55, whatever the
// reason; only a source that is not there is error 37.
TEST_F(PosixFaults, SourcesThatCannotBeRead) {
    namespace fs = std::filesystem;
    const std::string unreadable = "*** ERROR 55 - Failure to read GAME.SCE\n" + one_error;
    const std::string missing = "*** ERROR 37 - GAME.SCE not found\n" + one_error;
    struct Case {
        const char* name;
        std::function<void(const fs::path& source)> make;
        const std::string& expected;
    };
    const Case cases[] = {
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
        const std::string out = compile_here();
        EXPECT_TRUE(ends_with(out, c.expected)) << c.name << ":\n" << out;
        EXPECT_FALSE(fs::exists(dir_ / "GAME.$$$")) << c.name;
    }
    EXPECT_TRUE(ends_with(compile_here((dir_ / "missing").string()), missing));
}

// The console of the command: standard output is buffered, and pushed out
// before anything is written to standard error.
TEST(StdConsole, StandardOutputComesFirst) {
    char pattern[] = "/tmp/zelconsole.XXXXXX";
    const int file = ::mkstemp(pattern);
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
    ::close(saved_out);
    ::close(saved_err);
    ::close(file);
    std::ifstream in(pattern, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::filesystem::remove(pattern);
    EXPECT_EQ(text.str(), "heading message\n" + std::string(70000, 'x') + "\n");
}

}  // namespace
}  // namespace zel
