#include <gtest/gtest.h>

#include <cctype>
#include <map>

#include "support/adventure.h"
#include "support/dbview.h"

namespace zel {
namespace {

using testing::Sections;

// Three locations; object 0 (LAMP) is no container, object 1 (BOX) is one;
// one message, 61 system messages; a word of every type a parameter needs.
Sections adventure() {
    Sections s;
    s.voc += "QUICK 50 ADVERB\nINTO 60 PREPOSITION\nNINE 19 NOUN\nTWENTY 20 NOUN\n";
    s.ltx += "/2\nA cellar.\n";
    s.con = "/0\nN 1\n/1\nS 0\n/2\n";
    return s;
}

const std::vector<std::string> with_c = {"GAME", "C"};

void expect_in_order(const std::string& out, const std::vector<std::string>& fragments) {
    std::size_t at = 0;
    for (const std::string& f : fragments) {
        const std::size_t found = out.find(f, at);
        ASSERT_NE(found, std::string::npos) << "missing: " << f << "\nin:\n" << out;
        at = found + f.size();
    }
}

// Every row of the opcode table by name; reserved rows have none.
struct Row {
    const char* name;
    int kind1, kind2;
};
const Row rows[108] = {
    {"AT", 2, 0}, {"NOTAT", 2, 0}, {"ATGT", 2, 0}, {"ATLT", 2, 0}, {"PRESENT", 1, 0}, {"ABSENT", 1, 0},
    {"WORN", 1, 0}, {"NOTWORN", 1, 0}, {"CARRIED", 1, 0}, {"NOTCARR", 1, 0}, {"CHANCE", 6, 0}, {"ZERO", 7, 0},
    {"NOTZERO", 7, 0}, {"EQ", 7, 8}, {"GT", 7, 8}, {"LT", 7, 8}, {"ADJECT1", 13, 0}, {"ADVERB", 11, 0},
    {"INVEN", 0, 0}, {"DESC", 0, 0}, {"QUIT", 0, 0}, {"END", 0, 0}, {"DONE", 0, 0}, {"OK", 0, 0},
    {"ANYKEY", 0, 0}, {"SAVE", 0, 0}, {"LOAD", 0, 0}, {"TURNS", 0, 0}, {"SCORE", 0, 0}, {"CLS", 0, 0},
    {"DROPALL", 0, 0}, {"AUTOG", 0, 0}, {"AUTOD", 0, 0}, {"AUTOW", 0, 0}, {"AUTOR", 0, 0}, {"PAUSE", 8, 0},
    {"TIMEOUT", 0, 0}, {"GOTO", 2, 0}, {"MESSAGE", 3, 0}, {"REMOVE", 1, 0}, {"GET", 1, 0}, {"DROP", 1, 0},
    {"WEAR", 1, 0}, {"DESTROY", 1, 0}, {"CREATE", 1, 0}, {"SWAP", 1, 1}, {"PLACE", 1, 10}, {"SET", 7, 0},
    {"CLEAR", 7, 0}, {"PLUS", 7, 8}, {"MINUS", 7, 8}, {"LET", 7, 8}, {"NEWLINE", 0, 0}, {"PRINT", 7, 0},
    {"SYSMESS", 4, 0}, {"ISAT", 1, 10}, {"COPYOF", 1, 7}, {"COPYOO", 1, 1}, {"COPYFO", 7, 1}, {"COPYFF", 7, 7},
    {"LISTOBJ", 0, 0}, {"EXTERN", 8, 0}, {"RAMSAVE", 0, 0}, {"RAMLOAD", 7, 0}, {"BELL", 0, 0}, {},
    {}, {}, {"PREP", 14, 0}, {"NOUN2", 12, 0}, {"ADJECT2", 13, 0}, {"ADD", 7, 7},
    {"SUB", 7, 7}, {"PARSE", 0, 0}, {"LISTAT", 10, 0}, {"PROCESS", 5, 0}, {"SAME", 7, 7}, {"MES", 3, 0},
    {}, {"NOTEQ", 7, 8}, {"NOTSAME", 7, 7}, {"MODE", 8, 0}, {}, {"TIME", 8, 8},
    {}, {"DOALL", 10, 0}, {"PROMPT", 4, 0}, {}, {"ISNOTAT", 1, 10}, {"WEIGH", 1, 7},
    {"PUTIN", 1, 2}, {"TAKEOUT", 1, 2}, {"NEWTEXT", 0, 0}, {"ABILITY", 8, 8}, {"WEIGHT", 7, 0}, {"RANDOM", 7, 0},
    {}, {}, {}, {}, {"WHATO", 0, 0}, {"RESET", 2, 0},
    {"PUTO", 10, 0}, {"NOTDONE", 0, 0}, {"AUTOP", 2, 0}, {"AUTOT", 2, 0}, {"MOVE", 7, 0}, {},
};

TEST(Opcodes, EveryNameCompilesToItsOpcodeAndParameters) {
    struct Param {
        const char* text;
        unsigned byte;
    };
    const std::map<int, Param> valid = {{1, {"1", 1}},    {2, {"1", 1}},     {3, {"0", 0}},      {4, {"60", 60}},
                                        {5, {"2", 2}},    {6, {"50", 50}},   {7, {"37", 37}},    {8, {"200", 200}},
                                        {10, {"here", 255}}, {11, {"QUICK", 50}}, {12, {"lamp", 30}},
                                        {13, {"SMALL", 40}}, {14, {"INTO", 60}}};
    std::vector<std::pair<std::string, std::vector<unsigned>>> entries = {
        {"NOTCARRIED 1", {9, 1}},  {"PLACE 0 HERE", {46, 0, 255}}, {"PLACE 0 carried", {46, 0, 254}},
        {"PLACE 0 WORN", {46, 0, 253}}, {"PLACE 0 _", {46, 0, 252}}, {"PLACE 0 253", {46, 0, 253}},
        {"PLACE 0 2", {46, 0, 2}}, {"NOUN2 _", {69, 255}}, {"CHANCE 99", {10, 99}}, {"CHANCE 1", {10, 1}},
        {"CLEAR 38", {48, 38}},   {"PLUS 38 1", {49, 38, 1}},  {"COPYOF 0 38", {56, 0, 38}},
        {"MES 0 ;note", {77, 0}}, {"PUTIN 0 1 ; a container", {90, 0, 1}}, {"PROCESS 254", {75, 254}},
    };
    int named = 0;
    for (unsigned op = 0; op < 108; ++op) {
        if (!rows[op].name)
            continue;
        ++named;
        std::string line = rows[op].name;
        if (op % 2)
            for (char& ch : line)
                ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        std::vector<unsigned> bytes = {op};
        for (int kind : {rows[op].kind1, rows[op].kind2})
            if (kind != 0) {
                line += std::string(" ") + valid.at(kind).text;
                bytes.push_back(valid.at(kind).byte);
            }
        entries.emplace_back(line, bytes);
    }
    EXPECT_EQ(named, 96);
    Sections s = adventure();
    s.pro.resize(255);
    for (const auto& [line, bytes] : entries)
        s.pro[2] += "_ _ " + line + "\n";
    const auto r = testing::run(s.source());
    ASSERT_TRUE(r.ok()) << r.out;
    EXPECT_NE(r.out.find(std::to_string(entries.size()) + " entries processed successfully\n"), std::string::npos);
    const std::string& db = r.database();
    EXPECT_EQ(testing::byte_at(db, testing::f_tables), 255u);  // PROCESS 254 required tables up to 254
    const unsigned index = testing::table_entry(db, testing::f_protable, 2);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const unsigned record = index + 4 * static_cast<unsigned>(i);
        EXPECT_EQ(testing::byte_at(db, record) & testing::byte_at(db, record + 1), 255u);
        const unsigned at = testing::word_at(db, record + 2);
        std::vector<unsigned> stored;
        for (std::size_t k = 0; k <= entries[i].second.size(); ++k)
            stored.push_back(testing::byte_at(db, at + k));
        std::vector<unsigned> expected = entries[i].second;
        expected.push_back(255);
        EXPECT_EQ(stored, expected) << entries[i].first;
    }
}

// Each line is the header line of its own entry in table 2; every failing
// one gives exactly the error shown.
TEST(Opcodes, ParameterErrorsInOrder) {
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"GET", "15 - Object No. not found"}, {"GET x", "15 - Object No. not found"},
        {"GET 256", "15 - Object No. not found"}, {"GET 2", "16 - Object No. too big"},
        {"SWAP 2 x", "16 - Object No. too big"}, {"SWAP 0 2", "16 - Object No. too big"},
        {"GOTO", "7 - Location No. not found"}, {"GOTO HERE", "7 - Location No. not found"},
        {"GOTO 3", "8 - Location No. too big"}, {"PUTIN 0 3", "8 - Location No. too big"},
        {"PUTIN 0 2", "49 - You can only PUTIN to or TAKEOUT of a container"},
        {"PUTIN 0 0", "49 - You can only PUTIN to or TAKEOUT of a container"},
        {"TAKEOUT 1 0", "49 - You can only PUTIN to or TAKEOUT of a container"},
        {"AUTOP 2", "49 - You can only PUTIN to or TAKEOUT of a container"},
        {"AUTOT 3", "8 - Location No. too big"}, {"PUTIN 2 1", "16 - Object No. too big"},
        {"MES", "17 - Message No. not found"}, {"MESSAGE 1", "18 - Message No. too big"},
        {"MES 0;note", "17 - Message No. not found"}, {"SYSMESS", "11 - System message No. not found"},
        {"PROMPT 61", "20 - System message No. too big"}, {"PROCESS", "47 - Process table No. not found or too big"},
        {"PROCESS 300", "47 - Process table No. not found or too big"}, {"PROCESS 1", "48 - Process table No. out of range"},
        {"PROCESS 255", "48 - Process table No. out of range"}, {"PROCESS 0", "48 - Process table No. out of range"},
        {"CHANCE", "12 - Percentage not found"}, {"CHANCE 256", "12 - Percentage not found"},
        {"CHANCE 0", "13 - Percentage out of range"}, {"CHANCE 100", "13 - Percentage out of range"},
        {"SET", "19 - Flag No. not found or too big"}, {"ZERO 256", "19 - Flag No. not found or too big"},
        {"SET 38", "39 - Illegal use of Flag 38"}, {"LET 38 5", "39 - Illegal use of Flag 38"},
        {"WEIGH 0 38", "39 - Illegal use of Flag 38"}, {"WEIGHT 38", "39 - Illegal use of Flag 38"},
        {"RANDOM 38", "39 - Illegal use of Flag 38"}, {"LET 5 256", "21 - Value not found or too big"},
        {"PAUSE", "21 - Value not found or too big"}, {"EQ 1", "21 - Value not found or too big"},
        {"LISTAT", "7 - Location No. not found"}, {"PLACE 0 HEREX", "7 - Location No. not found"},
        {"PLACE 0 HER", "7 - Location No. not found"}, {"ISAT 0 __", "7 - Location No. not found"},
        {"DOALL 3", "8 - Location No. too big"}, {"PUTO 251", "8 - Location No. too big"},
        {"ADVERB", "1 - Valid word not found      "}, {"ADVERB XYZ", "5 - XYZ   is not in Vocabulary"},
        {"ADVERB LAMP", "44 - LAMP  is not an adverb"}, {"NOUN2 GET", "44 - GET   is not a noun"},
        {"ADJECT1 LAMP", "44 - LAMP  is not an adjective"}, {"ADJECT2 QUICK", "44 - QUICK is not an adjective"},
        {"PREP LAMP", "44 - LAMP  is not a preposition"}, {"PREP a,b", "1 - Valid word not found A    "},
        {"DONE 5", "3 - Too many parameters"}, {"AT 0 1", "3 - Too many parameters"},
        {"PLACE 0 HERE 1", "3 - Too many parameters"}, {"FOO", "14 - 'FOO' is not a condition or action"},
        {",x", "1 - Valid word not found        "}, {"65", "14 - '65' is not a condition or action"},
        {"66", ""}, {"67", ""}, {"78", ""}, {"82", ""}, {"84", ""}, {"87", ""}, {"96", ""}, {"97", ""},
        {"98", ""}, {"99", ""}, {"07", ""},
    };
    Sections s = adventure();
    for (const auto& [line, error] : cases)
        s.pro[2] += std::string("_ _ ") + line + "\n";
    const auto r = testing::run(s.source());
    for (const auto& [line, error] : cases) {
        const std::string message =
            *error ? std::string(error) : std::string("14 - '") + line + "' is not a condition or action";
        EXPECT_NE(r.out.find(std::string("_ _ ") + line + "\n*** ERROR " + message + "\n"), std::string::npos)
            << line;
    }
    EXPECT_NE(r.out.find("*** Compilation ends with " + std::to_string(cases.size()) + " ERRORS\n"),
              std::string::npos);
    EXPECT_NE(r.out.find("Processing /PRO   2\n"), std::string::npos);
}

