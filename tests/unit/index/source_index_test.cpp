// The source index as the compiler's events build it: what lies under a
// position, where it is defined, who uses it; texts, entries and condition
// lines as read; a chain of linked files; a line split after 258 characters.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "driver/compile.h"
#include "index/hints.h"
#include "index/source_index.h"
#include "support/adventure.h"

namespace zel {
namespace {

using testing::Sections;

struct Compiled {
    std::map<std::string, std::string> files;
    SourceIndex index;
    std::string out;
};

void compile_into(Compiled& c) {
    testing::CaptureConsole console;
    testing::MemoryFileSystem fs;
    fs.files = c.files;
    compile({"GAME", "N"}, console, fs, &c.index);
    c.out = console.stdout_text;
}

// Line and column of the first byte of a needle in a text.
std::pair<unsigned, unsigned> where(const std::string& text, const std::string& needle) {
    const std::size_t at = text.find(needle);
    EXPECT_NE(at, std::string::npos) << needle;
    const std::size_t line_start = text.rfind('\n', at == 0 ? 0 : at - 1);
    const unsigned line = static_cast<unsigned>(std::count(text.begin(), text.begin() + static_cast<long>(at), '\n')) + 1;
    const std::size_t column = line_start == std::string::npos || at == 0 ? at + 1 : at - line_start;
    return {line, static_cast<unsigned>(column)};
}

Sections sample() {
    Sections s;
    s.ltx = "/0 the hall\nYou are in the\nhall.\n\nIt is dark.\n/1\nYou are outside.\n";
    s.pro = {"_ _ DESC\n", "GET LAMP GET 0\n MES 0\n", ""};
    return s;
}

struct Lookup {
    const char* needle;  // where to look: the first byte of this text, plus offset
    unsigned offset;
    Kind kind;
    int number;
    std::vector<const char*> definitions;  // the first byte of each definition
    std::size_t references;
};

TEST(SourceIndex, FindsWhatIsUnderAPositionItsDefinitionsAndItsUses) {
    Compiled c;
    Sections s = sample();
    s.voc += "TWENTY 20 NOUN\n";  // the number of the verb GET, as a noun
    s.pro[2] = "_ TWENTY DONE\n";
    const std::string source = s.source();
    c.files["GAME.SCE"] = source;
    compile_into(c);
    ASSERT_NE(c.out.find("Compilation ends OK"), std::string::npos) << c.out;
    const Lookup table[] = {
        {"GET LAMP", 0, Kind::word, 20, {"GET 20"}, 1},  // the verb only, not the noun of that number
        {"N 1", 0, Kind::word, 2, {"NORTH 2", "N 2"}, 1},
        {"N 1", 2, Kind::location, 1, {"/1\nYou are outside", "/1\nS 0"}, 1},
        {"S 0\n/OBJ", 2, Kind::location, 0, {"/0 the hall", "/0\nN 1"}, 2},  // the exit and object 0's start
        {"LAMP GET", 0, Kind::word, 30, {"LAMP 30"}, 2},
        {"BOX SMALL", 4, Kind::word, 40, {"SMALL 40"}, 1},
        {"GET 0", 4, Kind::object, 0, {"/0\nA lamp", "/0 0 5"}, 1},
        {"MES 0", 4, Kind::message, 0, {"/0\nHello"}, 1},
        {"/1 CARRIED", 0, Kind::object, 1, {"/1\nA small", "/1 CARRIED"}, 0},
        {"/0 0 5", 0, Kind::object, 0, {"/0\nA lamp", "/0 0 5"}, 1},  // the first object's own number
    };
    for (const Lookup& l : table) {
        SCOPED_TRACE(std::string(l.needle) + " + " + std::to_string(l.offset));
        const auto [line, column] = where(source, l.needle);
        const std::optional<ItemKey> key = c.index.key_of(c.index.at(0, line, column + l.offset));
        ASSERT_TRUE(key.has_value());
        EXPECT_EQ(key->kind, l.kind);
        EXPECT_EQ(key->number, l.number);
        std::vector<std::pair<unsigned, unsigned>> expected, actual;
        for (const char* d : l.definitions)
            expected.push_back(where(source, d));
        for (const Span& s : c.index.definitions(*key))
            actual.push_back({s.line, s.begin});
        EXPECT_EQ(actual, expected);
        EXPECT_EQ(c.index.references_to(*key).size(), l.references);
    }
    const auto [line, column] = where(source, "N 1");  // just past a token is not in it
    EXPECT_FALSE(c.index.key_of(c.index.at(0, line, column + 1)).has_value());
    // A word is known by its first five characters.
    ASSERT_NE(c.index.word("NORTHERN"), nullptr);
    EXPECT_EQ(c.index.word("NORTHERN")->number, 2);
    EXPECT_EQ(c.index.word("XORTH"), nullptr);
    const std::vector<Span> pro1 = c.index.definitions({Kind::process, 1});
    ASSERT_EQ(pro1.size(), 1u);
    EXPECT_EQ(pro1[0].line, where(source, "/PRO 1").first);
}

TEST(SourceIndex, KeepsTextsEntriesAndConditionLinesAsRead) {
    Compiled c;
    Sections s = sample();
    s.pro[2] = "_ LAMP\n\n MES 0\n";  // no condition (error 1), and no entry where one should begin (error 10)
    const std::string source = s.source();
    c.files["GAME.SCE"] = source;
    compile_into(c);
    const TextDef* hall = c.index.text(Kind::location, 0);
    ASSERT_NE(hall, nullptr);
    EXPECT_EQ(hall->note, "the hall");
    EXPECT_EQ(std::make_pair(hall->note_at.begin, hall->note_at.end), std::make_pair(4u, 12u));
    EXPECT_EQ(c.index.text(Kind::location, 1)->note_at.file, -1);  // no note
    EXPECT_EQ(hall->text, "You are in the hall.\rIt is dark.");
    EXPECT_EQ(hall->last_line, where(source, "It is dark").first);

    const std::vector<const EntryDef*> entries = c.index.entries_of(1);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0]->verb_text + " " + entries[0]->noun_text, "GET LAMP");
    EXPECT_EQ(entries[0]->last_line, where(source, " MES 0").first);
    EXPECT_EQ(c.index.entry_at(Span{0, where(source, " MES 0").first, 2, 5}), entries[0]);

