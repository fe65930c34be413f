// zeltool's commands called in-process on a scratch folder holding the
// example's sources and its plain database: the exit status, both streams
// and the files left, around the commands' own work (arguments, the folder,
// a full disk, the dot program). What only a process shows is in the
// process test.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <set>
#include <sstream>

#include "cli/commands.h"
#include "support/adventure.h"
#include "support/scratch.h"

namespace zel::tool {
namespace {

namespace fs = std::filesystem;
using Command = int (*)(const std::vector<std::string>&, std::ostream&, std::ostream&);
using Prepare = std::function<void(const fs::path&)>;

std::set<std::string> names_under(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        names.insert(fs::relative(entry.path(), dir).string());
    return names;
}

// "@" stands for the folder (with its "/").
std::string in(std::string text, const std::string& dir) {
    for (std::size_t at = 0; (at = text.find('@', at)) != std::string::npos; at += dir.size())
        text.replace(at, 1, dir);
    return text;
}

// Files to add: a name ending in "/" is a folder, a text starting with "->"
// makes a symbolic link.
Prepare with(std::vector<std::pair<std::string, std::string>> files) {
    return [files](const fs::path& dir) {
        for (const auto& [name, text] : files)
            if (fs::remove(dir / name); name.back() == '/')
                fs::create_directories(dir / name);
            else if (text.rfind("->", 0) == 0)
                fs::create_symlink(text.substr(2), dir / name);
            else
                std::ofstream(dir / name, std::ios::binary) << text;
    };
}

// A dot that prints its option and the graph, fails for -Tfail and is
// killed for -Tkill; or none at all on the path.
void fake_dot(const fs::path& dir) {
    with({{"bin/", ""},
          {"bin/dot", "#!/bin/sh\ncase $1 in -Tfail) exit 3;; -Tkill) kill -9 $$;; esac\necho \"$1\"; cat \"$2\"\n"}})(dir);
    fs::permissions(dir / "bin/dot", fs::perms::owner_all);
    ::setenv("PATH", (dir.string() + "/bin:/usr/bin:/bin").c_str(), 1);
}
void no_dot(const fs::path& dir) { ::setenv("PATH", (dir / "nowhere").c_str(), 1); }

void dot_not_runnable(const fs::path& dir) {
    with({{"bin/", ""}, {"bin/dot", ""}})(dir);
    ::setenv("PATH", (dir / "bin").c_str(), 1);
}

// BEACON.ZDB with four bytes more than its blocks hold, the header's length
// taking them in.
void padded_database(const fs::path& dir) {
    std::string bytes = testing::slurp(dir / "BEACON.ZDB") + std::string(4, '\0');
    bytes[30] = static_cast<char>(bytes.size() & 0xff);
    bytes[31] = static_cast<char>(bytes.size() >> 8);
    std::ofstream(dir / "PADDED.ZDB", std::ios::binary) << bytes;
}

// The example's first file under a name of eight letters, beside a copy whose
// name is longer than an adventure's can be.
void eight_letters(const fs::path& dir) {
    fs::copy_file(dir / "BEACON.SCE", dir / "LONGERNAME.SCE");
    fs::rename(dir / "BEACON.SCE", dir / "ADVENTUR.SCE");
}

void two_adventures(const fs::path& dir) {
    for (const char* name : {"COMMON.SCE", "ONE.SCE", "TWO.SCE"})
        fs::copy_file(fs::path(ZEL_SOURCE_DIR) / "tests/editors/traps/linked-from-two-adventures" / name, dir / name);
}

// Every name a build of BEACON here could claim for its temporary file
// (all of them, or the first only).
Prepare taken_temporaries(int count) {
    return [count](const fs::path& dir) {
        const std::string stem = "BEACON.$$$." + std::to_string(::getpid());
        for (int k = 0; k < count; ++k)
            std::ofstream(dir / (k == 0 ? stem : stem + "-" + std::to_string(k)));
    };
}

const std::string bad_source = "/CTL\n_\n/VOC\nfoo\n";
const std::string usage = "^usage: zeltool ";

struct Row {
    const char* name;
    Command run;
    std::vector<std::string> args;
    int status;
    std::string out, err;  // regular expressions
    Prepare prepare = nullptr;
    std::set<std::string> leaves = {};  // what is added to the folder
    long file_limit = -1;               // bytes a file may take (0: a full disk)
};

// A file size limit for the command, whose writes past it then fail (EFBIG).
struct FileLimit {
    explicit FileLimit(long bytes) : on(bytes >= 0) {
        if (!on)
            return;
        ::getrlimit(RLIMIT_FSIZE, &before);
        rlimit limit = before;
        limit.rlim_cur = static_cast<rlim_t>(bytes);
        handler = std::signal(SIGXFSZ, SIG_IGN);
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileLimit() {
        if (!on)
            return;
        ::setrlimit(RLIMIT_FSIZE, &before);
        std::signal(SIGXFSZ, handler);
    }
    bool on;
    rlimit before{};
    void (*handler)(int) = nullptr;
};

TEST(Commands, StatusStreamsAndFilesLeft) {
    const Row rows[] = {
        // decompile
        {"two databases", run_decompile, {"@BEACON.ZDB", "@X.ZDB"}, 2, "^$", usage + "decompile"},
        {"-n without a name", run_decompile, {"@BEACON.ZDB", "-n"}, 2, "^$", usage + "decompile"},
        {"a source in another case", run_decompile, {"@BEACON.ZDB", "-n", "new", "-o", "@"}, 1, "^$",
         "^zeltool: @New\\.SCE exists; nothing written \\(--force", with({{"new.sce", ""}, {"New.SCE", ""}})},
        {"a folder where the source goes", run_decompile, {"@BEACON.ZDB", "-n", "NEW", "-o", "@", "--force"}, 1, "^$",
         "^zeltool: cannot write @NEW\\.SCE: Is a directory\n$", with({{"NEW.SCE/", ""}})},
        {"a file where the folder goes", run_decompile, {"@BEACON.ZDB", "-o", "@BEACON.SCE"}, 1, "^$",
         "^zeltool: cannot create the folder @BEACON\\.SCE: "},
        {"a folder that takes no files", run_decompile, {"@BEACON.ZDB", "-o", "/proc/self"}, 1, "^$",
         "^zeltool: cannot write /proc/self/BEACON\\.SCE: "},
        {"decompile of an empty name", run_decompile, {""}, 2, "^$", usage + "decompile"},
        {"dump of an empty name", run_dump, {""}, 2, "^$", usage + "dump"},
        {"decompile to a name of other characters", run_decompile, {"@BEACON.ZDB", "-n", "a-b"}, 2, "^$",
         "^zeltool: cannot form an adventure name \\(letters and digits\\) from 'a-b'; give one with -n NAME\n$"},
        {"decompile of a database without a stem", run_decompile, {"@.ZDB"}, 2, "^$", "^zeltool: cannot form"},
        {"dump with an option", run_dump, {"--x"}, 2, "^$", usage + "dump"},
        {"decompile with no room", run_decompile, {"@BEACON.ZDB", "-n", "NEW", "-o", "@"}, 1, "^$",
         "^zeltool: cannot write @NEW\\.SCE: File too large\n$", nullptr, {}, 0},
        {"decompile --force with no room", run_decompile, {"@BEACON.ZDB", "-n", "beacon", "-o", "@", "--force"}, 1,
         "^$", "^zeltool: cannot write @BEACON\\.SCE: File too large\n$", nullptr, {}, 0},
        // map
        {"map of a database with --objects", run_map, {"@BEACON.ZDB", "--objects"}, 2, "^$", usage + "map"},
        {"map of a database from another start", run_map, {"@BEACON.ZDB", "--start", "3"}, 2, "^$", usage + "map"},
        {"--start without a number", run_map, {"@BEACON", "--start"}, 2, "^$", usage + "map"},
        {"--start of a word", run_map, {"@BEACON", "--start=x"}, 2, "^$", usage + "map"},
        {"--start past any location", run_map, {"@BEACON", "--start", "1000"}, 2, "^$", usage + "map"},
        {"-T without a format", run_map, {"@BEACON", "-T"}, 2, "^$", usage + "map"},
        {"--start at the last location", run_map, {"@BEACON", "--start=15"}, 0,
         "\n  l15 \\[label=\"15: [^\"]*\", peripheries=2", ""},
        {"--start past the last location", run_map, {"@BEACON", "--start", "16"}, 2, "^$",
         "^zeltool map: there is no location 16\n$"},
        {"map of a source with errors", run_map, {"@BAD"}, 1, "^$", "^@BAD\\.SCE:4:4: error 2: ",
         with({{"BAD.SCE", bad_source}})},
        {"map of a file two adventures reach", run_map, {"@COMMON"}, 2, "^$", "reached from several adventures",
         two_adventures},
        {"map of a missing database", run_map, {"@NONE.ZDB"}, 1, "^$", "cannot open @NONE\\.ZDB"},
        {"rendered in any format dot knows", run_map, {"@BEACON.ZDB", "-Taz:AZ_09"}, 0, "^-Taz:AZ_09\ndigraph \"BEACON\"",
         "^$", fake_dot},
        {"rendered from a source", run_map, {"@BEACON", "-T", "svg"}, 0, "^-Tsvg\ndigraph \"BEACON\" \\{\n", "^$",
         fake_dot},
        {"map of an empty name", run_map, {""}, 2, "^$", usage + "map"},
        {"map of two databases", run_map, {"@BEACON.ZDB", "@X.ZDB"}, 2, "^$", usage + "map"},
        {"no room for the graph", run_map, {"@BEACON.ZDB", "-Tsvg"}, 1, "^$",
         "^zeltool: cannot create a temporary file for dot\n$", [](const fs::path& dir) {
             ::setenv("TMPDIR", (dir / "nowhere").c_str(), 1);
         }},
        {"dot that cannot be run", run_map, {"@BEACON.ZDB", "-Tsvg"}, 1, "^$",
         "^zeltool: cannot run dot: Permission denied\n$", dot_not_runnable},
        {"dot fails", run_map, {"@BEACON.ZDB", "-Tfail"}, 1, "^$", "^zeltool: dot -Tfail failed\n$", fake_dot},
        {"dot is killed", run_map, {"@BEACON.ZDB", "-Tkill"}, 1, "^$", "^zeltool: dot -Tkill failed\n$", fake_dot},
        {"no dot", run_map, {"@BEACON.ZDB", "-Tsvg"}, 1, "^$", "needs the program dot from Graphviz", no_dot},
        // stats
        {"stats of a database", run_stats, {"--format=json", "--format=text", "@BEACON.ZDB"}, 0,
         "^@BEACON\\.ZDB: 15672 bytes\n\nLimits", ""},
        {"stats of a database in JSON", run_stats, {"@BEACON.ZDB", "--format=json"}, 0,
         "\n  \"unaccounted\": 0,\n  \"compression\": null\n\\}\n$", ""},
        {"stats of a database with bytes after its blocks", run_stats, {"@PADDED.ZDB"}, 0,
         "\n  unaccounted +4\n  total +15676\n$", "", padded_database},
        {"stats of an empty name", run_stats, {""}, 2, "^$", usage + "stats"},
        {"stats with an unknown option", run_stats, {"@BEACON", "--verbose"}, 2, "^$", usage + "stats"},
        {"stats of a database with switches", run_stats, {"@BEACON.ZDB", "C"}, 2, "^$", usage + "stats"},
        {"stats of nothing", run_stats, {}, 2, "^$", usage + "stats"},
        {"stats of a source with errors", run_stats, {"@BAD"}, 1, "^$", "^@BAD\\.SCE:4:4: error 2: ",
         with({{"BAD.SCE", bad_source}})},
        {"stats of a source with many errors", run_stats, {"@BAD"}, 1, "^$",
         "\n@BAD\\.SCE:3003:4: note: [^\n]*\n@BAD\\.SCE:3003: error 41: /STX expected\n"
         "\\*\\*\\* Compilation ends with 3001 ERRORS\n$",
         [](const fs::path& dir) {
             std::string lines;
             for (int k = 0; k < 3000; ++k)
                 lines += "foo\n";
             with({{"BAD.SCE", "/CTL\n_\n/VOC\n" + lines}})(dir);
         }},
        {"stats of a file two adventures reach", run_stats, {"@COMMON"}, 2, "^$", "reached from several",
         two_adventures},
        {"stats of a missing database", run_stats, {"@NONE.ZDB"}, 1, "^$", "cannot open @NONE\\.ZDB"},
        // new
        {"new with every kind of character", run_new, {"Az09bcde", "@"}, 0,
         "^Wrote @AZ09BCDE\\.SCE\nCompile it with: cd @ && zelc AZ09BCDE\n$", "", nullptr, {"AZ09BCDE.SCE"}},
        {"new without a name", run_new, {"--split"}, 2, "^$", usage + "new"},
        {"new with a long name", run_new, {"ABCDEFGHI"}, 2, "^$", "^zeltool new: an adventure name is one to eight"},
        {"new with a name of other characters", run_new, {"a_b"}, 2, "^$", "^zeltool new: an adventure name is"},
        {"new with a long name and a folder", run_new, {"ABCDEFGHI", "@"}, 2, "^$", "^zeltool new: an adventure name is"},
        {"new with an unknown option", run_new, {"--frob", "game"}, 2, "^$", usage + "new"},
        {"new with three operands", run_new, {"game", "dir", "more"}, 2, "^$", usage + "new"},
        {"new beside a source in another case", run_new, {"game", "@"}, 1, "^$", "^zeltool: @Game\\.sce exists;",
         with({{"Game.sce", ""}})},
        {"new into a file", run_new, {"game", "@BEACON.SCE/sub"}, 1, "^$", "^zeltool: cannot create the folder "},
        {"new of an empty name", run_new, {""}, 2, "^$", "^zeltool new: an adventure name is"},
        {"new into a folder that takes no files", run_new, {"game", "/proc/self"}, 1, "^$",
         "^zeltool: cannot write /proc/self/GAME\\.SCE: "},
        {"new with no room", run_new, {"game", "@"}, 1, "^$", "^zeltool: cannot write @GAME\\.SCE: File too large\n$",
         nullptr, {}, 0},
        {"new with room for the first file only", run_new, {"game", "@", "--split"}, 1, "^$",
         "^zeltool: cannot write @GAME2\\.SCE: File too large\n$", nullptr, {}, 4096},
        // edits
        {"insert --text", run_insert, {"@BEACON", "message", "3", "--text", "Hi", "--dry-run"}, 0, "\n\\+/3\n\\+Hi\n",
         "^zeltool insert: new message 3;"},
        {"insert --text=", run_insert, {"@BEACON", "message", "3", "--text=Hi", "--dry-run"}, 0, "\n\\+/3\n\\+Hi\n",
         "^zeltool insert: new message 3;"},
        {"renumber with an unknown option", run_renumber, {"@BEACON", "-x", "message", "1", "2"}, 2, "^$",
         usage + "renumber"},
        {"renumber of a database", run_renumber, {"@BEACON.ZDB", "message", "1", "2"}, 2, "^$", usage + "renumber"},
        {"renumber of an empty name", run_renumber, {"", "message", "1", "2"}, 2, "^$", usage + "renumber"},
        {"renumber with one number", run_renumber, {"@BEACON", "message", "1"}, 2, "^$", usage + "renumber"},
        {"renumber to a word", run_renumber, {"@BEACON", "message", "1", "x"}, 2, "^$", usage + "renumber"},
        {"insert --text of nothing", run_insert, {"@BEACON", "message", "--text"}, 2, "^$", usage + "insert"},
        {"delete with no number", run_delete, {"@BEACON", "message"}, 2, "^$", usage + "delete"},
        {"rename with one word", run_rename, {"@BEACON", "lantern"}, 2, "^$", usage + "rename"},
        {"renumber a file two adventures reach", run_renumber, {"@COMMON", "message", "1", "2"}, 1, "^$",
         "reached from several adventures", two_adventures},
        {"renumber a source that cannot be read", run_renumber, {"@BEACON", "message", "12", "5"}, 1, "^$",
         "^zeltool renumber: refused: the source has 1 error", with({{"BEACON3.SCE", "->/proc/self/mem"}})},
        {"renumber with no room", run_renumber, {"@BEACON", "message", "12", "5"}, 1, "^$",
         "^zeltool renumber: cannot write beside @BEACON2\\.SCE: File too large\n$", nullptr, {}, 0},
        // lint
        {"lint --start of a word", run_lint, {"@BEACON", "--start", "x"}, 2, "^$",
         "^zeltool lint: --start needs a location number\nusage: zeltool lint"},
        {"lint --start of nothing", run_lint, {"@BEACON", "--start"}, 2, "^$", "^zeltool lint: --start needs a"},
        {"lint -W of nothing", run_lint, {"@BEACON", "-W"}, 2, "^$", "^zeltool lint: unknown code or group '' after -W"},
        {"lint notes the words one is kept as", run_lint, {"@DUP"}, 1,
         "\n@DUP\\.SCE:4:1: note: LANTERN is kept as its first five characters, LANTE\n", "",
         with({{"DUP.SCE", "/CTL\n_\n/VOC\nLANTERN 1 NOUN\nLANTE 2 NOUN\n"}})},
        {"lint --format=text", run_lint, {"@BEACON", "--format=json", "--format=text"}, 0, "^$", "^$"},
        {"lint of a database", run_lint, {"@BEACON.ZDB"}, 2, "^$", "^zeltool lint: '@BEACON\\.ZDB' names no adventure"},
        {"lint of an empty name", run_lint, {""}, 2, "^$", "^zeltool lint: '' names no adventure"},
        {"lint --werror of a clean source", run_lint, {"@BEACON", "--werror", "--start=0", "C"}, 0, "^$", "^$"},
        {"lint of a source with CR LF", run_lint, {"@GAME", "--format=json"}, 1, "\"source\": \"/0\", \"notes\"", "",
         with({{"GAME.SCE", zel::testing::with_crlf(zel::testing::Sections().source())}})},
        // check and build
        {"check --format=text after json", run_check, {"--format=json", "--format=text", "@BEACON"}, 0,
         "^\\*\\*\\* Compilation ends OK\n$", ""},
        {"check with an unknown option", run_check, {"@BEACON", "--frob"}, 2, "^$",
         "^zeltool check: unknown option --frob\nusage: zeltool check"},
        {"check of no name", run_check, {"--format=json"}, 2, "^$", usage + "check"},
        {"check of a source in several cases", run_check, {"@GAME"}, 0, "^\\*\\*\\* Compilation ends OK\n$", "",
         with({{"game.sce/", ""}, {"Game.sce", zel::testing::Sections().source()}, {"gAME.sce/", ""}})},
        {"check of a linked file", run_check, {"@BEACON2"}, 0, "^\\*\\*\\* Compilation ends OK\n$",
         "^zeltool: BEACON2\\.SCE does not begin with /CTL; using ADVENTUR\\.SCE, whose", eight_letters},
        {"check of a missing source named by more than a word", run_check, {"@abcdefghij x"}, 1,
         "^@ABCDEFGH\\.SCE: error 37: ABCDEFGH\\.SCE not found\n", ""},
        {"check of a name under a file", run_check, {"@BEACON.SCE/GAME"}, 1, "error 37: GAME\\.SCE not found", ""},
        {"build with an unknown option", run_build, {"@BEACON", "--frob"}, 2, "^$", "^zeltool build: unknown option"},
        {"build beside a temporary file of its own name", run_build, {"@BEACON"}, 0, "Compilation ends OK", "",
         taken_temporaries(1)},
        {"build with every temporary name taken", run_build, {"@BEACON"}, 1,
         "^@BEACON\\.SCE: error 34: Unable to open BEACON\\.\\$\\$\\$\n", "", taken_temporaries(100)},
    };
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin";
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        testing::Scratch scratch;
        const fs::path& dir = scratch.dir;
        const std::string at = dir.string() + "/";
        for (const char* name : {"examples/BEACON.SCE", "examples/BEACON2.SCE", "examples/BEACON3.SCE",
                                 "tests/regression/BEACON.ZDB"})
            fs::copy_file(fs::path(ZEL_SOURCE_DIR) / name, dir / fs::path(name).filename());
        ::setenv("TMPDIR", dir.c_str(), 1);  // where map's graph for dot goes
        if (r.prepare)
            r.prepare(dir);
        std::set<std::string> expected = names_under(dir);
        expected.insert(r.leaves.begin(), r.leaves.end());
        std::vector<std::string> args;
        for (const std::string& arg : r.args)
            args.push_back(in(arg, at));
        std::ostringstream out, err;
        int status = 0;
        {
            const FileLimit limit(r.file_limit);
            status = r.run(args, out, err);
        }
        ::setenv("PATH", path.c_str(), 1);
        ::unsetenv("TMPDIR");
        EXPECT_EQ(status, r.status) << err.str();
        EXPECT_TRUE(std::regex_search(out.str(), std::regex(in(r.out, at)))) << out.str();
        EXPECT_TRUE(std::regex_search(err.str(), std::regex(in(r.err, at)))) << err.str();
        EXPECT_EQ(names_under(dir), expected);
    }
}

}  // namespace
}  // namespace zel::tool