TEST(Process, EntriesAndTheirRecovery) {
    struct Case {
        std::string table2;
        std::vector<std::string> out;
        unsigned successes, errors;
    } cases[] = {
        {" DESC\n OK\n_ _ DESC\n", {" DESC\n*** ERROR 10 - Start of entry expected\n"}, 1, 1},
        {"_ _\n DESC\n OK\n_ _ DESC\n", {"_ _\n*** ERROR 1 - Valid word not found        \n"}, 1, 1},
        {"_ _ DESC\n ;note\n OK\n", {" OK\n*** ERROR 10 - Start of entry expected\n"}, 1, 1},
        {"_ _ DESC\n\n OK\n", {" OK\n*** ERROR 10 -"}, 1, 1},
        {"_ _ DESC\n DONE 5\n", {" DONE 5\n*** ERROR 3 - Too many parameters\n"}, 0, 1},
        {"_ _ AT 999\n AT 7\n OK\n_ _ DESC\n", {"_ _ AT 999\n*** ERROR 7 -", " AT 7\n*** ERROR 8 -"}, 1, 2},
        {"_ _ DESC\n FOO\n AT 999\n_ _ DESC\n", {" FOO\n*** ERROR 14 - 'FOO' is"}, 1, 1},
        {"XYZ _ DESC\n AT 999\n_ _ DESC\n", {"XYZ _ DESC\n*** ERROR 5 - XYZ   is not in Vocabulary\n"}, 1, 1},
        {"LAMP _ DESC\nNINE _ DESC\nTWENTY _ DESC\n_ GET DESC\n_ XYZ DESC\n, _ DESC\nGET LAMP DESC\nN LAMP DESC\n",
         {"LAMP _ DESC\n*** ERROR 44 - LAMP  is not a verb or noun<20\n",
          "TWENTY _ DESC\n*** ERROR 44 - TWENT is not a verb or noun<20\n",
          "_ GET DESC\n*** ERROR 44 - GET   is not a noun\n", "_ XYZ DESC\n*** ERROR 5 - XYZ   is not",
          ", _ DESC\n*** ERROR 1 - Valid word not found      \n"},
         3, 5},
    };
    for (const Case& k : cases) {
        Sections s = adventure();
        s.pro[2] = k.table2;
        const auto r = testing::run(s.source());
        std::vector<std::string> fragments = {"Processing /PRO   2\n"};
        fragments.insert(fragments.end(), k.out.begin(), k.out.end());
        fragments.push_back(std::to_string(k.successes) + " entries processed successfully\n");
        expect_in_order(r.out, fragments);
        EXPECT_NE(r.out.find("with " + std::to_string(k.errors) + " ERROR" + (k.errors > 1 ? "S\n" : "\n")),
                  std::string::npos)
            << r.out;
    }
}