    const CondactDef& mes = c.index.condacts().back();
    EXPECT_EQ(mes.opcode, 77);
    EXPECT_EQ(mes.params, 1);
    EXPECT_EQ(mes.param[0].begin, 6u);
    EXPECT_EQ(mes.param[0].end, 7u);
    const std::size_t pro1 = 9;  // /CTL /VOC /STX /MTX /OTX /LTX /CON /OBJ /PRO 0, then /PRO 1
    EXPECT_EQ(c.index.sections().at(pro1).number, 1);
    EXPECT_EQ(c.index.sections().at(pro1).at.end, 7u);  // a whole line's span ends just past it
    EXPECT_EQ(std::make_pair(c.index.sections().at(pro1).name.end, c.index.sections().at(pro1).number_at.begin),
              std::make_pair(5u, 6u));
    EXPECT_EQ(c.index.sections().at(1).number_at.file, -1);  // /VOC has no number
    EXPECT_EQ(entries[0]->at.end, 15u);
    EXPECT_EQ(c.index.section_at(mes.name), static_cast<int>(pro1));
    EXPECT_EQ(c.index.section_end(pro1), where(source, "/PRO 2").first - 1);

    ASSERT_EQ(c.index.entries_of(2).size(), 1u);
    EXPECT_FALSE(c.index.entries_of(2)[0]->accepted);
    EXPECT_EQ(c.index.entries_of(2)[0]->noun_text, "LAMP");  // a word that ends its line
}

TEST(SourceIndex, FollowsTheChainOfLinkedFiles) {
    Compiled c;
    const std::string source = sample().source();
    const std::size_t cut = source.find("/CON");
    c.files["GAME.SCE"] = source.substr(0, cut) + "/lnk part2\n";
    c.files["PART2.SCE"] = source.substr(cut);
    compile_into(c);
    ASSERT_EQ(c.index.files().size(), 2u);
    const SourceFile& part2 = c.index.files()[1];
    EXPECT_EQ(part2.name, "PART2.SCE");
    const unsigned link_line = where(c.files["GAME.SCE"], "/lnk").first;
    EXPECT_EQ(part2.link.file, 0);
    EXPECT_EQ(part2.link.line, link_line);
    EXPECT_EQ(c.index.last_line(0), link_line);
    EXPECT_EQ(c.index.last_line(1), where(source.substr(cut), "/PRO 2").first);
    const std::vector<Span> location1 = c.index.definitions({Kind::location, 1});
    ASSERT_EQ(location1.size(), 2u);
    EXPECT_EQ(location1[0].file, 0);  // its text
    EXPECT_EQ(location1[1].file, 1);  // its exits
}

