// Every error number that a compilation can raise, each provoked once by the
// smallest change to a valid adventure (or by a fault of the file system),
// and reported with its number, exactly once, before the summary.
#include <gtest/gtest.h>

#include <functional>

#include "diagnostics/diagnostics.h"
#include "support/adventure.h"
#include "support/dbview.h"

namespace zel {
namespace {

using testing::Faults;
using testing::RunResult;
using testing::Sections;

using Change = std::function<void(Sections&)>;

RunResult compiled(const Change& change, std::vector<std::string> args = {"GAME"}) {
    Sections s;
    change(s);
    return testing::run(s.source(), args);
}

RunResult faulty(void (*set)(Faults&)) {
    Faults faults;
    set(faults);
    return testing::run({{"GAME.SCE", Sections().source()}}, {"GAME"}, faults);
}

// A change that makes the last process table one entry.
Change entry(const char* line) {
    return [line](Sections& s) { s.pro[2] = std::string(line) + "\n"; };
}

std::string many_texts(int count, std::size_t length) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text.append("/").append(std::to_string(i)).append("\n").append(length, 'x').append("\n");
    return text;
}

struct Provoked {
    int number;
    std::function<RunResult()> run;
};

const std::vector<Provoked>& catalogue() {
    static const std::vector<Provoked> rows = {
        {0, [] { return compiled([](Sections& s) { s.stx = Sections::system_messages(256); }); }},
        {1, [] { return compiled([](Sections& s) { s.voc += ",X 5 NOUN\n"; }); }},
        {2, [] { return compiled([](Sections& s) { s.voc += "WORD 0 NOUN\n"; }); }},
        {3, [] { return compiled([](Sections& s) { s.voc += "WORD 5 NOUN MORE\n"; }); }},
        {4, [] { return compiled([](Sections& s) { s.voc += testing::filler_words(2211); }); }},
        {5, [] { return compiled([](Sections& s) { s.con = "/0\nXYZ 1\n/1\n"; }); }},
        {6, [] { return compiled([](Sections& s) { s.con += "/2\n"; }); }},
        {7, [] { return compiled([](Sections& s) { s.con = "/0\nN\n/1\n"; }); }},
        {8, [] { return compiled([](Sections& s) { s.con = "/0\nN 3\n/1\n"; }); }},
        {9, [] { return compiled([](Sections& s) { s.obj += "/2 0 5 _ _ LAMP _\n"; }); }},
        {10, [] { return compiled(entry(" DESC")); }},
        {11, [] { return compiled(entry("_ _ SYSMESS")); }},
        {12, [] { return compiled(entry("_ _ CHANCE")); }},
        {13, [] { return compiled(entry("_ _ CHANCE 0")); }},
        {14, [] { return compiled(entry("_ _ FOO")); }},
        {15, [] { return compiled(entry("_ _ GET")); }},
        {16, [] { return compiled(entry("_ _ GET 2")); }},
        {17, [] { return compiled(entry("_ _ MES")); }},
        {18, [] { return compiled(entry("_ _ MESSAGE 1")); }},
        {19, [] { return compiled(entry("_ _ SET")); }},
        {20, [] { return compiled(entry("_ _ PROMPT 61")); }},
        {21, [] { return compiled(entry("_ _ PAUSE")); }},
        {22, [] { return compiled([](Sections& s) {
             const std::size_t fits = (16000 - 7 * 9 + 3) / 4;  // entry index room behind 8 words
             s.pro[2].clear();
             for (std::size_t i = 0; i <= fits; ++i)
                 s.pro[2] += "_ _ DESC\n";
         }); }},
        {23, [] { return compiled([](Sections& s) { s.mtx = "Hello\n"; }); }},
        {24, [] { return testing::run(Sections().source(), {"GAME.SCE"}); }},
        {25, [] { return compiled([](Sections& s) { s.mtx = "/0\n" + std::string(16000, 'x') + "\n"; }); }},
        {26, [] { return compiled([](Sections& s) { s.obj = "/0 WORN 3 _ _ LAMP _\n/1 CARRIED 10 Y _ BOX SMALL\n"; }); }},
        {27, [] { return compiled([](Sections& s) { s.ctl = "A\n"; }); }},
        {28, [] { return compiled([](Sections& s) { s.voc += "/LNK game\n"; }); }},
        {30, [] { return compiled([](Sections& s) { s.ctl.clear(); }); }},
        {31, [] { return compiled([](Sections& s) { s.stx = Sections::system_messages(60); }); }},
        {32, [] { return compiled([](Sections& s) { s.con = "/0\nN 1\n"; }); }},
        {33, [] { return compiled([](Sections& s) { s.obj = "/0 0 5 _ _ LAMP _\n"; }); }},
        {34, [] { return faulty([](Faults& f) { f.create = true; }); }},
        {35, [] { return faulty([](Faults& f) { f.rename = true; }); }},
        {36, [] { return compiled([](Sections& s) { s.voc += "NORTH 9 NOUN\n"; }); }},
        {37, [] { return testing::run(Sections().source(), {"OTHER"}); }},
        {38, [] { return faulty([](Faults& f) { f.close = true; }); }},
        {39, [] { return compiled(entry("_ _ SET 38")); }},
        {40, [] { return compiled([](Sections& s) { s.otx += "/2\nA bag.\n", s.obj += "/2 0 1 Y _ _ _\n"; }); }},
        {41, [] { return compiled([](Sections& s) { s.ctl += "/VOX\n"; }); }},
        {42, [] { return compiled([](Sections& s) { s.voc += "WORD 5 THING\n"; }); }},
        {43, [] { return compiled([](Sections& s) { s.obj = "/0 0 _ _ _ LAMP _\n/1 CARRIED 10 Y _ BOX SMALL\n"; }); }},
        {44, [] { return compiled([](Sections& s) { s.con = "/0\nLAMP 1\n/1\n"; }); }},
        {45, [] { return compiled([](Sections& s) { s.obj = "/0 0 5 _ _ _ SMALL\n/1 CARRIED 10 Y _ BOX SMALL\n"; }); }},
        {46, [] { return compiled([](Sections& s) { s.pro[1] += "/PRO 5\n"; }); }},
        {47, [] { return compiled(entry("_ _ PROCESS")); }},
        {48, [] { return compiled(entry("_ _ PROCESS 0")); }},
        {49, [] { return compiled(entry("_ _ PUTIN 0 0")); }},
        {50, [] { return compiled([](Sections& s) { s.obj = "/0 0 5 _ YES LAMP _\n/1 CARRIED 10 Y _ BOX SMALL\n"; }); }},
        {51, [] { return compiled([](Sections& s) { s.obj = "/0 0 64 _ _ LAMP _\n/1 CARRIED 10 Y _ BOX SMALL\n"; }); }},
        {52, [] { return compiled([](Sections& s) { s.obj = "/0 0 5 N _ LAMP _\n/1 CARRIED 10 Y _ BOX SMALL\n"; }); }},
        {53, [] { return compiled([](Sections& s) { s.mtx = "/0\nCaf\xe9.\n"; }, {"GAME", "C"}); }},
        {54, [] { return compiled([](Sections& s) { s.stx = many_texts(255, 300); }); }},
        {55, [] { return faulty([](Faults& f) { f.read_fails_after = 100; }); }},
    };
    return rows;
}

TEST(ErrorNumbers, EveryNumberIsRaisedAndReportedOnce) {
    std::vector<bool> seen(highest_error + 1, false);
    for (const Provoked& p : catalogue()) {
        SCOPED_TRACE("error " + std::to_string(p.number));
        const RunResult r = p.run();
        const std::string heading = "*** ERROR " + std::to_string(p.number) + " - ";
        EXPECT_EQ(testing::count_of(r.out, heading), 1u) << r.out;
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out.find("*** Compiler error"), std::string::npos);
        EXPECT_NE(r.out.find("*** Compilation ends with "), std::string::npos);
        EXPECT_FALSE(r.fs.has("GAME.ZDB"));
        if (p.number == 24) {
            EXPECT_EQ(r.err, std::string(error_info(24).message) + "\n");
        }
        seen[static_cast<std::size_t>(p.number)] = true;
    }
    for (int n = 0; n <= highest_error; ++n)
        EXPECT_EQ(seen[static_cast<std::size_t>(n)], error_info(n).reporter != Reporter::none) << "error " << n;
}

}  // namespace
}  // namespace zel
