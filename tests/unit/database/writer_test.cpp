#include <gtest/gtest.h>

#include <string>

#include "core/compilation.h"
#include "database/writer.h"
#include "support/adventure.h"
#include "support/dbview.h"
#include "support/memory_platform.h"

namespace zel {
namespace {

struct WriterFixture : ::testing::Test {
    testing::CaptureConsole console;
    testing::MemoryFileSystem files;
    Compilation c{console, files};

    WriterFixture() {
        c.workarea = std::make_unique<std::array<unsigned char, workarea_size>>();
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

TEST_F(WriterFixture, BufferIsFlushedWhenItReachesBufend) {
    fill_to(workarea_threshold - 1);
    EXPECT_EQ(file().size(), 0u);
    putb(c, 'b');
    EXPECT_EQ(file().size(), workarea_threshold - 7);
    EXPECT_EQ(c.writer.bufptr, c.writer.bufbase);
    EXPECT_EQ(c.writer.dbpos, workarea_threshold - 7);
}

TEST_F(WriterFixture, WordOneByteBelowBufendIsStoredWholeThenFlushed) {
    fill_to(workarea_threshold - 1);
    putw(c, 0x1234);
    ASSERT_EQ(file().size(), workarea_threshold - 7 + 1);
    EXPECT_EQ(file().substr(file().size() - 2), "\x34\x12");
    EXPECT_EQ(c.writer.dbpos, file().size());
}

TEST_F(WriterFixture, FlushInsideATextKeepsTheUnfinishedPart) {
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

TEST_F(WriterFixture, NothingReachesTheFileAfterAnErrorOrWithoutDatabase) {
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

std::string text(int i) { return std::string(static_cast<std::size_t>(40 + i * 3), static_cast<char>('a' + i % 26)); }

// With a full vocabulary of 2211 words the buffer has 516 bytes; the texts
// still arrive whole and in place.
TEST(WriterBuffer, FullVocabularyLeavesSmallBufferButSameTexts) {
    testing::Sections s;
    for (int i = 0; i < 2211 - 8; ++i) {
        char word[6] = {'W', 0, 0, 0, 0, 0};
        for (int k = i, at = 1; at < 5; k /= 26, ++at)
            word[at] = static_cast<char>('A' + k % 26);
        s.voc += std::string(word) + " " + std::to_string(100 + i % 100) + " NOUN\n";
    }
    s.stx.clear();
    for (int i = 0; i < 61; ++i)
        s.stx.append("/").append(std::to_string(i)).append("\n").append(text(i)).append("\n");
    const testing::RunResult r = testing::run(s.source());
    ASSERT_TRUE(r.ok()) << r.out;
    const std::string& db = r.database();
    EXPECT_EQ(testing::word_at(db, testing::f_length), db.size());
    for (std::size_t i = 0; i < 61; ++i)
        EXPECT_EQ(testing::text_of(db, testing::f_stx, i), text(static_cast<int>(i))) << i;
}

}  // namespace
}  // namespace zel