TEST(SourceIndex, CountsLinesAsTheEditorDoesWhereALineIsSplit) {
    Compiled c;
    Sections s = sample();
    const std::string long_line(300, 'x');
    s.ltx = "/0\n" + long_line + "\n/1\nOutside.\n";
    const std::string source = s.source();
    c.files["GAME.SCE"] = source;
    compile_into(c);
    const unsigned editor = where(source, long_line).first;
    const unsigned after = where(source, "/1\nOutside").first;
    EXPECT_TRUE(c.index.continues_line(0, editor + 1));
    EXPECT_EQ(c.index.text(Kind::location, 0)->text, long_line.substr(0, 258) + " " + long_line.substr(258));
    EXPECT_EQ(c.index.text(Kind::location, 1)->at.line, after + 1);  // the compiler counts one more
    EXPECT_EQ(c.index.editor_line(0, after + 1), after);
    EXPECT_EQ(c.index.editor_column(0, editor + 1, 2), 260u);
    unsigned column = 0;
    EXPECT_EQ(c.index.compiler_line(0, editor, 260, column), editor + 1);
    EXPECT_EQ(column, 2u);
    EXPECT_EQ(c.index.compiler_line(0, editor, 259, column), editor + 1);
    EXPECT_EQ(column, 1u);
    EXPECT_EQ(c.index.compiler_line(0, after, 1, column), after + 1);
}

// Splits as the compiler tells of them: in file 0 a line of four pieces
// (lines 3 to 6) and one of two (8 and 9), in file 1 one of two (2 and 3).
TEST(SourceIndex, KeepsASplitLineWhateverItsLengthAsOneRecord) {
    SourceIndex index;
    for (const Span& at : {Span{0, 4, 1, 9}, Span{0, 5, 1, 9}, Span{0, 6, 1, 9}, Span{0, 9, 1, 9}, Span{1, 3, 1, 9}})
        index.line_split(LineSplit{at, "", ""});
    const struct {
        int file;
        unsigned line, column, editor_line, editor_column;
    } rows[] = {
        {0, 3, 5, 3, 5},   {0, 4, 1, 3, 259}, {0, 6, 2, 3, 776}, {0, 7, 1, 4, 1},
        {0, 9, 3, 5, 261}, {0, 10, 1, 6, 1},  {1, 2, 7, 2, 7},   {1, 3, 1, 2, 259}, {1, 4, 1, 3, 1},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::to_string(r.file) + ":" + std::to_string(r.line));
        EXPECT_EQ(index.editor_line(r.file, r.line), r.editor_line);
        EXPECT_EQ(index.editor_column(r.file, r.line, r.column), r.editor_column);
        EXPECT_EQ(index.continues_line(r.file, r.line), r.editor_column > 258);
        unsigned column = 0;
        EXPECT_EQ(index.compiler_line(r.file, r.editor_line, r.editor_column, column), r.line);
        EXPECT_EQ(column, r.column);
    }

    // A line that never ends is one record; every line split after the
    // most kept is told of once, and its pieces then count as lines.
    SourceIndex endless;
    endless.file_opened(SourceFile{0, "GAME.SCE", "GAME.SCE", {}});
    Hints hints(endless);
    std::vector<std::string> warnings;
    const auto split = [&](unsigned line) {
        const LineSplit piece{Span{0, line, 1, 2}, "", ""};
        endless.line_split(piece);
        if (std::optional<Diagnostic> w = hints.split_warning(piece))
            warnings.push_back(std::to_string(w->line) + " " + w->message.substr(0, 9));
    };
    const unsigned pieces = 2 * SourceIndex::most_records;
    for (unsigned line = 2; line <= pieces; ++line)
        split(line);
    EXPECT_EQ(endless.editor_line(0, pieces), 1u);
    for (unsigned run = 1; run < SourceIndex::most_records; ++run)
        split(pieces + 2 * run);
    EXPECT_TRUE(endless.splits_complete());
    const unsigned untracked = pieces + 2 * SourceIndex::most_records;
    for (unsigned line = untracked; line < untracked + 4; ++line)
        split(line);
    EXPECT_FALSE(endless.splits_complete());
    ASSERT_EQ(warnings.size(), SourceIndex::most_records + 1);
    EXPECT_EQ(warnings.front(), "1 line long");
    EXPECT_EQ(warnings.back(), std::to_string(untracked - 1) + " more line");
}

TEST(SourceIndex, KeepsAtMostTheMostOfEachRecordAndCountsEveryDiagnostic) {
    SourceIndex index, none(false);
    for (std::size_t i = 0; i <= SourceIndex::most_records; ++i) {
        EXPECT_EQ(index.complete(), true);
        index.referenced(Reference{});
        index.report(Diagnostic{});
        none.report(Diagnostic{});
    }
    EXPECT_FALSE(index.complete());
    EXPECT_EQ(index.references().size(), SourceIndex::most_records);
    EXPECT_EQ(index.diagnostics().size(), SourceIndex::most_diagnostics);
    EXPECT_EQ(index.errors(), SourceIndex::most_records + 1);
    EXPECT_EQ(none.errors(), SourceIndex::most_records + 1);
    EXPECT_TRUE(none.diagnostics().empty());
}

}  // namespace
}  // namespace zel
