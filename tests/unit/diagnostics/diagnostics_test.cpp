#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/compilation.h"
#include "diagnostics/diagnostics.h"
#include "support/memory_platform.h"

namespace zel {
namespace {

struct DiagnosticsFixture : ::testing::Test {
    testing::CaptureConsole console;
    testing::MemoryFileSystem files;
    Compilation c{console, files};

    DiagnosticsFixture() {
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

TEST_F(DiagnosticsFixture, ReportersPrintHeadingAndMessage) {
    pline1(c, 42);
    EXPECT_EQ(take(), "12 LAMP 3 NOUNS\n*** ERROR 42 - Valid word type not found NOUNS\n");
    pline1(c, 23);
    EXPECT_EQ(take(), "12 LAMP 3 NOUNS\n*** ERROR 23 - /7 expected\n");
    pline2(c, 41, "/VOC");
    EXPECT_EQ(take(), "12 LAMP 3 NOUNS\n*** ERROR 41 - /VOC expected\n");
    std::memcpy(c.scanner.wordbuf, "LAMP ", 5);
    pline2(c, 44, " verb or noun<20");
    EXPECT_EQ(take(), "12 LAMP 3 NOUNS\n*** ERROR 44 - LAMP  is not a verb or noun<20\n");
    pline3(c, 46, 3);
    EXPECT_EQ(take(), "12 LAMP 3 NOUNS\n*** ERROR 46 - /PRO   3 expected\n");
    pline3(c, 53, 200);
    EXPECT_EQ(take(), "12 LAMP 3 NOUNS\n*** ERROR 53 - Character value > 127 present in text - value(200)\n");
    perr1(c, 31);
    EXPECT_EQ(take(), "*** ERROR 31 - Insufficient System messages\n");
    perr2(c, 36, "INVENTORY");
    EXPECT_EQ(take(), "*** ERROR 36 - Duplicate word INVEN\n");
    perr2(c, 34, "GAME.$$$");
    EXPECT_EQ(take(), "*** ERROR 34 - Unable to open GAME.$$$\n");
    EXPECT_EQ(c.diag.errors, 9u);
}

TEST_F(DiagnosticsFixture, OnlyLineReportsSetLineerr) {
    perr1(c, 54);
    EXPECT_EQ(c.diag.lineerr, 0);
    pline1(c, 10);
    EXPECT_EQ(c.diag.lineerr, 1);
}

TEST_F(DiagnosticsFixture, SummaryCountsErrorsAndWarnings) {
    struct Case {
        std::uint32_t errors, warnings;
        const char* line;
    } cases[] = {
        {0, 0, "*** Compilation ends OK\n"},
        {1, 0, "*** Compilation ends with 1 ERROR\n"},
        {3, 1, "*** Compilation ends with 3 ERRORS and 1 WARNING\n"},
        {0, 2, "*** Compilation ends with 2 WARNINGS\n"},
        {1, 1, "*** Compilation ends with 1 ERROR and 1 WARNING\n"},
    };
    for (const Case& k : cases) {
        c.diag.errors = k.errors;
        c.diag.warnings = k.warnings;
        summary(c);
        EXPECT_EQ(take(), k.line);
    }
}

TEST_F(DiagnosticsFixture, NumberOutsideItsReporterIsAnInternalError) {
    struct Case {
        void (*report)(Compilation&);
        const char* output;
        int status;
    } cases[] = {
        {[](Compilation& c) { pline1(c, 41); }, "12 LAMP 3 NOUNS\n*** ERROR 41 - 12 LAMP 3 NOUNS\n*** Compiler error in pline1 - 41\n", 41},
        {[](Compilation& c) { pline3(c, 2, 0); }, "12 LAMP 3 NOUNS\n*** ERROR 2 - 12 LAMP 3 NOUNS\n*** Compiler error in pline3 - 2\n", 2},
        {[](Compilation& c) { perr1(c, 36); }, "*** ERROR 36 - 12 LAMP 3 NOUNS\n*** Compiler error in perr1 - 36\n", 36},
    };
    for (const Case& k : cases) {
        try {
            k.report(c);
            ADD_FAILURE() << "no stop";
        } catch (const FatalStop& stop) {
            EXPECT_EQ(stop.status, k.status);
        }
        EXPECT_EQ(take(), k.output);
    }
}

TEST_F(DiagnosticsFixture, InvalidFileNameGoesToStandardErrorAfterItsHeading) {
    EXPECT_THROW(pline1(c, 24), FatalStop);
    EXPECT_EQ(console.stderr_text, "Invalid File Name\n");
    EXPECT_EQ(console.interleaved, "12 LAMP 3 NOUNS\n*** ERROR 24 - [stderr]Invalid File Name\n");
    EXPECT_EQ(console.stdout_text, "12 LAMP 3 NOUNS\n*** ERROR 24 - *** Compilation ends with 1 ERROR\n");
}

TEST_F(DiagnosticsFixture, LineWithNulIsPrintedAsRead) {
    set_line(std::string("A\0B", 3));
    pline1(c, 3);
    EXPECT_EQ(take(), std::string("12 A\0B\n*** ERROR 3 - Too many parameters\n", 41));
}

}  // namespace
}  // namespace zel
