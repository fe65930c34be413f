#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <sstream>

#include "support/adventure.h"
#include "support/dbview.h"

namespace zel {
namespace {

using testing::Sections;

// Every row of the opcode table in opcode order: name and the two parameter
// kinds (10 to 14 written a to e); "-" for a reserved row.
const char* const rows =
    "AT:20 NOTAT:20 ATGT:20 ATLT:20 PRESENT:10 ABSENT:10 WORN:10 NOTWORN:10 CARRIED:10 NOTCARR:10 "
    "CHANCE:60 ZERO:70 NOTZERO:70 EQ:78 GT:78 LT:78 ADJECT1:d0 ADVERB:b0 INVEN:00 DESC:00 QUIT:00 END:00 "
    "DONE:00 OK:00 ANYKEY:00 SAVE:00 LOAD:00 TURNS:00 SCORE:00 CLS:00 DROPALL:00 AUTOG:00 AUTOD:00 "
    "AUTOW:00 AUTOR:00 PAUSE:80 TIMEOUT:00 GOTO:20 MESSAGE:30 REMOVE:10 GET:10 DROP:10 WEAR:10 "
    "DESTROY:10 CREATE:10 SWAP:11 PLACE:1a SET:70 CLEAR:70 PLUS:78 MINUS:78 LET:78 NEWLINE:00 PRINT:70 "
    "SYSMESS:40 ISAT:1a COPYOF:17 COPYOO:11 COPYFO:71 COPYFF:77 LISTOBJ:00 EXTERN:80 RAMSAVE:00 "
    "RAMLOAD:70 BELL:00 - - - PREP:e0 NOUN2:c0 ADJECT2:d0 ADD:77 SUB:77 PARSE:00 LISTAT:a0 PROCESS:50 "
    "SAME:77 MES:30 - NOTEQ:78 NOTSAME:77 MODE:80 - TIME:88 - DOALL:a0 PROMPT:40 - ISNOTAT:1a WEIGH:17 "
    "PUTIN:12 TAKEOUT:12 NEWTEXT:00 ABILITY:88 WEIGHT:70 RANDOM:70 - - - - WHATO:00 RESET:20 PUTO:a0 "
    "NOTDONE:00 AUTOP:20 AUTOT:20 MOVE:70 - ";

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
    std::istringstream table(rows);
    std::string row;
    for (unsigned op = 0; table >> row; ++op) {
        if (row == "-")
            continue;
        ++named;
        std::string line = row.substr(0, row.size() - 3);
        if (op % 2)
            for (char& ch : line)
                ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        std::vector<unsigned> bytes = {op};
        for (char kind : row.substr(row.size() - 2))
            if (kind != '0') {
                const Param& p = valid.at(kind < 'a' ? kind - '0' : kind - 'a' + 10);
                line += std::string(" ") + p.text;
                bytes.push_back(p.byte);
            }
        entries.emplace_back(line, bytes);
    }
    EXPECT_EQ(named, 96);
    Sections s = Sections::three_locations();
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

// The entry index fills the output buffer behind the vocabulary: at most
// ceil(room / 4) records, and error 22 before the next entry.
TEST(Process, TableLimitAtTheIndexRoom) {
    for (std::size_t words : {12, 2211}) {
        const std::size_t room = 16000 - 7 * (words + 1), most = (room + 3) / 4;
        for (std::size_t entries : {most, most + 1}) {
            Sections s = Sections::three_locations();
            s.voc += testing::filler_words(words - 12);
            s.pro[2].clear();
            for (std::size_t i = 0; i < entries; ++i)
                s.pro[2] += "_ _ DESC\n";
            const auto r = testing::run(s.source());
            const std::string count =
                std::string("\n").append(std::to_string(entries == most ? most : 1)).append(" entries processed successfully\n");
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

}  // namespace
}  // namespace zel
