// Replacing several files at once: all are replaced, or none is and no
// temporary file is left; a file that changed since it was read is never
// written over; a link keeps pointing at the file it names.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>

#include "cli/removed_on_signal.h"
#include "cli/safe_write.h"
#include "support/scratch.h"

namespace zel::tool {
namespace {

TEST(SafeWrite, AllOrNothing) {
    const struct {
        const char* name;
        const char* b_read;  // what was read of B.SCE; it holds "b"
        const char* c_path;  // the second file's name
        bool replaced;
    } rows[] = {
        {"both replaced", "b", "C.SCE", true},
        {"B changed since it was read", "old b", "C.SCE", false},
        {"the second file is missing", "b", "MISSING.SCE", false},
        {"through a link", "b", "LINK.SCE", true},
    };
    for (const auto& row : rows) {
        testing::Scratch s;
        std::ofstream(s.dir / "B.SCE") << "b";
        std::ofstream(s.dir / "C.SCE") << "c";
        std::filesystem::create_symlink("C.SCE", s.dir / "LINK.SCE");
        std::string error;
        const bool ok = replace_files({{(s.dir / "B.SCE").string(), row.b_read, "new b"},
                                       {(s.dir / row.c_path).string(), "c", "new c"}},
                                      error);
        EXPECT_EQ(ok, row.replaced) << row.name << ": " << error;
        EXPECT_EQ(testing::slurp(s.dir / "B.SCE"), row.replaced ? "new b" : "b") << row.name;
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
}

}  // namespace
}  // namespace zel::tool
