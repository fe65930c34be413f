// What zeltool new writes: an adventure that compiles without errors or
// warnings and that lint finds nothing in, whole or split in two linked
// files, with the example's first 61 system messages and their notes.
#include <gtest/gtest.h>

#include <sstream>

#include "analysis/compiled.h"
#include "analysis/lint.h"
#include "cli/new_adventure.h"
#include "core/memory_files.h"
#include "core/posix_platform.h"

namespace zel::tool {
namespace {

TEST(NewAdventure, CompilesAndLintFindsNothing) {
    PosixFileSystem example_files(std::string(ZEL_SOURCE_DIR) + "/examples");
    const analysis::Compiled example = analysis::compile_adventure({"BEACON"}, example_files);
    for (const bool split : {false, true}) {
        const NewAdventure made = new_adventure("ABCDEFG2", split);
        MemoryFiles files;
        files.files[made.name + ".SCE"] = made.main;
        if (split) {
            EXPECT_EQ(made.second_name, "ABCDEFG3");
            files.files[made.second_name + ".SCE"] = made.second;
        }
        const analysis::Compiled c = analysis::compile_adventure({made.name}, files);
        EXPECT_EQ(c.errors + c.warnings, 0u) << c.console;
        ASSERT_TRUE(c.database) << c.console;
        EXPECT_EQ(c.index.files().size(), split ? 2u : 1u);
        analysis::LintOptions options;
        options.selection.set("all", true);
        EXPECT_TRUE(analysis::lint(c.index, options).empty()) << split;
        int sysmess = 0;
        for (const TextDef& t : c.index.texts())
            if (t.kind == Kind::sysmess) {
                const TextDef* same = example.index.text(Kind::sysmess, t.number);
                ASSERT_NE(same, nullptr);
                EXPECT_EQ(t.text, same->text) << t.number;
                EXPECT_EQ(t.note, same->note) << t.number;
                ++sysmess;
            }
        EXPECT_EQ(sysmess, 61);
        std::istringstream lines(made.main + made.second);
        for (std::string line; std::getline(lines, line);)
            if (line.starts_with("; =") || line.starts_with("; -")) {  // a rule: one character, 70 times
                EXPECT_EQ(line.size(), 72u) << line;
                EXPECT_EQ(line.find_first_not_of(line[2], 2), std::string::npos) << line;
            }
    }
}

}  // namespace
}  // namespace zel::tool