TEST(Process, RecordsIndexesAndOffsetTable) {
    Sections s = adventure();
    s.pro = {"_ _ DESC\n", "GET LAMP OK\nGET LAMP DONE\n", ""};
    const auto r = testing::run(s.source());
    ASSERT_TRUE(r.ok()) << r.out;
    const std::string& db = r.database();
    const unsigned index0 = testing::table_entry(db, testing::f_protable, 0), entry0 = index0 - 2;
    const unsigned entry1 = index0 + 6, index1 = entry1 + 4, index2 = index1 + 10;
    auto bytes = [&](unsigned at, std::size_t n) {
        std::vector<unsigned> v;
        while (n--)
            v.push_back(testing::byte_at(db, at++));
        return v;
    };
    EXPECT_EQ(bytes(entry0, 8), (std::vector<unsigned>{19, 255, 255, 255, entry0 & 255, entry0 >> 8, 0, 0}));
    EXPECT_EQ(bytes(entry1, 16), (std::vector<unsigned>{23, 255, 22, 255, 20, 30, entry1 & 255, entry1 >> 8, 20, 30,
                                                        (entry1 + 2) & 255, (entry1 + 2) >> 8, 0, 0, 0, 0}));
    EXPECT_EQ(testing::byte_at(db, testing::f_tables), 3u);
    EXPECT_EQ(testing::word_at(db, testing::f_protable), index2 + 2);
    EXPECT_EQ(testing::table_entry(db, testing::f_protable, 1), index1);
    EXPECT_EQ(testing::table_entry(db, testing::f_protable, 2), index2);
    EXPECT_EQ(db.size(), index2 + 2 + 6u);
    EXPECT_EQ(testing::word_at(db, testing::f_length), db.size());
    EXPECT_NE(r.out.find("Processing /PRO   2\n0 entries processed successfully\n"), std::string::npos);
}

