#include <gtest/gtest.h>

#include "source/reader.h"
#include "support/adventure.h"
#include "support/dbview.h"
#include "world/world.h"

namespace zel {
namespace {

using testing::Sections;

// Exit lists in source order (a verb, nouns below 20), one per location,
// each closed by 255, then the offset table; numbers may be followed by text.
TEST(Connections, ExitListsAndOffsetTable) {
    Sections s = Sections::three_locations(), commented = s;
    s.con = "/0\nN 1\nGET 2\nnine 1\nsouth 0\n/1\nS 0\n/2\n";
    commented.con = "/0 first\nN 1\nGET 2\nnine 1\nsouth 0\n/ 1\nS 0 ;back\n/2 x\n";
    const auto r = testing::run(s.source());
    ASSERT_TRUE(r.ok()) << r.out;
    EXPECT_NE(r.out.find("Connections for 3 locations processed\n"), std::string::npos);
    EXPECT_EQ(testing::run(commented.source()).fs.files.at("GAME.ZDB"), r.database());
    const std::string& db = r.database();
    const unsigned list0 = testing::table_entry(db, testing::f_contable, 0);
    EXPECT_EQ(testing::bytes_until(db, list0, 255), (std::vector<unsigned>{2, 1, 20, 2, 19, 1, 3, 0, 255}));
    EXPECT_EQ(testing::table_entry(db, testing::f_contable, 1), list0 + 9);
    EXPECT_EQ(testing::bytes_until(db, list0 + 9, 255), (std::vector<unsigned>{3, 0, 255}));
    EXPECT_EQ(testing::table_entry(db, testing::f_contable, 2), list0 + 12);
    EXPECT_EQ(testing::byte_at(db, list0 + 12), 255u);
    EXPECT_EQ(testing::word_at(db, testing::f_contable), list0 + 13);
    EXPECT_EQ(testing::word_at(db, testing::f_objword), list0 + 13 + 6);  // objects follow
}

TEST(Objects, WorkedExamplesAndTables) {
    const std::string db = testing::run(Sections().source()).database();
    const unsigned words = testing::word_at(db, testing::f_objword);
    EXPECT_EQ(db.substr(words, 9), std::string("\x1e\xff\x1f\x28\x05\x4a\x00\xfe\xff", 9));
    EXPECT_EQ(testing::word_at(db, testing::f_objattr), words + 4);
    EXPECT_EQ(testing::word_at(db, testing::f_objloc), words + 6);

    struct Case {
        const char* line;
        unsigned attr, loc, noun, adjective;
    } cases[] = {
        {"/0 WORN 3 _ Y HAT _", 131, 253, 32, 255}, {"/0 253 1 _ y HAT _", 129, 253, 32, 255},
        {"/0 252 0 _ _ _ _", 0, 252, 255, 255},     {"/0 _ 0 _ _ _ _ ;none", 0, 252, 255, 255},
        {"/0 254 63 y y hat small", 255, 254, 32, 40}, {"/0 carried 0 _ _ BOX SMALL", 0, 254, 31, 40},
        {"/0 1 7 Y _ HAT _", 71, 1, 32, 255},
    };
    for (const Case& k : cases) {
        Sections s;
        s.voc += "HAT 32 NOUN\n";
        s.otx = "/0\nA hat.\n";
        s.obj = std::string(k.line) + "\n";
        const auto r = testing::run(s.source());
        ASSERT_TRUE(r.ok()) << k.line << r.out;
        EXPECT_NE(r.out.find("Entries for 1 objects processed\n"), std::string::npos);
        const unsigned at = testing::word_at(r.database(), testing::f_objword);
        EXPECT_EQ(r.database().substr(at, 5),
                  std::string({char(k.noun), char(k.adjective), char(k.attr), char(k.loc), '\xff'}));
    }
}

}  // namespace
}  // namespace zel
