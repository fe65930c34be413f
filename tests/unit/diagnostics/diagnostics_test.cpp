#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <utility>

#include "diagnostics/diagnostics.h"
#include "support/memory_platform.h"

namespace zel {
namespace {

// The reporters and the summary in their ordinary use are shown by the
// end-to-end cases; here what those cannot show. Line 12 "LAMP 3 NOUNS" is
// being compiled, the scanner has read "NOUNS", and the section has counted
// 7 items.
struct Diagnostics : ::testing::Test, testing::Workbench {
    Diagnostics() {
        c.reader.lineno = 12;
        set_line("LAMP 3 NOUNS");
        std::memcpy(c.scanner.wordbuf, "NOUNS", 5);
        c.scanner.wordwidth = 5;
        c.reader.nitems = 7;
    }
    void set_line(const std::string& text) {
        std::memcpy(c.reader.linebuf, text.data(), text.size());
        c.reader.linebuf[text.size()] = '\0';
        c.reader.linelen = text.size();
    }
    std::string take() { return std::exchange(console.stdout_text, ""); }
};

TEST_F(Diagnostics, OnlyLineReportsSetLineerr) {
    perr1(c, 54);
    EXPECT_EQ(c.diag.lineerr, 0);
    pline1(c, 10);
    EXPECT_EQ(c.diag.lineerr, 1);
}

TEST_F(Diagnostics, NumberOutsideItsReporterIsAnInternalError) {
    const std::string heading = "12 LAMP 3 NOUNS\n";
    const std::tuple<std::function<void()>, std::string, int> cases[] = {
        {[&] { pline1(c, 41); }, heading + "*** ERROR 41 - " + heading + "*** Compiler error in pline1 - 41\n", 41},
        {[&] { pline3(c, 2, 0); }, heading + "*** ERROR 2 - " + heading + "*** Compiler error in pline3 - 2\n", 2},
        {[&] { perr1(c, 36); }, "*** ERROR 36 - " + heading + "*** Compiler error in perr1 - 36\n", 36},
    };
    for (const auto& [report, output, status] : cases) {
        try {
            report();
            ADD_FAILURE() << "no stop";
        } catch (const FatalStop& stop) {
            EXPECT_EQ(stop.status, status);
        }
        EXPECT_EQ(take(), output);
    }
}

TEST_F(Diagnostics, InvalidFileNameGoesToStandardErrorAfterItsHeading) {
    EXPECT_THROW(pline1(c, 24), FatalStop);
    EXPECT_EQ(console.stderr_text, "Invalid File Name\n");
    EXPECT_EQ(console.interleaved, "12 LAMP 3 NOUNS\n*** ERROR 24 - [stderr]Invalid File Name\n");
    EXPECT_EQ(console.stdout_text, "12 LAMP 3 NOUNS\n*** ERROR 24 - *** Compilation ends with 1 ERROR\n");
}

// Error 0 (a text past the last one) covers the whole token, "LAMP" here;
// only a warning or error 53 marks a single character.
TEST_F(Diagnostics, ErrorZeroCoversTheToken) {
    struct Last : Observer {
        Diagnostic d;
        void report(const Diagnostic& reported) override { d = reported; }
    } last;
    c.observer = &last;
    pline1(c, 0);
    EXPECT_EQ(std::pair(last.d.column, last.d.end_column), std::pair(1, 5));
}

TEST_F(Diagnostics, LineWithNulIsPrintedAsRead) {
    set_line(std::string("A\0B", 3));
    pline1(c, 3);
    EXPECT_EQ(take(), std::string("12 A\0B\n*** ERROR 3 - Too many parameters\n", 41));
}

}  // namespace
}  // namespace zel
