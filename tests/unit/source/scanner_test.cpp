#include <gtest/gtest.h>

#include <cstring>

#include "core/compilation.h"
#include "source/scanner.h"
#include "support/memory_platform.h"

namespace zel {
namespace {

struct ScannerFixture : ::testing::Test {
    testing::CaptureConsole console;
    testing::MemoryFileSystem files;
    Compilation c{console, files};

    ScannerFixture() { c.workarea = std::make_unique<std::array<unsigned char, workarea_size>>(); }

    void scan(const std::string& text) {
        line = text;
        scanfrom(c, line.data(), line.data() + line.size());
    }
    std::string word() const { return std::string(c.scanner.wordbuf, static_cast<std::size_t>(c.scanner.wordwidth)); }
    std::size_t at() const { return static_cast<std::size_t>(c.scanner.scanptr - line.data()); }

    std::string line;
};

TEST_F(ScannerFixture, ReadwordFillsCutsAndStops) {
    c.driver.nullchr = '_';
    struct Case {
        const char* text;
        int width;
        int result;
        const char* word;
        std::size_t at;
    } cases[] = {
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
    };
    for (const Case& k : cases) {
        scan(k.text);
        EXPECT_EQ(readword(c, k.width), k.result) << k.text;
        EXPECT_EQ(word(), k.word) << k.text;
        EXPECT_EQ(at(), k.at) << k.text;
    }
}

TEST_F(ScannerFixture, ReadwordRefusesNulInsideAWord) {
    scan(std::string("AB\0C", 4));
    EXPECT_EQ(readword(c, 5), 1);
    EXPECT_EQ(at(), 2u);
}

TEST_F(ScannerFixture, ReadnumAcceptsZeroTo255Only) {
    struct Case {
        const char* text;
        int result;
        int value;
    } cases[] = {
        {"255", 0, 255}, {"007 x", 0, 7}, {" 0", 0, 0}, {"256", 1, -1}, {"12;", 1, -1},
        {"-1", 1, -1},   {"", 1, -1},     {"  ", 1, -1}, {"1x", 1, -1},  {"300000000000", 1, -1},
    };
    for (const Case& k : cases) {
        scan(k.text);
        EXPECT_EQ(readnum(c), k.result) << k.text;
        if (k.result == 0) {
            EXPECT_EQ(c.scanner.numval, k.value) << k.text;
        }
    }
}

TEST_F(ScannerFixture, ReadlocKnowsNumbersKeywordsAndTheNullWord) {
    c.driver.nullchr = '_';
    struct Case {
        const char* text;
        int result;
        int code;
    } cases[] = {
        {"HERE", 0, 255},    {"here", 0, 255},   {"Here", 0, 255}, {"WORN", 0, 253},  {"CARRIED", 0, 254},
        {"carriedx", 0, 254}, {"_", 0, 252},     {"_A", 1, -1},    {"12", 0, 12},     {"300", 1, -1},
        {"HER", 1, -1},      {"HEREX", 1, -1},   {"252", 0, 252},  {"", 1, -1},
    };
    for (const Case& k : cases) {
        scan(k.text);
        EXPECT_EQ(readloc(c), k.result) << k.text;
        if (k.result == 0) {
            EXPECT_EQ(c.scanner.numval, k.code) << k.text;
        }
    }
}

TEST_F(ScannerFixture, LineendAcceptsBlanksAndComments) {
    struct Case {
        const char* text;
        int result;
    } cases[] = {{"", 1}, {"   ", 1}, {" \t; note", 1}, {";", 1}, {"  x", 0}, {"  1", 0}};
    for (const Case& k : cases) {
        scan(k.text);
        EXPECT_EQ(lineend(c), k.result) << k.text;
    }
    scan("  x");
    lineend(c);
    EXPECT_EQ(at(), 2u);
}

TEST_F(ScannerFixture, LookupSkipsByFirstCharacterAndComparesFiveBytes) {
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
    c.vocab.nwords = 0;
    std::memcpy(c.scanner.wordbuf, "_    ", 6);
    EXPECT_EQ(lookup(c), 255);
}

TEST_F(ScannerFixture, BeforeTheControlLineOnlyLettersAndDigitsMakeWords) {
    scan("A.B");
    EXPECT_EQ(readword(c, 8), 1);
    scan(std::string("\0", 1));
    EXPECT_EQ(readword(c, 8), 1);
}

}  // namespace
}  // namespace zel
