// The in-memory console and file system that the tools compile through, and
// an observer that listens to nothing: whatever the compiler says or writes
// through them is what it says and writes on its own.
#include <gtest/gtest.h>

#include "core/memory_files.h"
#include "driver/compile.h"
#include "support/adventure.h"

namespace zel {
namespace {

TEST(MemoryFiles, KeepWhatTheCompilerSaysAndWrites) {
    const std::string source = testing::Sections().source();
    const std::size_t at = source.find("/STX\n");
    struct Case {
        std::vector<std::string> args;
        std::map<std::string, std::string> files;
        const char* said;  // a part of the console
    } cases[] = {
        {{"GAME"}, {{"GAME.SCE", source}}, "*** Compilation ends OK\n"},
        {{}, {}, "Invalid File Name\n"},  // on standard error
        {{"GAME"}, {{"GAME.SCE", source.substr(0, at) + "/LNK PART2\n"}}, "*** ERROR 37 - PART2.SCE not found\n"},
    };
    for (const Case& c : cases) {
        StringConsole alone, observed;
        MemoryFiles files, observed_files;
        files.files = observed_files.files = c.files;
        Observer nothing;
        EXPECT_EQ(compile(c.args, alone, files), compile(c.args, observed, observed_files, &nothing));
        EXPECT_NE(alone.output.find(c.said), std::string::npos) << alone.output;
        EXPECT_EQ(alone.output, observed.output);
        EXPECT_EQ(files.files, observed_files.files);
    }
    MemoryFiles files;
    EXPECT_FALSE(files.rename("GAME.$$$", "GAME.ZDB"));
    EXPECT_TRUE(files.files.empty());
}

}  // namespace
}  // namespace zel
