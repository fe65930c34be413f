// Replacing several files at once: all are replaced, or none is and no
// temporary file is left; a file that changed since it was read is never
// written over; a link keeps pointing at the file it names.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <fstream>

#include "cli/removed_on_signal.h"
#include "cli/safe_write.h"
#include "support/scratch.h"

// The renames of this program that fail, as bits (1 << n for the n-th,
// counted from 0): a failure that only the kernel or a race would give.
static unsigned failing_renames = 0, renames = 0;

extern "C" int rename(const char* from, const char* to) {
    if (renames < 32 && (failing_renames >> renames++ & 1u) != 0) {
        errno = EBUSY;
        return -1;
    }
    return ::renameat(AT_FDCWD, from, AT_FDCWD, to);
}

namespace zel::tool {
namespace {

TEST(SafeWrite, AllOrNothing) {
    const struct {
        const char* name;
        const char* b_read;  // what was read of B.SCE; it holds "b"
        const char* c_path;  // the second file's name
        bool replaced;
        unsigned failing_renames = 0;
        const char* b_after = nullptr;  // when not what was read or the new text
        const char* said = "";          // a part of the error
    } rows[] = {
        {"both replaced", "b", "C.SCE", true},
        {"B changed since it was read", "old b", "C.SCE", false},
        {"the second file is missing", "b", "MISSING.SCE", false},
        {"through a link", "b", "LINK.SCE", true},
        {"the second rename fails: B is put back", "b", "C.SCE", false, 0b10, nullptr, "C.SCE: Device or resource busy; nothing"},
        {"B cannot be put back", "b", "C.SCE", false, 0b110, "new b", "/B.SCE could not be put back and holds the edit"},
    };
    for (const auto& row : rows) {
        testing::Scratch s;
        failing_renames = row.failing_renames;
        renames = 0;
        std::ofstream(s.dir / "B.SCE") << "b";
        std::ofstream(s.dir / "C.SCE") << "c";
        std::filesystem::create_symlink("C.SCE", s.dir / "LINK.SCE");
        std::string error;
        const bool ok = replace_files({{(s.dir / "B.SCE").string(), row.b_read, "new b"},
                                       {(s.dir / row.c_path).string(), "c", "new c"}},
                                      error);
        failing_renames = 0;
        EXPECT_EQ(ok, row.replaced) << row.name << ": " << error;
        EXPECT_NE(error.find(row.said), std::string::npos) << row.name << ": " << error;
        EXPECT_EQ(testing::slurp(s.dir / "B.SCE"), row.b_after ? row.b_after : row.replaced ? "new b" : "b") << row.name;
        EXPECT_EQ(testing::slurp(s.dir / "C.SCE"), row.replaced ? "new c" : "c") << row.name;
        EXPECT_TRUE(std::filesystem::is_symlink(s.dir / "LINK.SCE")) << row.name;
        int files = 0;
        for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(s.dir))
            ++files;
        EXPECT_EQ(files, 3) << row.name << ": a temporary file was left";
    }
}

// A signal that ends the process removes every file still guarded, the
// first and the last of a full table alike, and none that was kept; the
// process ends by that signal.
TEST(RemovedOnSignal, EveryGuardedFileGoes) {
    testing::Scratch s;
    // (Appended: GCC 12 warns falsely about "literal" + std::string.)
    auto name = [&](int k) { return (s.dir / std::string("T").append(std::to_string(k))).string(); };
    const pid_t child = ::fork();
    if (child == 0) {
        for (int k = 0; k < most_removed; ++k)
            ::close(create_removed_on_signal(name(k), 0600));
        keep_on_signal(name(1));
        ::raise(SIGTERM);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    for (int k = 0; k < most_removed; ++k)
        EXPECT_EQ(std::filesystem::exists(name(k)), k == 1) << k;
    EXPECT_EQ(create_removed_on_signal(std::string(PATH_MAX, 'x'), 0600), -1);  // what the handler could not hold
    EXPECT_EQ(errno, ENAMETOOLONG);
}

}  // namespace
}  // namespace zel::tool
