// Every error number that a compilation can raise is raised: most by the
// end-to-end cases, whose whole output is compared; the others here, each
// provoked by the smallest change to a valid adventure (or by a fault of the
// file system) and reported with its number, exactly once, before the summary.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>

#include "diagnostics/diagnostics.h"
#include "support/adventure.h"
#include "support/dbview.h"
#include "support/scratch.h"

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

// The numbers that no end-to-end case raises.
const std::vector<Provoked>& catalogue() {
    static const std::vector<Provoked> rows = {
        {0, [] { return compiled([](Sections& s) { s.stx = Sections::system_messages(256); }); }},
        {4, [] { return compiled([](Sections& s) { s.voc += testing::filler_words(2211); }); }},
        {22, [] { return compiled([](Sections& s) {
             const std::size_t fits = (16000 - 7 * 9 + 3) / 4;  // entry index room behind 8 words
             s.pro[2].clear();
             for (std::size_t i = 0; i <= fits; ++i)
                 s.pro[2] += "_ _ DESC\n";
         }); }},
        {25, [] { return compiled([](Sections& s) { s.mtx = "/0\n" + std::string(16000, 'x') + "\n"; }); }},
        {34, [] { return faulty([](Faults& f) { f.create = true; }); }},
        {35, [] { return faulty([](Faults& f) { f.rename = true; }); }},
        {38, [] { return faulty([](Faults& f) { f.close = true; }); }},
        {54, [] { return compiled([](Sections& s) { s.stx = many_texts(255, 300); }); }},
        {55, [] { return faulty([](Faults& f) { f.read_fails_after = 100; }); }},
    };
    return rows;
}

TEST(ErrorNumbers, EveryNumberIsRaisedAndReportedOnce) {
    std::set<int> seen;
    for (const auto& dir : std::filesystem::directory_iterator(ZEL_SOURCE_DIR "/tests/cases")) {
        const std::string out = testing::slurp(dir.path() / "stdout");
        for (std::size_t at = out.find("*** ERROR "); at != std::string::npos; at = out.find("*** ERROR ", at + 1))
            seen.insert(std::atoi(out.c_str() + at + 10));
    }
    for (const Provoked& p : catalogue()) {
        SCOPED_TRACE("error " + std::to_string(p.number));
        const RunResult r = p.run();
        const std::string heading = "*** ERROR " + std::to_string(p.number) + " - ";
        EXPECT_EQ(testing::count_of(r.out, heading), 1u) << r.out;
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out.find("*** Compiler error"), std::string::npos);
        EXPECT_NE(r.out.find("*** Compilation ends with "), std::string::npos);
        EXPECT_FALSE(r.fs.has("GAME.ZDB"));
        seen.insert(p.number);
    }
    for (int n = 0; n <= highest_error; ++n)
        EXPECT_EQ(seen.count(n), error_info(n).reporter != Reporter::none ? 1u : 0u) << "error " << n;
}

}  // namespace
}  // namespace zel