TEST(Process, TablesRequiredByProcess) {
    struct Case {
        std::vector<std::string> pro;
        unsigned tables;  // 0: the compilation fails
        std::vector<std::string> out;
    } cases[] = {
        {{"", "_ _ PROCESS 5\n", "", "", "", ""}, 6, {"Processing /PRO   5\n"}},
        {{"", "_ _ PROCESS 3\n", "", "_ _ PROCESS 4\n", ""}, 5, {"Processing /PRO   4\n"}},  // extends while compiling
        {{"", "", "_ _ PROCESS 2\n"}, 3, {}},
        {{"", "_ _ PROCESS 5\n", ""}, 0, {"\n*** ERROR 46 - /PRO   3 expected\n*** Compilation ends with 1 ERROR\n"}},
        {{"", "_ _ PROCESS 254\n", ""}, 0, {"*** ERROR 46 - /PRO   3 expected\n"}},
        {{"", "_ _ PROCESS 4\n DONE 5\n", "", "", ""}, 0,  // dropped, still counts
         {"ERROR 3 - Too many parameters\n", "Processing /PRO   4\n0 entries", "with 1 ERROR\n"}},
        {{"", "", "", "_ _ DESC\n"}, 0,
         {"Processing /PRO   2\n0 entries processed successfully\n", "/PRO 3\n*** ERROR 3 - Too many parameters\n"}},
    };
    for (const Case& k : cases) {
        Sections s = adventure();
        s.pro = k.pro;
        const auto r = testing::run(s.source());
        expect_in_order(r.out, k.out);
        EXPECT_EQ(r.fs.has("GAME.ZDB"), k.tables != 0) << r.out;
        if (k.tables != 0) {
            const std::string& db = r.database();
            EXPECT_EQ(testing::byte_at(db, testing::f_tables), k.tables);
            EXPECT_EQ(testing::word_at(db, testing::f_protable) + 2 * k.tables, db.size());
        }
    }
}

