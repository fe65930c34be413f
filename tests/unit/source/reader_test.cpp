#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/compilation.h"
#include "diagnostics/diagnostics.h"
#include "source/line_scan.h"
#include "source/reader.h"
#include "support/memory_platform.h"

namespace zel {
namespace {

// What rdline delivered: the line number, the line's bytes and hdrflag.
struct Delivered {
    unsigned lineno;
    std::string text;
    int hdrflag;
    bool operator==(const Delivered&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Delivered& d) {
    return os << d.lineno << " '" << d.text << "' hdr=" << d.hdrflag;
}

struct ReaderFixture : ::testing::Test {
    testing::CaptureConsole console;
    testing::MemoryFileSystem files;
    std::unique_ptr<Compilation> c;

    void open(const std::string& source, std::size_t chunk) {
        files.files["GAME.SCE"] = source;
        files.faults.read_chunk = chunk;
        c = std::make_unique<Compilation>(console, files);
        c->workarea = std::make_unique<std::array<unsigned char, workarea_size>>();
        c->driver.nullchr = '_';
        srcopen(*c, "GAME");
    }

    // Reads up to the end of the source, clearing hdrflag after each header
    // line as findsec would.
    std::vector<Delivered> read_all() {
        std::vector<Delivered> lines;
        while (true) {
            rdline(*c);
            const Reader& r = c->reader;
            if (r.srceof)
                return lines;
            lines.push_back({r.lineno, std::string(r.linebuf, r.linelen), r.hdrflag});
            r.hdrflag ? void(c->reader.hdrflag = 0) : void();
        }
    }
};

TEST_F(ReaderFixture, LinesArriveTheSameWhateverTheReadSize) {
    const std::string long300(300, 'x');
    const std::string exact258(258, 'y');
    struct Case {
        const char* name;
        std::string source;
        std::vector<Delivered> lines;
    } cases[] = {
        {"plain lines, last without line feed", "one\ntwo\nthree", {{1, "one", 0}, {2, "two", 0}, {3, "three", 0}}},
        {"carriage return before line feed", "a\r\nb\rc\r\n\r\n", {{1, "a", 0}, {2, "b\rc", 0}, {3, "", 0}}},
        {"byte 26 ends the file", "a\nb\x1a" "c\nd\n", {{1, "a", 0}, {2, "b", 0}}},
        {"comment lines skipped, counted", ";x\n ;y\n;z\nw\n", {{2, " ;y", 0}, {4, "w", 0}}},
        {"headers upper-cased, four characters", "/voc\n/vocabulary\n/1\n/\n/ x\n",
         {{1, "/VOC", 1}, {2, "/VOCabulary", 1}, {3, "/1", 0}, {4, "/", 0}, {5, "/ x", 0}}},
        {"a line of 300 arrives as 258 and 42", long300 + "\nz\n",
         {{1, std::string(258, 'x'), 0}, {2, std::string(42, 'x'), 0}, {3, "z", 0}}},
        {"exactly 258 then an empty line", exact258 + "\n", {{1, exact258, 0}, {2, "", 0}}},
        {"NUL is an ordinary character", std::string("a\0b\n", 4), {{1, std::string("a\0b", 3), 0}}},
        {"empty lines are ordinary", "\n\n", {{1, "", 0}, {2, "", 0}}},
        {"a comment of 300 leaves an ordinary piece of 42", ";" + long300.substr(1) + "\nz\n",
         {{2, std::string(42, 'x'), 0}, {3, "z", 0}}},
        {"comments of 257 and 258, then the empty piece", ";" + exact258.substr(2) + "\n;" + exact258.substr(1) + "\nq\n",
         {{3, "", 0}, {4, "q", 0}}},
        {"carriage returns in and after comments", ";a\rb\n;c\r\nd\r\n;e", {{3, "d", 0}}},
        {"byte 26 inside a comment", "a\n;b\x1a\nc\n", {{1, "a", 0}}},
    };
    for (const Case& k : cases)
        for (std::size_t chunk : {std::size_t{1}, std::size_t{2}, std::size_t{257}, std::size_t{1} << 16}) {
            open(k.source, chunk);
            EXPECT_EQ(read_all(), k.lines) << k.name << ", reads of " << chunk;
        }
}

// Lines of every length up to 100 and about a piece long, comments or not,
// some with a carriage return.
std::string mixed_source() {
    std::string source;
    for (unsigned seed = 7, i = 0; i < 4000; ++i) {
        seed = seed * 1103515245u + 12345u;
        const unsigned length = i % 50 == 0 ? 255 + i / 50 % 5 : (seed >> 8) % 100;  // 257 and 258 among the long
        std::string line(length, 'c');
        if (length > 0 && (seed >> 20) % 5 != 0)
            line[0] = ';';
        if (length > 2 && (seed >> 24) % 40 == 0)
            line[length / 2] = '\r';
        source += line + "\n";
    }
    return source;
}

// Runs of comment lines are passed many bytes at a time only where whole
// windows of the block hold them; reads of one byte never fill one, so they
// give the line-by-line result to compare with.
TEST_F(ReaderFixture, CommentRunsPassAsLineByLine) {
    const std::string source = mixed_source();
    open(source, 1);
    const std::vector<Delivered> by_line = read_all();
    ASSERT_GT(by_line.size(), 500u);
    for (std::size_t chunk : {std::size_t{100}, std::size_t{1} << 16, std::size_t{1} << 20}) {
        open(source, chunk);
        EXPECT_EQ(read_all(), by_line) << "reads of " << chunk;
    }
}

// The processor decides which width the reader uses; both pass the same.
TEST(LineScan, CommentRunsPassAlikeNarrowAndWide) {
    if (!wide_scan_available())
        GTEST_SKIP() << "the processor has no wide search";
    std::string source = mixed_source().substr(0, Reader::block_size);
    source.erase(source.rfind('\n') + 1);  // whole lines only
    Reader r;
    std::memcpy(r.block.get(), source.data(), source.size());
    r.blklen = r.special = source.size();
    for (std::size_t at = 0; at < source.size(); at = source.find('\n', at) + 1) {
        r.blkpos = at;
        const std::size_t narrow = pass_comment_run(r, ScanWidth::narrow);
        const std::size_t stop = r.blkpos;
        r.blkpos = at;
        EXPECT_EQ(pass_comment_run(r, ScanWidth::wide), narrow) << at;
        EXPECT_EQ(r.blkpos, stop) << at;
    }
}

TEST_F(ReaderFixture, EndOfSourceKeepsSettingHdrflag) {
    open("a\n", 1 << 16);
    rdline(*c);
    rdline(*c);
    EXPECT_EQ(c->reader.srceof, 1);
    EXPECT_EQ(c->reader.hdrflag, 1);
    EXPECT_EQ(c->reader.lineno, 2u);  // the end counts as one more line
    c->reader.hdrflag = 0;
    rdline(*c);
    EXPECT_EQ(c->reader.hdrflag, 1);
    EXPECT_EQ(c->reader.lineno, 2u);
}

TEST_F(ReaderFixture, PendingHeaderIsNotReadOver) {
    open("/STX\nnext\n", 1 << 16);
    rdline(*c);
    rdline(*c);
    EXPECT_STREQ(c->reader.linebuf, "/STX");
    EXPECT_EQ(c->reader.lineno, 1u);
}

TEST_F(ReaderFixture, LinksContinueInTheNextFileFromLineOne) {
    files.files["PART2.SCE"] = "second\n/lnk  chapter12 x\n";
    files.files["CHAPTER1.SCE"] = "third\n";
    open("first\n/lnk part2\nnever read\n", 1 << 16);
    EXPECT_EQ(read_all(), (std::vector<Delivered>{{1, "first", 0}, {1, "second", 0}, {1, "third", 0}}));
    EXPECT_EQ(console.stdout_text,
              "Processing GAME.SCE\n/LNK part2\nProcessing PART2.SCE\n/LNK  chapter12 x\nProcessing CHAPTER1.SCE\n");
}

TEST_F(ReaderFixture, FatalLinksStopTheCompilation) {
    struct Case {
        const char* name;
        std::string link;
        const char* tail;  // what the output ends with
    } cases[] = {
        {"no name", "/LNK\n", "2 /LNK\n*** ERROR 24 - "},
        {"full stop in the name", "/LNK a.b\n", "2 /LNK a.b\n*** ERROR 24 - "},
        {"missing file", "/LNK nothere\n", "*** ERROR 37 - NOTHERE.SCE not found\n"},
        {"link back to the first file", "/LNK game\n", "2 /LNK game\n*** ERROR 28 - Circular link to GAME.SCE\n"},
    };
    for (const Case& k : cases) {
        console = {};
        open("first\n" + k.link, 1 << 16);
        EXPECT_THROW(read_all(), FatalStop) << k.name;
        const std::string& out = console.stdout_text;
        const std::string tail = std::string(k.tail) + "*** Compilation ends with 1 ERROR\n";
        ASSERT_GE(out.size(), tail.size()) << k.name;
        EXPECT_EQ(out.substr(out.size() - tail.size()), tail) << k.name;
    }
}

TEST_F(ReaderFixture, FindsecSearchesOnAfterAnEarlyEnd) {
    open("stray\n/STX\nx\n/OBJ\n", 1 << 16);
    rdline(*c);
    findsec(*c, "/STX", 0);
    EXPECT_EQ(c->reader.hdrflag, 0);
    EXPECT_EQ(c->diag.errors, 1u);
    rdline(*c);
    EXPECT_THROW(findsec(*c, "/CON", 0), FatalStop);
    EXPECT_EQ(console.stdout_text,
              "Processing GAME.SCE\n"
              "1 stray\n*** ERROR 41 - /STX expected\nTrying to find /STX\nProcessing /STX\n"
              "3 x\n*** ERROR 41 - /CON expected\nTrying to find /CON\n"
              "4 /OBJ\n*** ERROR 41 - /CON expected\n*** Compilation ends with 3 ERRORS\n");
}

TEST_F(ReaderFixture, FindsecForProcessTablesChecksTheNumber) {
    struct Case {
        const char* header;
        int number;
        bool found;
    } cases[] = {
        {"/PRO 2", 2, true}, {"/pro2", 2, true}, {"/PRO 1", 2, false}, {"/PRO", 2, false},
        {"/PRO 300", 44, false}, {"/PROCESS 2", 2, false},
    };
    for (const Case& k : cases) {
        console = {};
        open(std::string(k.header) + "\n", 1 << 16);
        rdline(*c);
        if (k.found) {
            findsec(*c, "/PRO", k.number);
            EXPECT_EQ(console.stdout_text, "Processing GAME.SCE\nProcessing /PRO   2\n") << k.header;
        } else {
            EXPECT_THROW(findsec(*c, "/PRO", k.number), FatalStop) << k.header;
            EXPECT_NE(console.stdout_text.find("*** ERROR 46 - /PRO"), std::string::npos) << k.header;
        }
    }
}

}  // namespace
}  // namespace zel
