#include <gtest/gtest.h>

#include <string>

#include "database/writer.h"
#include "support/memory_platform.h"

namespace zel {
namespace {

// A buffer behind one vocabulary entry, flushed at the threshold. (A full
// vocabulary's small buffer is met by the texts' tests.)
struct WriterBuffer : ::testing::Test, testing::Workbench {
    WriterBuffer() {
        c.writer.stream = files.create("GAME.$$$");
        c.writer.bufbase = c.writer.bufptr = 7;
        c.writer.bufend = workarea_threshold;
    }
    const std::string& file() { return files.files.at("GAME.$$$"); }
    void fill_to(std::size_t at) {
        while (c.writer.bufptr < at)
            putb(c, 'a');
    }
};

TEST_F(WriterBuffer, BufferIsFlushedWhenItReachesBufend) {
    fill_to(workarea_threshold - 1);
    EXPECT_EQ(file().size(), 0u);
    putb(c, 'b');
    EXPECT_EQ(file().size(), workarea_threshold - 7);
    EXPECT_EQ(c.writer.bufptr, c.writer.bufbase);
    EXPECT_EQ(c.writer.dbpos, workarea_threshold - 7);
}

TEST_F(WriterBuffer, WordOneByteBelowBufendIsStoredWholeThenFlushed) {
    fill_to(workarea_threshold - 1);
    putw(c, 0x1234);
    ASSERT_EQ(file().size(), workarea_threshold - 7 + 1);
    EXPECT_EQ(file().substr(file().size() - 2), "\x34\x12");
    EXPECT_EQ(c.writer.dbpos, file().size());
}

TEST_F(WriterBuffer, FlushInsideATextKeepsTheUnfinishedPart) {
    putb(c, 'x');
    c.writer.txtkeep = 1;
    c.writer.txtstart = c.writer.bufptr;
    fill_to(workarea_threshold - 1);
    putb(c, 'y');  // reaches bufend: flushes
    EXPECT_EQ(file(), "x");
    EXPECT_EQ(c.writer.txtstart, c.writer.bufbase);
    ASSERT_EQ(c.writer.bufptr - c.writer.bufbase, workarea_threshold - 8);
    EXPECT_EQ(c.work()[c.writer.bufptr - 1], 'y');
}

TEST_F(WriterBuffer, NothingReachesTheFileAfterAnErrorOrWithoutDatabase) {
    for (const bool after_error : {true, false}) {
        c.diag.errors = after_error ? 1 : 0;
        c.driver.dbreq = after_error ? 1 : 0;
        const std::uint32_t before = c.writer.dbpos;
        wrb(c, 1);
        wrw(c, 2);
        putb(c, 3);
        putw(c, 4);
        flushbuf(c);
        EXPECT_EQ(file(), "") << after_error;
        EXPECT_EQ(c.writer.dbpos, before + 6) << after_error;
    }
}

}  // namespace
}  // namespace zel
