// check's notes where the traps of tests/editors do not reach: each row
// changes the small adventure, and names the diagnostic it gives, the line
// it is shown at and the note it gets.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "driver/compile.h"
#include "index/hints.h"
#include "support/adventure.h"

namespace zel {
namespace {

using testing::Sections;

// The index of check and of the language server, annotating as it goes.
class Annotated : public SourceIndex {
public:
    Annotated() : SourceIndex(false) {}
    void report(const Diagnostic& d) override {
        Diagnostic a = d;
        if (hints_.annotate(a))
            kept.push_back(a);
    }
    void line_split(const LineSplit& split) override {
        SourceIndex::line_split(split);
        if (std::optional<Diagnostic> w = hints_.split_warning(split))
            kept.push_back(*w);
    }
    void referenced(const Reference& r) override { hints_.referenced(r); }
    std::vector<Diagnostic> kept;

private:
    Hints hints_{*this};
};

unsigned line_of(const std::string& text, const std::string& needle) {
    const std::size_t at = text.find(needle);
    EXPECT_NE(at, std::string::npos) << needle;
    return static_cast<unsigned>(std::count(text.begin(), text.begin() + static_cast<long>(at), '\n')) + 1;
}

struct Row {
    const char* what;
    std::function<std::string()> source;
    const char* link_before;  // the source goes on in PART.SCE from this text on ("": one file)
    const char* message;      // the diagnostic's message begins so (all of it, with a line break at its end)
    const char* at;           // a text on its line ("": the last line of the last file)
    const char* note;         // the message of its only note ("": none)
    const char* note_at;      // a text on the note's line
};

std::string with(const std::function<void(Sections&)>& change, Sections s = {}) {
    change(s);
    return s.source();
}

const Row rows[] = {
    {"a table that PROCESS requires, missing at the end", [] { return with([](Sections& s) { s.pro[2] = "_ _ PROCESS 3\n"; }); },
     "", "/PRO   3 expected", "", "PROCESS 3 here makes every table up to 3 required", "PROCESS 3"},
    {"a section missing at the end of a linked file",
     [] { const std::string all = Sections().source(); return all.substr(0, all.find("/CON")); }, "/LTX",
     "/CON expected", "", "", ""},
    {"a split inside a word outside a text",
     [] { return with([](Sections& s) { s.pro[0] = "_ _" + std::string(252, ' ') + "DESC\n"; }); }, "",
     "line longer than", "DESC", "the split falls inside \"DESC\", and \"C\" is read as the start of the next line",
     "DESC"},
    {"a byte above 127 that begins no UTF-8 character", [] { return with([](Sections& s) { s.mtx = "/0\nCaf\xc3(.\n"; }); },
     "", "Character value > 127 present in text - value(195)\n", "Caf", "", ""},
    {"PUTIN to a location no object has the number of",
     [] { return with([](Sections& s) { s.pro[1] = "GET LAMP PUTIN 0 2\n OK\n"; }, Sections::three_locations()); }, "",
     "You can only PUTIN", "PUTIN 0 2", "a container is an object: objects are numbered 0 to 1", "PUTIN 0 2"},
};

TEST(Hints, PlaceAndExplainWhatTheTrapsLeaveOut) {
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::string game = row.source(), part;
        if (*row.link_before) {
            part = game.substr(game.find(row.link_before));
            game = game.substr(0, game.find(row.link_before)) + "/LNK PART\n";
        }
        testing::CaptureConsole console;
        testing::MemoryFileSystem files;
        files.files = {{"GAME.SCE", game}, {"PART.SCE", part}};
        Annotated index;
        compile({"GAME", "N"}, console, files, &index);
        const std::string& last = part.empty() ? game : part;
        const std::string message = row.message;
        const auto found = std::find_if(index.kept.begin(), index.kept.end(), [&](const Diagnostic& d) {
            return (d.message + "\n").rfind(message, 0) == 0;
        });
        ASSERT_NE(found, index.kept.end()) << console.stdout_text;
        EXPECT_EQ(found->file_index, part.empty() ? 0 : 1);
        EXPECT_EQ(found->line, *row.at ? line_of(last, row.at) : static_cast<unsigned>(std::count(last.begin(), last.end(), '\n')));
        ASSERT_EQ(found->notes.size(), *row.note ? 1u : 0u);
        if (*row.note) {
            EXPECT_EQ(found->notes[0].message, row.note);
            EXPECT_EQ(found->notes[0].at.line, line_of(last, row.note_at));
        }
    }
}

}  // namespace
}  // namespace zel
