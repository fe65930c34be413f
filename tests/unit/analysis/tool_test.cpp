// lint, stats and the source map as commands: on the example adventure, and
// lint's exit statuses.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "analysis/compiled.h"
#include "analysis/lint.h"
#include "analysis/source_map.h"
#include "cli/commands.h"
#include "core/memory_files.h"
#include "core/posix_platform.h"
#include "support/adventure.h"

namespace zel::analysis {
namespace {

const std::string examples = std::string(ZEL_SOURCE_DIR) + "/examples/";

// The number after `before` in the compiler's console.
long console_number(const std::string& console, const std::string& before) {
    const std::size_t at = console.find(before);
    return at == std::string::npos ? -1 : std::atol(console.c_str() + at + before.size());
}

TEST(Example, LintFindsNothing) {
    std::ostringstream out, err;
    EXPECT_EQ(tool::run_lint({examples + "BEACON.SCE"}, out, err), 0) << err.str();
    EXPECT_EQ(out.str(), "");
}

TEST(Example, BlocksAddUpToTheLengthTheCompilerReports) {
    for (const char* compress : {"", "C"}) {
        PosixFileSystem files(examples);
        std::vector<std::string> args{"BEACON"};
        if (*compress)
            args.emplace_back(compress);
        const Compiled c = compile_adventure(args, files);
        ASSERT_TRUE(c.database) << c.console;
        const Figures f = figures_of(*c.database);
        unsigned total = 0;
        for (const Block& b : f.blocks)
            total += b.bytes;
        EXPECT_EQ(total, f.length);
        EXPECT_EQ(f.unaccounted, 0u);
        EXPECT_EQ(static_cast<long>(f.length), console_number(c.console, "Database is "));
        if (*compress) {
            EXPECT_EQ(f.saving, console_number(c.console, "Compressing the text saved "));
        }
        EXPECT_EQ(f.compressed, *compress != 0);
    }
}

// The locations the map shades, and those lint reports unreachable.
void expect_map_shades_what_lint_reports(const Compiled& c, const std::vector<std::string>& texts) {
    const World world = world_of(c.index, 0);
    const std::string dot = source_map(c.index, world, {"GAME", true});
    std::set<int> shaded, reported;
    const std::regex grey("l([0-9]+) \\[[^\\n]*fillcolor=lightgrey");
    for (auto m = std::sregex_iterator(dot.begin(), dot.end(), grey); m != std::sregex_iterator(); ++m)
        shaded.insert(std::stoi((*m)[1]));
    LintOptions options;
    options.file_texts = texts;
    for (const Finding& f : lint(c.index, options))
        for (const TextDef& t : c.index.texts())
            if (f.code == Code::unreachable_location && t.kind == Kind::location && t.at.line == f.at.line)
                reported.insert(t.number);
    EXPECT_EQ(shaded, reported) << dot;
}

TEST(Example, MapRendersAndShadesWhatLintReports) {
    PosixFileSystem files(examples);
    const Compiled example = compile_adventure({"BEACON"}, files);
    expect_map_shades_what_lint_reports(example, source_texts(example.index, files));

    zel::testing::Sections s;
    s.ltx += "/2 attic\nAn attic.\n/3 roof\nA roof.\n";
    s.con += "/2\nS 3\n/3\nN 2\n";
    s.voc += "KEY 32 NOUN\n";
    s.otx += "/2\nA key.\n";
    s.obj += "/2 _ 1 _ _ KEY _\n";
    s.pro[1] += "GET BOX AT 2\n GOTO 1\n";
    MemoryFiles memory;
    memory.files["GAME.SCE"] = s.source();
    const Compiled attic = compile_adventure({"GAME"}, memory);
    expect_map_shades_what_lint_reports(attic, {});
    const std::string dot = source_map(attic.index, world_of(attic.index, 0), {"GAME", true});
    for (const char* part : {"label=\"not created at the start:\\n- object 2: A key.\"",
                             "label=\"carried at the start:\\n- object 1: A small box.\"",
                             "l2 -> l1 [style=dashed, label=\"GET BOX\"]"})
        EXPECT_NE(dot.find(part), std::string::npos) << part << "\n" << dot;

    if (std::system("command -v dot >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "dot is not installed";
    for (const std::vector<std::string>& format : {std::vector<std::string>{"-T", "svg"}, {"-Tsvg"}}) {
        std::vector<std::string> args{examples + "BEACON.SCE", "--objects"};
        args.insert(args.end(), format.begin(), format.end());
        std::ostringstream out, err;
        EXPECT_EQ(tool::run_map(args, out, err), 0) << err.str();
        EXPECT_NE(out.str().find("<svg"), std::string::npos);
    }
}

TEST(LintCommand, ExitStatuses) {
    const auto dir = std::filesystem::temp_directory_path() / ("zeltool-lint-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    zel::testing::Sections s;  // message 0 is never printed: a warning
    std::ofstream(dir / "GAME.SCE") << s.source();
    s.pro[1] += " MESSAGE 0\n";
    s.voc += "STOVE 99 NOUN\n";  // an info only
    std::ofstream(dir / "INFO.SCE") << s.source();
    const std::string game = (dir / "GAME.SCE").string(), info = (dir / "info").string();
    struct Run {
        std::vector<std::string> args;
        int status;
        const char* output;
    };
    const Run runs[] = {
        {{game}, 1, ": warning: message 0 is never printed"},
        {{game, "--format=json"}, 1, "\"code\": \"unused-message\""},
        {{game, "-Wno-unused"}, 0, ""},
        {{info}, 0, ": info: the noun STOVE (99)"},
        {{info, "--werror"}, 1, "[unused-word]"},
        {{info, "-W", "nonsense"}, 2, ""},
        {{info, "--start", "7"}, 2, ""},
        {{(dir / "NONE").string()}, 1, ""},
    };
    for (const Run& r : runs) {
        std::ostringstream out, err;
        EXPECT_EQ(tool::run_lint(r.args, out, err), r.status) << r.args.back() << "\n" << err.str();
        EXPECT_NE(out.str().find(r.output), std::string::npos) << out.str();
    }
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace zel::analysis
