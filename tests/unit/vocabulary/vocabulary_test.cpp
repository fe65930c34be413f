#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "format/format.h"
#include "support/adventure.h"
#include "support/dbview.h"

namespace zel {
namespace {

using testing::run;
using testing::Sections;

// A source whose only vocabulary is the given lines; the later sections then
// fail, but everything up to the text sections is compiled.
std::string with_vocabulary(const std::string& lines) {
    Sections s;
    s.voc = lines;
    return s.source();
}

std::string vocabulary_part(const std::string& out) {
    const std::size_t from = out.find("Processing /VOC\n") + 16;
    return out.substr(from, out.find("Processing /STX") - from);
}

TEST(Vocabulary, DuplicatesAreReportedAfterTheSort) {
    EXPECT_EQ(vocabulary_part(run(with_vocabulary("INVENTORY 10 VERB\nN 2 NOUN\nINVENT 11 VERB\nINVEN 12 NOUN\n")).out),
              "4 words processed\nVOCAB sort starts\n"
              "*** ERROR 36 - Duplicate word INVEN\n*** ERROR 36 - Duplicate word INVEN\nVOCAB sort ends\n");
    EXPECT_EQ(vocabulary_part(run(with_vocabulary("INVENTORY 10 VERB\nINVENT 11 VERB\n")).out),
              "2 words processed\nVOCAB sort starts\n*** ERROR 36 - Duplicate word INVEN\nVOCAB sort ends\n");
}

// The block: the entries sorted by their bytes, unsigned (digits before
// letters), each the word complemented, the number and the type; a zero after
// the last.
TEST(Vocabulary, BlockIsSortedComplementedAndClosed) {
    Sections s;
    s.voc += "2ND 7 ADJECTIVE\nAB 9 NOUN\nA 8 NOUN\n";
    const testing::RunResult r = run(s.source());
    ASSERT_TRUE(r.ok()) << r.out;
    const std::string& db = r.database();
    EXPECT_EQ(testing::word_at(db, testing::f_vocab), 32u);
    EXPECT_EQ(db.substr(32, 7), std::string({char(255 - '2'), char(255 - 'N'), char(255 - 'D'), '\xdf', '\xdf', 7, 3}));
    std::vector<std::string> words;
    for (std::size_t at = 32; testing::byte_at(db, at) != 0; at += 7) {
        std::string w;
        for (std::size_t i = 0; i < 5; ++i)
            w += static_cast<char>(255 - testing::byte_at(db, at + i));
        words.push_back(w.substr(0, w.find(' ')));
    }
    EXPECT_EQ(words, (std::vector<std::string>{"2ND", "A", "AB", "BOX", "GET", "LAMP", "N", "NORTH", "S", "SMALL",
                                               "SOUTH"}));
}

TEST(Vocabulary, ManyWordsAreSortedOnTheirBytes) {
    std::set<std::string> words;
    std::string lines;
    std::vector<std::string> entries;  // word, number and type as stored
    for (unsigned seed = 1; words.size() < 1500;) {
        seed = seed * 1103515245u + 12345u;
        std::string word(1 + (seed >> 4) % 5, ' ');
        for (char& ch : word)
            ch = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"[(seed = seed * 69069u + 1u) >> 16 & 31];
        if (!words.insert(word).second)
            continue;
        const int number = 1 + static_cast<int>(seed >> 8) % 254, type = static_cast<int>(seed >> 4) % 7;
        lines += word + " " + std::to_string(number) + " " + word_type_keywords[type] + "\n";
        entries.push_back((word + "     ").substr(0, 5) + char(number) + char(type));
    }
    Sections s;
    s.voc = lines;
    s.con = "/0\n/1\n";
    s.obj = "/0 0 5 _ _ _ _\n/1 CARRIED 10 Y _ _ _\n";
    s.pro = {"", "", ""};
    const testing::RunResult r = run(s.source());
    ASSERT_TRUE(r.ok()) << r.out.substr(0, 400);
    std::sort(entries.begin(), entries.end());
    std::string stored;
    for (const std::string& e : entries)
        for (std::size_t i = 0; i < 7; ++i)
            stored += static_cast<char>(i < 5 ? 255 - static_cast<unsigned char>(e[i]) : e[i]);
    EXPECT_EQ(r.database().substr(32, stored.size()), stored);
}

TEST(Vocabulary, LimitRestartsFillingOnce) {
    const std::string lines = testing::filler_words(2212);
    const std::string exact = vocabulary_part(run(with_vocabulary(lines.substr(0, lines.rfind("Q")))).out);
    EXPECT_EQ(exact.substr(0, exact.find('\n')), "2211 words processed");
    const std::string over = vocabulary_part(run(with_vocabulary(lines)).out);
    EXPECT_TRUE(over.starts_with("2215 Q")) << over;  // the 2212th line
    EXPECT_NE(over.find(" 100 VERB\n*** ERROR 4 - Vocab limit exceeded - VOCAB too big!\n1 words processed\n"),
              std::string::npos) << over;
}

}  // namespace
}  // namespace zel
