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

TEST(Vocabulary, EachLineIsCheckedInOrder) {
    struct Case {
        const char* line;
        const char* report;  // the vocabulary section's output
    } cases[] = {
        {"north 2 noun\n", "1 words processed\n"},
        {"NORTH 2 NOUN ; the way north\n", "1 words processed\n"},
        {"NORTH 2 ADJECTIVES\n", "1 words processed\n"},  // five characters decide
        {"INVENTORY 2 VERB\n", "1 words processed\n"},
        {"NORTH 0 NOUN\n", "4 NORTH 0 NOUN\n*** ERROR 2 - No. (1-254) not found\n0 words processed\n"},
        {"NORTH 255 NOUN\n", "4 NORTH 255 NOUN\n*** ERROR 2 - No. (1-254) not found\n0 words processed\n"},
        {"NORTH NOUN\n", "4 NORTH NOUN\n*** ERROR 2 - No. (1-254) not found\n0 words processed\n"},
        {"NORTH 2 NOUN X\n", "4 NORTH 2 NOUN X\n*** ERROR 3 - Too many parameters\n0 words processed\n"},
        {"NORTH 2 NOUNS\n", "4 NORTH 2 NOUNS\n*** ERROR 42 - Valid word type not found NOUNS\n0 words processed\n"},
        {"NORTH 2\n", "4 NORTH 2\n*** ERROR 42 - Valid word type not found      \n0 words processed\n"},
        {"NORTH 2 NOUN;x\n", "4 NORTH 2 NOUN;x\n*** ERROR 42 - Valid word type not found NOUN \n0 words processed\n"},
        {"NORTH 2 NOUN ;x\n", "1 words processed\n"},
        {"\n", "4 \n*** ERROR 1 - Valid word not found      \n0 words processed\n"},
        {"  ; blanks then a comment\n",
         "4   ; blanks then a comment\n*** ERROR 1 - Valid word not found      \n0 words processed\n"},
        {"A_B 2 NOUN\n", "4 A_B 2 NOUN\n*** ERROR 1 - Valid word not found A_B  \n0 words processed\n"},
    };
    for (const Case& k : cases) {
        const testing::RunResult r = run(with_vocabulary(k.line));
        EXPECT_EQ(vocabulary_part(r.out), k.report) << k.line;
    }
}

TEST(Vocabulary, DuplicatesAreReportedAfterTheSort) {
    const testing::RunResult r = run(with_vocabulary("INVENTORY 10 VERB\nN 2 NOUN\nINVENT 11 VERB\nINVEN 12 NOUN\n"));
    EXPECT_EQ(vocabulary_part(r.out),
              "4 words processed\nVOCAB sort starts\n"
              "*** ERROR 36 - Duplicate word INVEN\n*** ERROR 36 - Duplicate word INVEN\nVOCAB sort ends\n");
}

TEST(Vocabulary, BlockIsSortedComplementedAndClosed) {
    Sections one;
    one.voc = "N 1 NOUN\n";
    one.con = "/0\n/1\n";
    one.obj = "/0 0 5 _ _ _ _\n/1 CARRIED 10 Y _ _ _\n";
    one.pro = {"", "", ""};
    const testing::RunResult single = run(one.source());
    ASSERT_TRUE(single.ok()) << single.out;
    const std::string& db = single.database();
    EXPECT_EQ(testing::word_at(db, testing::f_vocab), 32u);
    EXPECT_EQ(testing::bytes_until(db, 32, 0),
              (std::vector<unsigned>{177, 223, 223, 223, 223, 1, 2, 0}));
    EXPECT_EQ(vocabulary_part(single.out), "1 words processed\n");
}

TEST(Vocabulary, SortOrderIsByUnsignedBytes) {
    Sections s;
    s.voc += "2ND 7 ADJECTIVE\nAB 9 NOUN\nA 8 NOUN\n";
    const testing::RunResult r = run(s.source());
    ASSERT_TRUE(r.ok()) << r.out;
    const std::string& db = r.database();
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
    std::string lines;
    for (int i = 0; i < 2212; ++i) {
        char word[6] = {'W', 0, 0, 0, 0, 0};
        for (int k = i, at = 1; at < 5; k /= 26, ++at)
            word[at] = static_cast<char>('A' + k % 26);
        lines.append(word).append(" 5 NOUN\n");
    }
    const std::string exact = vocabulary_part(run(with_vocabulary(lines.substr(0, lines.size() - 13))).out);
    EXPECT_EQ(exact.substr(0, exact.find('\n')), "2211 words processed");
    const std::string over = vocabulary_part(run(with_vocabulary(lines)).out);
    EXPECT_EQ(over.substr(0, over.find(" words processed")),
              "2215 WBHDA 5 NOUN\n*** ERROR 4 - Vocab limit exceeded - VOCAB too big!\n1");
}

}  // namespace
}  // namespace zel
