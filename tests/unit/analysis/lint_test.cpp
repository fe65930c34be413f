// Every lint code on a small adventure made for it, at its line and column;
// and what switches and comments do to the findings.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "analysis/compiled.h"
#include "analysis/lint.h"
#include "core/memory_files.h"
#include "support/adventure.h"

namespace zel::analysis {
namespace {

using zel::testing::Sections;

// A base that lint finds nothing in, even with every code on.
Sections clean() {
    Sections s;
    s.pro[1] = "GET LAMP GET 0\n MESSAGE 0\n";
    return s;
}

std::string numbered(int count, const std::string& text) {
    std::string out;
    for (int i = 0; i < count; ++i)
        out.append("/").append(std::to_string(i)).append("\n").append(text).append("\n");
    return out;
}

// A vocabulary of 2000 words leaves one text, and one entry index, 1993 bytes.
void big_vocabulary(Sections& s) {
    for (int i = 0; i < 1992; ++i)
        s.voc.append("W").append(std::to_string(1000 + i)).append(" 50 VERB\n");
    s.mtx += "/1 long\n";
    for (int i = 0; i < 19; ++i)
        s.mtx += std::string(100, 'x') + "\n";
    s.pro[0] = "_ _ MESSAGE 1\n";
    for (int i = 0; i < 460; ++i)
        s.pro[2] += "_ _ DESC\n";
}

struct Case {
    const char* code;
    std::function<void(Sections&)> change;
    const char* line;    // the text of the line it is reported at (unique in the source)
    const char* column;  // the text at its column
    const char* options = "all";  // -W switches, blank-separated
    bool reported = true;
};

const Case cases[] = {
    {"unreachable-location", [](Sections& s) { s.ltx += "/2 attic\nAn attic.\n"; s.con += "/2\nS 0\n"; },
     "/2 attic", "/2"},
    {"unreachable-location",  // a GOTO in an entry that tests AT 1 leads from 1
     [](Sections& s) { s.ltx += "/2 attic\nAn attic.\n"; s.con += "/2\nS 0\n"; s.pro[2] = "_ _ AT 1\n GOTO 2\n"; },
     "/2 attic", "/2", "all", false},
    {"unreachable-location",  // the GOTO on the header line of an entry that tests AT 3 leads from 3, out of reach too
     [](Sections& s) {
         s.ltx += "/2 attic\nAn attic.\n/3 cellar\nA cellar.\n";
         s.con += "/2\n/3\n";
         s.pro[2] = "_ _ AT 1\n DESC\n_ _ GOTO 2\n AT 3\n";
     },
     "/2 attic", "/2"},
    {"unused-location", [](Sections& s) { s.ltx += "/2 attic\nAn attic.\n"; s.con += "/2\nS 0\n"; }, "/2 attic",
     "/2"},
    {"dead-end", [](Sections& s) { s.ltx += "/2\nA pit.\n"; s.con = "/0\nN 1\nS 2\n/1\nS 0\n/2 pit\n"; }, "/2 pit",
     "/2"},
    {"self-exit", [](Sections& s) { s.con = "/0\nN 1\nSOUTH 0\n/1\nS 0\n"; }, "SOUTH 0", "SOUTH"},
    {"one-way-exit", [](Sections& s) { s.ltx += "/2\nA pit.\n"; s.con = "/0\nN 1\nS 2\n/1\nS 0\n/2 pit\nN 1\n"; },
     "S 2", "S"},
    {"one-way-exit", [](Sections& s) { s.ltx += "/2\nA pit.\n"; s.con = "/0\nN 1\nS 2\n/1\nS 0\n/2 pit\nN 1\n"; },
     "S 2", "S", "", false},  // off by default
    {"unused-message", [](Sections& s) { s.mtx += "/1 spare\nSpare.\n"; }, "/1 spare", "/1"},
    {"unused-message",  // after a line the compiler splits: the editor's line
     [](Sections& s) { s.mtx = "/0\n" + std::string(600, 'x') + "\n;zel-lint: disable-next lone-flag\n/1 spare\n"; },
     "/1 spare", "/1"},
    {"unused-object", [](Sections& s) { s.voc += "KEY 32 NOUN\n"; s.otx += "/2\nA key.\n"; s.obj += "/2 _ 1 _ _ KEY _\n"; },
     "/2 _ 1 _ _ KEY _", "/2"},
    {"unused-word", [](Sections& s) { s.voc += "STOVE 99 NOUN\n"; }, "STOVE 99 NOUN", "STOVE"},
    {"lone-flag", [](Sections& s) { s.pro[2] = "_ _ PLUS 116 1\n"; }, "_ _ PLUS 116 1", "116"},
    {"lone-flag", [](Sections& s) { s.pro[2] = "_ _ COPYFF 116 116\n"; }, "_ _ COPYFF 116 116", "116"},
    {"lone-flag", [](Sections& s) { s.pro[2] = "_ _ SET 116\n ZERO 116\n"; }, "_ _ SET 116", "116", "all", false},
    {"limit-vocabulary", big_vocabulary, "/VOC", "/VOC"},
    {"limit-text-room", big_vocabulary, "/1 long", "/1"},
    {"limit-entries", big_vocabulary, "/PRO 2", "/PRO"},
    {"limit-texts", [](Sections& s) { s.mtx = numbered(240, std::string(250, 'm')); }, "/MTX", "/MTX"},
    {"limit-database", [](Sections& s) { s.mtx = numbered(240, std::string(250, 'm')); }, "/CTL", "/CTL"},
    {"limit-tables", [](Sections& s) { s.pro[2] = "_ _ PROCESS 240\n"; s.pro.resize(241); }, "/PRO 240", "/PRO"},
    {"lint-comment", [](Sections& s) { s.voc += ";zel-lint: disable unused-wrod\n"; },
     ";zel-lint: disable unused-wrod", "unused-wrod"},
    // What comments and switches silence.
    {"unused-word", [](Sections& s) { s.voc += ";zel-lint: disable-next unused-word -- why\n;\nSTOVE 99 NOUN\n"; },
     "STOVE 99 NOUN", "STOVE", "all", false},
    {"unused-word", [](Sections& s) { s.voc += ";zel-lint: disable unused\nSTOVE 99 NOUN\n"; }, "STOVE 99 NOUN",
     "STOVE", "all", false},
    {"unused-word", [](Sections& s) { s.voc += ";zel-lint: disable all\n;zel-lint: enable unused-word\nBED 98 NOUN\n"; },
     "BED 98 NOUN", "BED"},
    {"unused-word", [](Sections& s) { s.voc = ";zel-lint: disable-next unused-word\n" + s.voc + "BED 98 NOUN\n"; },
     "BED 98 NOUN", "BED"},
    {"unused-word", [](Sections& s) { s.voc += "STOVE 99 NOUN\n"; }, "STOVE 99 NOUN", "STOVE", "all no-unused", false},
};

std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

std::vector<Finding> lint_source(const std::string& source, const std::string& options, std::string& problem) {
    MemoryFiles files;
    files.files["GAME.SCE"] = source;
    const Compiled compiled = compile_adventure({"GAME"}, files);
    if (!compiled.database) {
        problem = compiled.console;
        return {};
    }
    LintOptions lint_options;
    std::istringstream switches(options);
    for (std::string option; switches >> option;)
        EXPECT_TRUE(lint_options.selection.apply(option));
    const Figures figures = figures_of(*compiled.database);
    lint_options.figures = &figures;
    lint_options.file_texts = source_texts(compiled.index, files);
    return lint(compiled.index, lint_options);
}

std::string listing(const std::vector<Finding>& findings) {
    std::string out;
    for (const Finding& f : findings)
        out += std::to_string(f.at.line) + ":" + std::to_string(f.at.begin) + " " + info(f.code).name + " " +
               f.message + "\n";
    return out;
}

TEST(Lint, TheBaseIsClean) {
    std::string problem;
    EXPECT_EQ(listing(lint_source(clean().source(), "all", problem)), "") << problem;
}

TEST(Lint, EachCodeAtItsLineAndColumn) {
    for (const Case& c : cases) {
        Sections s = clean();
        c.change(s);
        const std::string source = s.source();
        const std::vector<std::string> lines = split_lines(source);
        unsigned line = 0;
        for (unsigned i = 0; i < lines.size(); ++i)
            if (lines[i] == c.line)
                line = i + 1;
        ASSERT_NE(line, 0u) << c.code << ": no line " << c.line;
        const auto column = static_cast<unsigned>(lines[line - 1].find(c.column) + 1);
        std::string problem;
        const std::vector<Finding> findings = lint_source(source, c.options, problem);
        ASSERT_EQ(problem, "") << c.code;
        bool found = false;
        for (const Finding& f : findings)
            found = found || (info(f.code).name == std::string(c.code) && f.at.line == line && f.at.begin == column);
        EXPECT_EQ(found, c.reported) << c.code << " at " << line << ":" << column << " with " << c.options << "\n"
                                     << listing(findings);
    }
}

// Lint keeps no more of the sources' texts than the most, in all: a file
// that would pass it is left unread, and named.
TEST(Lint, KeepsNoMoreSourceTextThanTheMost) {
    const std::string whole = clean().source();
    const std::size_t at = whole.find("/STX\n");
    MemoryFiles files;
    files.files["GAME.SCE"] = whole.substr(0, at) + "/LNK PART2\n";
    const std::size_t room = most_source_text - files.files["GAME.SCE"].size();
    for (std::size_t extra : {0, 1}) {
        // Comment lines of 64 characters, the first up to 127 long.
        const std::size_t padding = room + extra - whole.substr(at).size(), first = 64 + padding % 64;
        std::string part = ";" + std::string(first - 2, '-') + "\n";
        for (std::size_t n = first; n < padding; n += 64)
            part += ";" + std::string(62, '-') + "\n";
        part += whole.substr(at);
        ASSERT_EQ(part.size(), room + extra);
        files.files["PART2.SCE"] = part;
        const Compiled compiled = compile_adventure({"GAME"}, files);
        ASSERT_TRUE(compiled.database) << compiled.console;
        std::vector<std::string> unread;
        const std::vector<std::string> texts = source_texts(compiled.index, files, &unread);
        EXPECT_EQ(texts.at(1).size(), extra == 0 ? room : 0u);
        EXPECT_EQ(unread, extra == 0 ? std::vector<std::string>{} : std::vector<std::string>{"PART2.SCE"});
    }
}

// The compiler reads nothing after a /LNK line, nor does lint: a comment
// there is no directive, well formed or not.
TEST(Lint, ReadsNoDirectiveAfterALink) {
    const std::string whole = clean().source();
    const std::size_t at = whole.find("/STX\n");
    MemoryFiles files;
    files.files["GAME.SCE"] = whole.substr(0, at) + "/LNK PART2\n;zel-lint: nonsense\n";
    files.files["PART2.SCE"] = whole.substr(at);
    const Compiled compiled = compile_adventure({"GAME"}, files);
    ASSERT_TRUE(compiled.database) << compiled.console;
    LintOptions options;
    options.selection.set("all", true);
    options.file_texts = source_texts(compiled.index, files);
    EXPECT_EQ(listing(lint(compiled.index, options)), "");
}

}  // namespace
}  // namespace zel::analysis