// The entry index fills the output buffer behind the vocabulary: at most
// ceil(room / 4) records, and error 22 before the next entry.
TEST(Process, TableLimitAtTheIndexRoom) {
    for (std::size_t words : {12, 2211}) {
        const std::size_t room = 16000 - 7 * (words + 1), most = (room + 3) / 4;
        for (std::size_t entries : {most, most + 1}) {
            Sections s = adventure();
            s.voc += testing::filler_words(words - 12);
            s.pro[2].clear();
            for (std::size_t i = 0; i < entries; ++i)
                s.pro[2] += "_ _ DESC\n";
            const auto r = testing::run(s.source());
            const std::string count = "\n" + std::to_string(entries == most ? most : 1) +
                                      " entries processed successfully\n";
            EXPECT_NE(r.out.find(count, r.out.find("Processing /PRO   2\n")), std::string::npos) << words;
            EXPECT_EQ(testing::count_of(r.out, "_ _ DESC\n*** ERROR 22 - Table limit exceeded\n"), entries - most);
            if (entries == most) {
                ASSERT_TRUE(r.ok()) << r.out;
                const std::string& db = r.database();
                EXPECT_EQ(testing::word_at(db, testing::f_protable) - 2 - testing::table_entry(db, testing::f_protable, 2),
                          4 * most);
            }
        }
    }
}

