// The source reader (lines, comments, headers, links, findsec) and the
// lexical scanner (readword, readnum, readloc, lineend, lookup), and the
// searches that pass runs of comment lines many bytes at a time.
#include <gtest/gtest.h>

#include <cstring>
#include <span>
#include <string>
#include <tuple>
#include <vector>

#include "diagnostics/diagnostics.h"
#include "source/line_scan.h"
#include "source/reader.h"
#include "source/scanner.h"
#include "support/memory_platform.h"

namespace zel {
namespace {

// What rdline delivered: the line number, the line's bytes and hdrflag.
using Delivered = std::tuple<unsigned, std::string, int>;

struct Source : testing::Workbench {
    explicit Source(const std::string& source, std::size_t chunk = 1 << 16) {
        files.files["GAME.SCE"] = source;
        files.faults.read_chunk = chunk;
        c.driver.nullchr = '_';
        srcopen(c, "GAME");
    }
    // Reads up to the end of the source, clearing hdrflag after each header
    // line as findsec would.
    std::vector<Delivered> read_all() {
        std::vector<Delivered> lines;
        for (rdline(c); !c.reader.srceof; rdline(c)) {
            lines.push_back({c.reader.lineno, std::string(c.reader.linebuf, c.reader.linelen), c.reader.hdrflag});
            c.reader.hdrflag = 0;
        }
        return lines;
    }
};

TEST(SourceReader, LinesArriveTheSameWhateverTheReadSize) {
    const std::string long300(300, 'x'), exact258(258, 'y');
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
        {"headers begin with a letter", "/a\n/z\n/A\n/Z\n/@\n/[\n/`\n/{\n",
         {{1, "/A", 1}, {2, "/Z", 1}, {3, "/A", 1}, {4, "/Z", 1}, {5, "/@", 0}, {6, "/[", 0}, {7, "/`", 0}, {8, "/{", 0}}},
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
        for (std::size_t chunk : {std::size_t{1}, std::size_t{2}, std::size_t{257}, std::size_t{1} << 16})
            EXPECT_EQ(Source(k.source, chunk).read_all(), k.lines) << k.name << ", reads of " << chunk;
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
TEST(SourceReader, CommentRunsPassAsLineByLine) {
    const std::string source = mixed_source();
    const std::vector<Delivered> by_line = Source(source, 1).read_all();
    ASSERT_GT(by_line.size(), 500u);
    for (std::size_t chunk : {std::size_t{100}, std::size_t{1} << 16, std::size_t{1} << 20})
        EXPECT_EQ(Source(source, chunk).read_all(), by_line) << "reads of " << chunk;
}

// The processor decides which width the reader uses; both pass the same.
TEST(SourceReader, CommentRunsPassAlikeNarrowAndWide) {
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

TEST(SourceReader, FindsecForProcessTablesChecksTheNumber) {
    const std::pair<const char*, int> found[] = {{"/PRO 2", 2}, {"/pro2", 2}},
                                      missing[] = {{"/PRO 1", 2}, {"/PRO", 2}, {"/PRO 300", 44}, {"/PROCESS 2", 2}};
    for (const auto& [header, number] : found) {
        Source s(std::string(header) + "\n");
        rdline(s.c);
        findsec(s.c, "/PRO", number);
        EXPECT_EQ(s.console.stdout_text, "Processing GAME.SCE\nProcessing /PRO   2\n") << header;
    }
    for (const auto& [header, number] : missing) {
        Source s(std::string(header) + "\n");
        rdline(s.c);
        EXPECT_THROW(findsec(s.c, "/PRO", number), FatalStop) << header;
        EXPECT_NE(s.console.stdout_text.find("*** ERROR 46 - /PRO"), std::string::npos) << header;
    }
}

struct Scanner : ::testing::Test, testing::Workbench {
    void scan(const std::string& text) {
        line = text;
        scanfrom(c, line.data(), line.data() + line.size());
    }
    std::string word() const { return std::string(c.scanner.wordbuf, static_cast<std::size_t>(c.scanner.wordwidth)); }
    std::size_t at() const { return static_cast<std::size_t>(c.scanner.scanptr - line.data()); }

    std::string line;
};

TEST_F(Scanner, ReadwordFillsCutsAndStops) {
    struct Case {
        std::string text;
        int width;
        int result;
        const char* word;
        std::size_t at;
    } before_control[] = {
        {"A.B", 8, 1, "A       ", 1}, {std::string("\0", 1), 8, 1, "        ", 0},  // only letters and digits
    }, cases[] = {
        {"  lamp rest", 5, 0, "LAMP ", 6},
        {"INVENTORY x", 5, 0, "INVEN", 9},
        {"ABC,DE", 5, 1, "ABC  ", 3},       // a comma inside the width fails
        {"ABCDE,F x", 5, 0, "ABCDE", 7},    // beyond the width it is passed over
        {"ABC;", 5, 1, "ABC  ", 3},         // a comment must be separated
        {"ABCDEF;x y", 5, 0, "ABCDE", 8},   // a full word swallows it
        {"", 5, 1, "     ", 0},
        {" \t ", 5, 1, "     ", 3},
        {"a_b", 5, 0, "A_B  ", 3},          // the null word character is a word character
        {"chapter12", 8, 0, "CHAPTER1", 9},
        {"Y", 2, 0, "Y ", 1},
        {"YES", 2, 0, "YE", 3},
        {std::string("AB\0C", 4), 5, 1, "AB   ", 2},
    };
    for (const auto& table : {std::span<const Case>(before_control), std::span<const Case>(cases)}) {
        for (const Case& k : table) {
            scan(k.text);
            EXPECT_EQ(readword(c, k.width), k.result) << k.text;
            EXPECT_EQ(word(), k.word) << k.text;
            EXPECT_EQ(at(), k.at) << k.text;
        }
        c.driver.nullchr = '_';
    }
}

// Each row: the text, the result and the value (-1 when the scan fails).
TEST_F(Scanner, ReadnumAndReadloc) {
    c.driver.nullchr = '_';
    const std::pair<const char*, int> numbers[] = {
        {"255", 255}, {"007 x", 7}, {" 0", 0}, {"256", -1}, {"12;", -1},
        {"-1", -1},   {"", -1},     {"  ", -1}, {"1x", -1},  {"300000000000", -1},
    }, locations[] = {
        {"HERE", 255},     {"here", 255}, {"Here", 255}, {"WORN", 253}, {"CARRIED", 254},
        {"carriedx", 254}, {"_", 252},    {"_A", -1},    {"12", 12},    {"300", -1},
        {"HER", -1},       {"HEREX", -1}, {"252", 252},  {"", -1},
    };
    for (const auto& [text, value] : numbers) {
        scan(text);
        EXPECT_EQ(readnum(c), value < 0 ? 1 : 0) << text;
        if (value >= 0) {
            EXPECT_EQ(c.scanner.numval, value) << text;
        }
    }
    for (const auto& [text, value] : locations) {
        scan(text);
        EXPECT_EQ(readloc(c), value < 0 ? 1 : 0) << text;
        if (value >= 0) {
            EXPECT_EQ(c.scanner.numval, value) << text;
        }
    }
}

TEST_F(Scanner, LineendAcceptsBlanksAndComments) {
    const std::pair<const char*, int> cases[] = {{"", 1}, {"   ", 1}, {" \t; note", 1}, {";", 1}, {"  x", 0}, {"  1", 0}};
    for (const auto& [text, result] : cases) {
        scan(text);
        EXPECT_EQ(lineend(c), result) << text;
    }
    EXPECT_EQ(at(), 2u);  // left at the "1"
}

TEST_F(Scanner, LookupSkipsByFirstCharacterAndComparesFiveBytes) {
    c.driver.nullchr = '_';
    // BOX twice (error 36 in a compilation): the first entry is the one found.
    const char* entries[] = {"AAAAA\x01\x00", "B    \x02\x02", "BOX  \x03\x02", "BOX  \x05\x03", "N    \x04\x02"};
    for (int i = 0; i < 5; ++i)
        std::memcpy(c.work() + i * entry_size, entries[i], entry_size);
    c.vocab.nwords = 5;
    struct Case {
        const char* word;
        int number;
        int type;
    } cases[] = {{"BOX  ", 3, 2}, {"B    ", 2, 2}, {"N    ", 4, 2}, {"AAAAA", 1, 0}, {"ZZZZZ", 0, 77},
                 {"_    ", 255, 255}, {"BO   ", 0, 77}};
    for (const Case& k : cases) {
        c.scanner.wordtype = 77;
        std::memcpy(c.scanner.wordbuf, k.word, 6);
        EXPECT_EQ(lookup(c), k.number) << k.word;
        EXPECT_EQ(c.scanner.wordtype, k.type) << k.word;
    }
    std::memcpy(c.scanner.wordbuf, "AAAAA", 6);
    c.vocab.nwords = 1;
    EXPECT_EQ(lookup(c), 1);
    c.vocab.nwords = 0;
    EXPECT_EQ(lookup(c), 0);
    std::memcpy(c.scanner.wordbuf, "_    ", 6);
    EXPECT_EQ(lookup(c), 255);
}

}  // namespace
}  // namespace zel
