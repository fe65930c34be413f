#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "support/adventure.h"
#include "support/dbview.h"
#include "text/compression.h"
#include "text/texts.h"

namespace zel {
namespace {

using testing::Sections;

std::vector<std::string> args(bool compressed) { return compressed ? std::vector<std::string>{"GAME", "C"} : std::vector<std::string>{"GAME"}; }

// The substitution as a sequence of moves: each token in table order, each
// match replaced by the code and the rest of the text moved down at once.
std::vector<unsigned> substituted_by_moves(const std::string& source, int& saving, std::array<unsigned, token_count>& uses) {
    std::vector<unsigned char> text(source.begin(), source.end());
    for (int i = 0; i < token_count; ++i) {
        const std::string token = token_table[i];
        for (std::size_t k = 0; k + token.size() <= text.size(); ++k)
            if (std::equal(token.begin(), token.end(), text.begin() + static_cast<long>(k))) {
                text[k] = static_cast<unsigned char>(token_code_base + i);
                text.erase(text.begin() + static_cast<long>(k + 1), text.begin() + static_cast<long>(k + token.size()));
                saving += static_cast<int>(token.size()) - 1;
                ++uses[static_cast<std::size_t>(i)];
            }
    }
    std::vector<unsigned> stored;
    for (unsigned char ch : text)
        stored.push_back(255u - ch);
    stored.push_back(255u - text_end);
    return stored;
}

// Texts of every length up to a long one, assembled and encoded in the output
// buffer as a text section does it, made of letters and blanks that form
// tokens and overlapping candidates, and of bytes that no token holds.
TEST(Compression, SubstitutionEqualsMovingAfterEveryMatch) {
    testing::Workbench w;
    Compilation& c = w.c;
    c.writer.bufend = workarea_threshold;
    c.writer.bufbase = 9 * entry_size;
    write_token_table(c);  // no stream: the position moves and the token lengths are set
    EXPECT_EQ(c.writer.dbpos, 309u);
    const std::string pieces[] = {" the ", "the", " you", "ing ", "and", " a", "  ", "e.", "d", "x", "\r", "\xa3", "ou", "t"};
    std::uint32_t seed = 9;
    int saving = 0;
    std::array<unsigned, token_count> uses{};
    for (std::size_t length : {0, 1, 2, 3, 5, 17, 64, 300, 2000, 15000}) {
        std::string text;
        while (text.size() < length) {
            seed = seed * 1103515245u + 12345u;
            text += pieces[(seed >> 16) % std::size(pieces)];
        }
        text.resize(length);
        const std::vector<unsigned> expected = substituted_by_moves(text, saving, uses);
        const std::uint32_t pos = c.writer.dbpos;
        c.driver.cmpnow = true;
        c.writer.txtstart = c.writer.bufptr = c.writer.bufbase;
        put_text_line(c, text.data(), text.size());
        put_text_byte(c, text_end);
        EXPECT_EQ(std::vector<unsigned>(c.work() + c.writer.bufbase, c.work() + c.writer.bufptr), expected) << length;
        EXPECT_EQ(c.writer.dbpos - pos, expected.size()) << length;
        EXPECT_EQ(c.tokens.saving, saving) << length;
    }
    EXPECT_TRUE(std::equal(uses.begin(), uses.end(), c.tokens.tokuse));
}

TEST(Texts, NumberingErrors) {
    const std::pair<const char*, const char*> cases[] = {
        {"/0\nA\n/2\nB\n", "/2\n*** ERROR 23 - /1 expected\n"},
        {"Hello\n", "Hello\n*** ERROR 23 - /0 expected\n"},
        {"/0X\nHi\n", "/0X\n*** ERROR 23 - /0 expected\n"},
        {"", "/OTX\n*** ERROR 23 - /0 expected\n0 texts processed\n"},
    };
    for (const auto& [mtx, report] : cases) {
        Sections s;
        s.mtx = mtx;
        const auto r = testing::run(s.source());
        EXPECT_NE(r.out.find(report), std::string::npos) << r.out;
        EXPECT_EQ(testing::count_of(r.out, "ERROR 23"), 1u) << mtx;
    }
}

TEST(Texts, LimitsOfEachSection) {
    std::string Sections::*sections[] = {&Sections::stx, &Sections::mtx, &Sections::otx, &Sections::ltx};
    const int limits[] = {255, 255, 255, 252};
    for (int i = 0; i < 4; ++i) {
        for (int extra : {0, 1}) {
            Sections s;
            s.*sections[i] = Sections::system_messages(limits[i] + extra);
            const auto r = testing::run(s.source());
            const std::string n = std::to_string(limits[i]);  // (appended: gcc 12 warns falsely on "..." + string)
            const std::string count = std::string("\n").append(n).append(" texts processed\n");
            const std::string over = std::string("/").append(n).append("\n*** ERROR 0 - Max texts already processed\n");
            EXPECT_EQ(r.out.find(count) != std::string::npos, extra == 0) << i << r.out;
            EXPECT_EQ(r.out.find(over) != std::string::npos, extra == 1) << i << r.out;
        }
    }
    Sections s;
    s.stx = Sections::system_messages(60);
    EXPECT_NE(testing::run(s.source()).out.find("60 texts processed\n*** ERROR 31 - Insufficient System messages\n"),
              std::string::npos);
}

// Lines of a text of exactly n bytes ending in the character "z": runs of
// filler closed by an empty line, so that no join space comes between.
std::string text_of_size(std::size_t n) {
    std::string lines;
    for (std::size_t left = n - 1; left > 0;) {
        const std::size_t k = std::min<std::size_t>(200, left - 1);
        lines += std::string(k, 't') + (k ? "\n\n" : "\n");
        left -= k + 1;
    }
    return lines + "z";
}

// A text may hold room - 1 bytes, room being the output buffer behind the
// vocabulary; the next byte is refused with error 25, once per text.
TEST(Texts, TextTooLongForTheBuffer) {
    struct Case {
        const char* tail0;  // after the text of room - 1 bytes
        const char* tail1;  // the same, for a second text
        bool compressed;
        unsigned errors, warnings;
        std::size_t short_by = 0;  // of room - 1 bytes before tail0
    } cases[] = {
        {"\n", "\n", false, 0, 0},     {"\n", "\n", true, 0, 0},
        {"q\n", "\n", false, 1, 0},    {"q\n", "\n", true, 1, 0},  // counted before compression
        {"q\tq\n", "\n", false, 1, 1}, {"\nq\n", "\n", false, 1, 0},  // a join space
        {"\n\n", "\n", false, 1, 0},   {"q\n", "q\n", false, 2, 0},   // a paragraph break; two texts
        {"\t\n", "\n", false, 0, 1, 1},  // a reported character as the last byte that fits
    };
    for (std::size_t words : {8, 2211}) {
        const std::size_t room = 16000 - 7 * (words + 1);
        for (const Case& k : cases) {
            Sections s;
            s.voc += testing::filler_words(words - 8);
            s.mtx = "/0\n" + text_of_size(room - 1 - k.short_by) + k.tail0 + "/1\n" + text_of_size(room - 1) + k.tail1 + "/2\nEnd.\n";
            const auto r = testing::run(s.source(), args(k.compressed));
            EXPECT_EQ(testing::count_of(r.out, "*** ERROR 25 - Text too long\n"), k.errors) << words << k.tail0;
            EXPECT_EQ(testing::count_of(r.out, "*** WARNING"), k.warnings);
            EXPECT_NE(r.out.find("\n3 texts processed\n"), std::string::npos);  // the section goes on
            EXPECT_EQ(r.ok(), k.errors + k.warnings == 0) << r.out;
            if (k.errors > 0 || k.compressed)
                continue;
            const std::string& db = r.database();
            EXPECT_EQ(testing::text_of(db, testing::f_mtx, 0).size(), room - 1);
            EXPECT_EQ(testing::table_entry(db, testing::f_mtx, 1), testing::table_entry(db, testing::f_mtx, 0) + room);
            EXPECT_EQ(testing::text_of(db, testing::f_mtx, 2), "End.");
            for (int n = 0; n < 61; ++n)  // texts that passed through many flushes
                EXPECT_EQ(testing::text_of(db, testing::f_stx, n), "System message " + std::to_string(n) + ".");
        }
    }
}

}  // namespace
}  // namespace zel
