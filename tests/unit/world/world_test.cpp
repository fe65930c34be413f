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

TEST(Connections, ExitLineChecksInOrder) {
    struct Case {
        const char* line;
        const char* error;  // "" when accepted
    } cases[] = {
        {"", "1 - Valid word not found      "},        {"   ", "1 - Valid word not found      "},
        {"N_ 1", "1 - Valid word not found N_   "},     {"_ 9 9", "1 - Valid word not found _    "},
        {"N, 1", "1 - Valid word not found N    "},     {"N", "7 - Location No. not found"},
        {"N HERE", "7 - Location No. not found"},       {"N 256", "7 - Location No. not found"},
        {"N 1;c", "7 - Location No. not found"},        {"N 3", "8 - Location No. too big"},
        {"XYZ 3", "8 - Location No. too big"},          {"N 1 2", "3 - Too many parameters"},
        {"XYZ 1 2", "3 - Too many parameters"},         {"XYZ 1", "5 - XYZ   is not in Vocabulary"},
        {"LAMP 1", "44 - LAMP  is not a verb or noun<20"}, {"SMALL 1", "44 - SMALL is not a verb or noun<20"},
        {"TWENTY 1", "44 - TWENT is not a verb or noun<20"}, {"NINE 1", ""}, {"GET 2", ""}, {"N 1 ;comment", ""},
    };
    for (const Case& k : cases) {
        Sections s = Sections::three_locations();
        s.con = std::string("/0\nN 1\n") + k.line + "\n/1\nS 0\n/2\n";
        const auto r = testing::run(s.source());
        if (*k.error == 0) {
            EXPECT_TRUE(r.ok()) << r.out;
            continue;
        }
        EXPECT_NE(r.out.find(std::string(k.line) + "\n*** ERROR " + k.error + "\n"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("with 1 ERROR\n"), std::string::npos) << r.out;  // the first fault only
        EXPECT_NE(r.out.find("Connections for 3 locations processed\n"), std::string::npos);
    }
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

TEST(Objects, ObjectLineChecksInOrder) {
    struct Case {
        const char* line;
        const char* error;
        bool one_location = false;  // the line is object 1's, and there is one location
    } cases[] = {
        {"/0 X 5 _ _ LAMP _", "7 - Location No. not found"}, {"/0", "7 - Location No. not found"},
        {"/0 HERE 5 _ _ LAMP _", "8 - Location No. too big"}, {"/0 255 5 _ _ LAMP _", "8 - Location No. too big"},
        {"/0 2 5 _ _ LAMP _", "8 - Location No. too big"},  {"/0 0 _ _ _ LAMP _", "43 - Object weight not found"},
        {"/0 0 256 _ _ LAMP _", "43 - Object weight not found"}, {"/0 0", "43 - Object weight not found"},
        {"/0 0 64 _ _ LAMP _", "51 - Object weight too big"},
        {"/0 0 5 YES _ LAMP _", "52 - Container indicator not found or invalid YE"},
        {"/0 0 5 N _ LAMP _", "52 - Container indicator not found or invalid N "},
        {"/0 0 5", "52 - Container indicator not found or invalid   "},
        {"/0 0 5 _ YES LAMP _", "50 - Wearable indicator not found or invalid YE"},
        {"/0 0 5 _ ,", "50 - Wearable indicator not found or invalid   "},
        {"/0 WORN 3 _ _ LAMP _", "26 - Object starts worn but is unwearable"},
        {"/0 0 5 _ _", "1 - Valid word not found      "}, {"/0 0 5 _ _ XYZ _", "5 - XYZ   is not in Vocabulary"},
        {"/0 0 5 _ _ GET _", "44 - GET   is not a noun"}, {"/0 0 5 _ _ LAMP", "1 - Valid word not found      "},
        {"/0 0 5 _ _ LAMP XYZ", "5 - XYZ   is not in Vocabulary"},
        {"/0 0 5 _ _ LAMP LAMP", "44 - LAMP  is not an adjective"},
        {"/0 0 5 _ _ _ SMALL", "45 - Adjective specified without noun"},
        {"/0 0 5 _ _ LAMP _ X", "3 - Too many parameters"},
        // only the first fault of a line
        {"/0 HERE 64 X X XYZ XYZ X", "8 - Location No. too big"}, {"/0 0 64 X X XYZ XYZ X", "51 - Object weight too big"},
        {"/0 WORN 5 _ _ XYZ XYZ X", "26 - Object starts worn but is unwearable"},
        {"/0 0 5 _ _ _ SMALL X", "45 - Adjective specified without noun"},
        {"/1 CARRIED 10 Y _ BOX SMALL", "40 - A container needs a corresponding location", true},
        {"/1 CARRIED 10 Y X XYZ SMALL", "40 - A container needs a corresponding location", true},
    };
    for (const Case& k : cases) {
        Sections s;
        if (k.one_location) {
            s.ltx = "/0\nA room.\n";
            s.con = "/0\n";
            s.obj = std::string("/0 0 5 _ _ LAMP _\n") + k.line + "\n";
        } else {
            s.obj = std::string(k.line) + "\n/1 CARRIED 10 Y _ BOX SMALL\n";
        }
        const auto r = testing::run(s.source());
        EXPECT_NE(r.out.find(std::string(k.line) + "\n*** ERROR " + k.error + "\n"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("Entries for 2 objects processed\n"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("with 1 ERROR\n"), std::string::npos) << r.out;
    }
}

// Sections without items: reachable only with no locations or no objects,
// which a whole source cannot declare without other errors.
TEST(World, EmptySectionsWithoutItems) {
    testing::Workbench w;
    Compilation& c = w.c;
    w.files.files["GAME.SCE"] = "/CON\n/OBJ\n/PRO 0\n";
    c.writer.bufend = workarea_threshold;
    c.writer.dbpos = 100;
    srcopen(c, "GAME");
    rdline(c);
    EXPECT_EQ(compile_connections(c), 100u);
    EXPECT_EQ(compile_objects(c), 100u);
    EXPECT_EQ(c.writer.dbpos, 101u);  // the initial location table is its 255 alone
    EXPECT_EQ(c.work()[0], 255);
    EXPECT_EQ(c.diag.errors, 0u);
    EXPECT_NE(w.console.stdout_text.find("Connections for 0 locations processed\nProcessing /OBJ\nEntries for 0 objects processed\n"),
              std::string::npos);
}

}  // namespace
}  // namespace zel
