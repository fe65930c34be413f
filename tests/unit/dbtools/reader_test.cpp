#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <tuple>

#include "cli/commands.h"
#include "dbtools/database_tools.h"
#include "tool_support.h"

namespace zel::tool {
namespace {

using testing::compiled;
using testing::set_word;
using testing::word_at;

// Header fields, by offset.
constexpr unsigned f_tokens = 8, f_process = 10, f_mtx = 16, f_stx = 18, f_con = 20, f_vocab = 22,
                   f_objloc = 24;

const Bytes& base() {
    static const Bytes db = compiled(zel::testing::Sections().source(), false);
    return db;
}

struct Malformed {
    const char* name;
    std::function<void(Bytes&)> damage;
    std::string message;  // part of the error
};

void expect_refused(const Bytes& good, const std::vector<Malformed>& cases) {
    for (const Malformed& m : cases) {
        Bytes b = good;
        m.damage(b);
        std::string error;
        EXPECT_FALSE(read_database(b, error)) << m.name;
        EXPECT_NE(error.find(m.message), std::string::npos) << m.name << ": " << error;
    }
}

TEST(DatabaseReader, MalformedDatabasesAreRefusedWithTheirReason) {
    ASSERT_FALSE(base().empty());
    const unsigned end = static_cast<unsigned>(base().size());
    const std::vector<Malformed> cases = {
        {"shorter than a header", [](Bytes& b) { b.resize(20); }, "truncated: the file has 20 bytes"},
        {"only a header", [](Bytes& b) { b.resize(32); }, "truncated: the header gives the length"},
        {"one byte short", [](Bytes& b) { b.pop_back(); }, "truncated: the header gives the length"},
        {"a byte too many", [](Bytes& b) { b.push_back(0); }, "the file has"},
        {"wrong format word", [](Bytes& b) { b[1] = 3; }, "the format word is 768 instead of 512"},
        {"vocabulary outside", [](Bytes& b) { set_word(b, f_vocab, 0xfff0); }, "the vocabulary at offset 65520 lies outside"},
        {"text outside", [](Bytes& b) { set_word(b, word_at(b, f_stx), 0xffff); },
         "text 0 of the system messages at offset 65535 lies outside"},
        {"text offset table outside", [](Bytes& b) { set_word(b, f_mtx, 0xfffe); }, "text offset table of the messages"},
        {"text without end byte", [end](Bytes& b) { set_word(b, word_at(b, f_mtx), end - 1); },
         "text 0 of the messages (offset"},
        {"connection offset table outside", [](Bytes& b) { set_word(b, f_con, 0xfffe); }, "the connection offset table"},
        {"exit list without end byte", [end](Bytes& b) { set_word(b, word_at(b, f_con), end - 1); },
         "the exit list of location 0"},
        {"initial locations without end byte", [](Bytes& b) { b[word_at(b, f_objloc) + 2] = 7; },
         "has no end byte 255 after its 2 objects"},
        {"process offset table outside", [](Bytes& b) { set_word(b, f_process, 0xfffe); }, "the process table offset table"},
        {"entry index without end word", [end](Bytes& b) { set_word(b, word_at(b, f_process), end - 2); },
         "the entry index of process table 0"},
        {"unknown opcode", [](Bytes& b) { b[word_at(b, word_at(b, word_at(b, f_process)) + 2)] = 65; },
         "unknown opcode 65"},
        {"entry without end byte", [end](Bytes& b) { set_word(b, word_at(b, word_at(b, f_process)) + 2, end - 1); },
         "entry 0 of process table 0"},
        {"token table not at its block", [](Bytes& b) { set_word(b, f_tokens, 33); }, "does not begin with the byte 255"},
        {"unknown word type", [](Bytes& b) { b[32 + 6] = 9; }, "unknown word type 9"},
        {"vocabulary cut by the end", [end](Bytes& b) { set_word(b, f_vocab, end - 1), b[end - 1] = 1; },
         "the vocabulary has no end byte: its last entry (offset " + std::to_string(end - 1) + ")"},
        {"token table cut by the end", [end](Bytes& b) { set_word(b, f_tokens, end - 1), b[end - 1] = 255; },
         "the token table ends before token 0 is complete"},
        {"object words outside", [end](Bytes& b) { set_word(b, f_objloc + 2, end - 3); },
         "the object word table at offset " + std::to_string(end - 3) + " lies outside"},
        {"object attributes outside", [end](Bytes& b) { set_word(b, f_objloc + 4, end - 1); },
         "the object attribute table at offset"},
        {"exit list cut after an exit", [end](Bytes& b) { set_word(b, word_at(b, f_con), end - 2), b[end - 2] = 1; },
         "the exit list of location 0 (offset " + std::to_string(end - 2) + ") has no end byte"},
        {"exit list cut inside an exit", [end](Bytes& b) { set_word(b, word_at(b, f_con), end - 1), b[end - 1] = 1; },
         "the exit list of location 0 (offset " + std::to_string(end - 1) + ") has no end byte"},
        {"entry cut inside an action",
         [end](Bytes& b) { set_word(b, word_at(b, word_at(b, f_process)) + 2, end - 1), b[end - 1] = 0; },
         "entry 0 of process table 0 (offset " + std::to_string(end - 1) + ") has no end byte"},
        {"entry index cut inside an entry", [end](Bytes& b) { set_word(b, word_at(b, f_process), end - 3), b[end - 3] = 1; },
         "the entry index of process table 0 (offset " + std::to_string(end - 3) + ") has no end word"},
    };
    expect_refused(base(), cases);
}

// Damage that would make the work of the tools grow far beyond the size of
// the file: a text longer than the compiler can write, and many texts that
// point at one long text.
TEST(DatabaseReader, DamageThatMultipliesTheWorkIsRefused) {
    zel::testing::Sections sections;
    std::string long_text;
    for (int line = 0; line < 100; ++line)
        long_text += std::string(89, 'x') + "\n";
    sections.mtx = "/0\n" + long_text + "/1\n" + long_text;
    const Bytes good = compiled(sections.source(), false);
    ASSERT_FALSE(good.empty());
    const unsigned mtx = word_at(good, f_mtx), stx = word_at(good, f_stx);
    const std::vector<Malformed> cases = {
        {"text running into the next", [mtx](Bytes& b) { b[word_at(b, mtx + 2) - 1] = 0; },
         "text 0 of the messages (offset " + std::to_string(word_at(good, mtx)) + ") expands to more than 16007"},
        {"system messages all at one long text",
         [mtx, stx](Bytes& b) {
             for (unsigned i = 0; i < 61; ++i)
                 set_word(b, stx + 2 * i, word_at(b, mtx));
         },
         "overlaps other parts of the database"},
    };
    expect_refused(good, cases);
}

// The entries of a table are read in the order of their positions: entries
// at one position share their conditions and actions, and one that begins
// inside another is refused, named by its number.
TEST(DatabaseReader, EntriesAreReadByTheirPositions) {
    zel::testing::Sections sections;
    sections.pro[1] = "GET LAMP GET 0\n OK\nGET BOX GET 1\n DONE\n";
    const Bytes good = compiled(sections.source(), false);
    ASSERT_FALSE(good.empty());
    const unsigned index = word_at(good, word_at(good, f_process) + 2);  // of table 1
    const unsigned first = word_at(good, index + 2), second = word_at(good, index + 6);
    ASSERT_LT(first, second);

    Bytes shared = good;
    set_word(shared, index + 6, first);
    std::string error;
    const auto db = read_database(shared, error);
    ASSERT_TRUE(db) << error;
    const std::vector<Entry>& entries = db->tables.at(1).entries;
    ASSERT_EQ(entries.size(), 2u);
    ASSERT_EQ(entries[1].actions.size(), entries[0].actions.size());
    for (std::size_t k = 0; k < entries[0].actions.size(); ++k) {
        EXPECT_EQ(entries[1].actions[k].opcode, entries[0].actions[k].opcode);
        EXPECT_EQ(entries[1].actions[k].params[0], entries[0].actions[k].params[0]);
    }
    EXPECT_EQ(entries[1].end, entries[0].end);

    const std::vector<Malformed> cases = {
        {"second entry inside the first", [=](Bytes& b) { set_word(b, index + 6, first + 1); },
         "entry 0 of process table 1 runs into the entry (offset " + std::to_string(first + 1) + ")"},
        {"first entry inside the second", [=](Bytes& b) { set_word(b, index + 2, second + 1); },
         "entry 1 of process table 1 runs into the entry (offset " + std::to_string(second + 1) + ")"},
    };
    expect_refused(good, cases);
}

// Every damaged copy of a database is either refused or can be listed and
// decompiled; nothing crashes or hangs.
TEST(DatabaseReader, EveryDamagedCopyIsHandled) {
    const Bytes good = compiled(zel::testing::Sections().source(), true);
    ASSERT_FALSE(good.empty());
    int read = 0;
    for (std::size_t pos = 0; pos < good.size(); ++pos) {
        for (unsigned value : {0u, 1u, 2u, 127u, 128u, 200u, 254u, 255u}) {
            Bytes b = good;
            b[pos] = static_cast<unsigned char>(value);
            std::string error;
            const auto db = read_database(b, error);
            if (!db) {
                EXPECT_FALSE(error.empty());
                continue;
            }
            ++read;
            std::ostringstream out;
            dump_database(*db, out);
            decompile_database(*db, "GAME");
        }
    }
    EXPECT_GT(read, 0);
}

// What a listing shows of a database patched at one byte (offset 0 holds 0
// already: the database as compiled).
TEST(Dump, ShowsEachValueAsTheListingNamesIt) {
    std::string error;
    const auto good = read_database(base(), error);
    ASSERT_TRUE(good) << error;
    const unsigned text = good->section(Section::mtx)[0].pos, exits = good->locations[0].pos,
                   starts = good->header.objlocpos;
    const std::tuple<unsigned, unsigned char, std::string> cases[] = {
        {2, 200, "  null word character         (200)\n"},
        {2, 200, "words LAMP -, weight 5,"},  // no character to show for no word
        {0, 0, "words LAMP _, weight 5, starts 0"},
        {0, 0, "/PRO 1: 1 entry, index at "},
        {0, 0, "/PRO 2: 0 entries, index at "},
        {starts, 252, "starts not created"},
        {starts, 253, "starts worn"},
        {starts, 254, "starts carried"},
        {exits, 50, "  /0   #50 -> 1\n"},
        {exits, 30, "  /0   LAMP -> 1\n"},  // a word of any type when no movement word has the number
        {exits, 255, "  /0   no exits\n"},
        {text, 255 - '"', "\"\\\"ello.\""},
        {text, 255 - '\\', "\"\\\\ello.\""},
        {text, 255 - 127, "\"\\x7fello.\""},
        {text, 255 - 13, "\"\\nello.\""},
        {text, 255 - 31, "\"\\x1fello.\""},
        {text, 255 - ' ', "\" ello.\""},
    };
    for (const auto& [offset, value, shown] : cases) {
        Bytes b = base();
        b[offset] = value;
        const auto db = read_database(b, error);
        ASSERT_TRUE(db) << error;
        std::ostringstream out;
        dump_database(*db, out);
        EXPECT_NE(out.str().find(shown), std::string::npos) << shown << "\n" << out.str();
    }
}

TEST(Commands, UsageAndMissingFiles) {
    std::ostringstream out, err;
    EXPECT_EQ(run_dump({}, out, err), status_usage);
    EXPECT_EQ(run_decompile({"-o"}, out, err), status_usage);
    EXPECT_EQ(run_map({"GAME.ZDB", "-T", "svg;rm"}, out, err), status_usage);
    EXPECT_EQ(run_dump({"/nonexistent/GAME.ZDB"}, out, err), status_failed);
    EXPECT_NE(err.str().find("cannot open /nonexistent/GAME.ZDB"), std::string::npos);
    EXPECT_EQ(run_decompile({"/nonexistent/A9Z.ZDB"}, out, err), status_failed);  // the name would do
    EXPECT_EQ(run_decompile({"/nonexistent/a0z.zdb"}, out, err), status_failed);
    EXPECT_EQ(run_decompile({"/nonexistent/my_game.zdb"}, out, err), status_usage);
    EXPECT_NE(err.str().find("cannot form an adventure name"), std::string::npos);
}

}  // namespace
}  // namespace zel::tool