// The default adventure across three linked files, with every header field
// and block position worked out by hand.
TEST(Adventure, CompleteAcrossLinkedFiles) {
    const std::string source = Sections().source();
    const std::size_t stx = source.find("/STX\n"), obj = source.find("/OBJ\n");
    const std::map<std::string, std::string> files = {{"GAME.SCE", source.substr(0, stx) + "/LNK part2\n"},
                                                      {"PART2.SCE", source.substr(stx, obj - stx) + "/lnk PART3 x\n"},
                                                      {"PART3.SCE", source.substr(obj)}};
    const auto r = testing::run(files);
    ASSERT_TRUE(r.ok()) << r.out;
    expect_in_order(r.out, {"/LNK part2\nProcessing PART2.SCE\n", "/LNK PART3 x\nProcessing PART3.SCE\n",
                            "Database is 1481 bytes long\n*** Compilation ends OK\n"});
    const std::string& db = r.database();
    EXPECT_EQ(db, testing::run(source).database());
    const unsigned header[] = {512, 95 | 2 << 8, 2 | 1 << 8, 61 | 3 << 8, 0, 1475, 1390, 1432,
                               1367, 1238, 1442, 32, 1452, 1446, 1450, 1481};
    for (unsigned i = 0; i < 16; ++i)
        EXPECT_EQ(testing::word_at(db, 2 * i), header[i]) << "header word at " << 2 * i;
    EXPECT_EQ(db.size(), 1481u);
    EXPECT_EQ(db.substr(32, 7), std::string("\xbd\xb0\xa7\xdf\xdf\x1f\x02", 7));  // BOX 31 NOUN, first in order
    EXPECT_EQ(testing::byte_at(db, 88), 0u);
    EXPECT_EQ(testing::text_of(db, testing::f_stx, 60), "System message 60.");
    EXPECT_EQ(testing::text_of(db, testing::f_ltx, 1), "You are outside.");
    EXPECT_EQ(db.substr(1436, 6), std::string("\x02\x01\xff\x03\x00\xff", 6));
    EXPECT_EQ(db.substr(1446, 9), std::string("\x1e\xff\x1f\x28\x05\x4a\x00\xfe\xff", 9));
    EXPECT_EQ(db.substr(1455, 8), std::string("\x13\xff\xff\xff\xaf\x05\x00\x00", 8));
    EXPECT_EQ(db.substr(1463, 10), std::string("\x28\x00\x17\xff\x14\x1e\xb7\x05\x00\x00", 10));
    EXPECT_EQ(db.substr(1473, 8), std::string("\x00\x00\xb1\x05\xbb\x05\xc1\x05", 8));

    // Compressed: the token table after the vocabulary, every compressed text
    // expanding to its source text, the blocks after the texts unchanged.
    const auto c = testing::run(files, with_c);
    ASSERT_TRUE(c.ok()) << c.out;
    const std::string& cdb = c.database();
    EXPECT_EQ(testing::word_at(cdb, testing::f_tokens), 89u);
    EXPECT_EQ(testing::table_entry(cdb, testing::f_stx, 0), 89u + 309);
    std::vector<std::string> tokens(1);
    for (unsigned at = 90; at < 89 + 309; ++at) {
        tokens.back() += static_cast<char>(testing::byte_at(cdb, at) & 127);
        if (testing::byte_at(cdb, at) >= 128)
            tokens.emplace_back();
    }
    const std::pair<testing::Field, int> sections[] = {
        {testing::f_stx, 61}, {testing::f_mtx, 1}, {testing::f_otx, 2}, {testing::f_ltx, 2}};
    for (const auto& [field, count] : sections)
        for (int n = 0; n < count; ++n) {
            std::string expanded;
            for (char ch : testing::text_of(cdb, field, n)) {
                const unsigned b = static_cast<unsigned char>(ch);
                expanded += b >= 128 ? tokens[b - 128] : std::string(1, ch);
            }
            EXPECT_EQ(expanded, testing::text_of(db, field, n));
        }
    EXPECT_EQ(testing::text_of(cdb, testing::f_otx, 0), "A lamp.");
    const unsigned shift = testing::word_at(cdb, testing::f_contable) - 1442;
    for (std::size_t f : {testing::f_contable, testing::f_objloc, testing::f_objword, testing::f_objattr,
                          testing::f_protable, testing::f_length})
        EXPECT_EQ(testing::word_at(cdb, f), testing::word_at(db, f) + shift);
    EXPECT_EQ(cdb.substr(1436 + shift, 6), db.substr(1436, 6));
    EXPECT_EQ(cdb.substr(1446 + shift, 9), db.substr(1446, 9));
    EXPECT_EQ(cdb.substr(0, 8), db.substr(0, 8));
}

}  // namespace
}  // namespace zel
