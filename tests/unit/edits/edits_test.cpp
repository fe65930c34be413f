// Source edits over a small adventure in three linked files and over the
// example: every renumbering, and every insertion followed by the deletion,
// gives back the original bytes; every edit leaves a source that compiles
// to the same database with only the numbers changed; and every rule of the
// format is kept or the edit refused with its reason.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <sstream>

#include "analysis/compiled.h"
#include "core/memory_files.h"
#include "core/posix_platform.h"
#include "edits/builder.h"
#include "edits/edits.h"
#include "format/opcodes.h"
#include "support/adventure.h"

namespace zel::edits {
namespace {

using Files = std::map<std::string, std::string>;

// Messages 0 to 2 in GAME.SCE, 3 in PART2.SCE; object 2 is a container,
// and location 2 is its inside; tables 3 and 4 are called by PROCESS.
Files small() {
    const std::string stx = testing::Sections::system_messages(63);
    return {
        {"GAME.SCE", "/CTL\n_\n/VOC\nNORTH 2 NOUN\nSOUTH 3 NOUN\nGET 20 VERB\nLAMP 30 NOUN\nKEY 32 NOUN\n"
                     "BOX 31 NOUN\nSMALL 40 ADJECTIVE\n/STX\n" + stx +
                     "/MTX\n/0 zero\nMessage zero.\n/1\nMessage one.\n; between messages\n/2\nMessage two.\n/LNK PART2\n"},
        {"PART2.SCE", "; part two\n/3\nMessage three.\n/OTX\n/0\nA lamp.\n/1\nA key.\n/2\nA box.\n/3\nA coin.\n/4\nA pin.\n"
                      "/LTX\n/0 hall\nHall.\n/1\nYard.\n/2 inside the box\nIn the box.\n/3\nCellar.\n"
                      "/CON\n/0\nNORTH 1\n/1\nSOUTH 0\nNORTH 3\n/2\n/3\nSOUTH 1\n"
                      "/OBJ\n/0 0 1 _ _ LAMP _\n/1 1 1 _ _ KEY _\n/2 1 5 Y _ BOX SMALL\n/3 2 1 _ _ _ _\n/4 _ 1 _ _ _ _\n"
                      "/LNK PART3\n"},
        {"PART3.SCE", "/PRO 0\nGET LAMP PRESENT 0\n GET 0\n MESSAGE 1\n DONE\n\nGET KEY PUTIN 3 2\n CREATE 4\n"
                      "/PRO 1\n_ _ AT 3\n MESSAGE 2\n SET 5\n PROCESS 3\n/PRO 2\n_ _ ZERO 5\n MESSAGE 3\n SYSMESS 62\n"
                      " PROCESS 4\n/PRO 3\n_ _ GOTO 1\n MES 00\n    ; the end of the entry\n/PRO 4\n_ _ PLACE 1 2\n PROMPT 61\n"
                      " SET 7\n LET 8 1"},  // no line feed at the end
    };
}

// The small source with PART2.SCE written with carriage returns.
Files small_crlf() {
    Files files = small();
    std::string& text = files["PART2.SCE"];
    for (std::size_t at = 0; (at = text.find('\n', at)) != std::string::npos; at += 2)
        text.insert(at, 1, '\r');
    return files;
}

struct Source {
    analysis::Compiled compiled;
    std::vector<std::string> texts;
};

std::unique_ptr<Source> compiled(const Files& files, const std::string& name = "GAME") {
    MemoryFiles fs;
    fs.files = files;
    auto s = std::make_unique<Source>();
    s->compiled = analysis::compile_adventure({name}, fs);
    s->texts = analysis::source_texts(s->compiled.index, fs);
    return s;
}

std::unique_ptr<Source> example() {
    PosixFileSystem fs(std::string(ZEL_SOURCE_DIR) + "/examples");
    auto s = std::make_unique<Source>();
    s->compiled = analysis::compile_adventure({"BEACON"}, fs);
    s->texts = analysis::source_texts(s->compiled.index, fs);
    return s;
}

Files files_of(const Source& s, const std::vector<std::string>& texts) {
    Files files;
    for (std::size_t i = 0; i < texts.size(); ++i)
        files[s.compiled.index.files()[i].name] = texts[i];
    return files;
}

// The database as lines, every number of a moved kind taken through the
// renumberings; items deleted (to -1) are left out, and so are new ones.
std::vector<std::string> mapped(const tool::Database& db, const std::vector<Renumbering>& moves, bool old) {
    const auto to = [&](Kind k, unsigned n) -> long {
        for (const Renumbering& m : moves)
            if (m.kind == k) {
                if (!old)
                    return static_cast<int>(n) == m.inserted ? -1L : static_cast<long>(n);
                return n < m.to.size() ? static_cast<long>(m.to[n]) : static_cast<long>(n);
            }
        return n;
    };
    std::vector<std::string> lines;
    const auto add = [&](std::initializer_list<long> numbers, const std::string& text = {}) {
        std::string line;
        for (long n : numbers)
            line += std::to_string(n) + " ";
        lines.push_back(line + text);
    };
    const Kind text_kinds[] = {Kind::sysmess, Kind::message, Kind::object, Kind::location};
    for (int s = 0; s < tool::section_count; ++s)
        for (std::size_t n = 0; n < db.texts[static_cast<std::size_t>(s)].size(); ++n)
            if (const long m = to(text_kinds[s], static_cast<unsigned>(n)); m >= 0)
                add({s, m}, db.expand(db.texts[static_cast<std::size_t>(s)][n]));
    const unsigned locations = db.header.nlocations;
    const auto location = [&](unsigned n) { return n < locations ? to(Kind::location, n) : n; };
    for (std::size_t l = 0; l < db.locations.size(); ++l)
        for (std::size_t e = 0; e < db.locations[l].exits.size(); ++e)
            if (location(static_cast<unsigned>(l)) >= 0)
                add({10, location(static_cast<unsigned>(l)), static_cast<long>(e), db.locations[l].exits[e].word,
                     location(db.locations[l].exits[e].destination)});
    for (std::size_t o = 0; o < db.objects.size(); ++o)
        if (const long m = to(Kind::object, static_cast<unsigned>(o)); m >= 0)
            add({11, m, db.objects[o].noun, db.objects[o].adjective, db.objects[o].attributes,
                 location(db.objects[o].location)});
    for (std::size_t t = 0; t < db.tables.size(); ++t)
        for (std::size_t e = 0; e < db.tables[t].entries.size(); ++e) {
            const tool::Entry& entry = db.tables[t].entries[e];
            std::string actions;
            for (const tool::Action& a : entry.actions) {
                actions += std::to_string(a.opcode);
                for (std::size_t p = 0; p < a.params.size(); ++p) {
                    const int kind = p == 0 ? opcode_table[a.opcode].kind1 : opcode_table[a.opcode].kind2;
                    const Kind k = kind_of_param(kind);
                    actions.append(" ").append(std::to_string(k == Kind::location ? location(a.params[p]) : to(k, a.params[p])));
                }
                actions += ";";
            }
            if (const long m = to(Kind::process, static_cast<unsigned>(t)); m >= 0)
                add({12, m, static_cast<long>(e), entry.verb, entry.noun}, actions);
        }
    for (const tool::VocabWord& w : db.vocabulary)
        add({13, w.number, w.type}, w.word);
    std::sort(lines.begin(), lines.end());
    return lines;
}

// The texts a unified diff makes of `texts`, as patch would make them; every
// line it keeps or takes away must be the old one, and each hunk's counts and
// new start must be those of its lines.
std::vector<std::string> patched(const std::string& diff, std::vector<std::string> texts,
                                 const std::vector<std::string>& names) {
    std::istringstream in(diff);
    std::vector<std::string> hunk, old, made;  // a hunk's lines with their marks; the file's old and new lines
    std::string line, *text = nullptr;
    std::size_t next = 0, old_count = 0, new_count = 0;
    const auto take_hunk = [&] {
        std::size_t olds = 0, news = 0;
        for (const std::string& l : hunk) {
            if (l[0] != '+') {
                EXPECT_EQ(next < old.size() ? old[next++] : "(past the end)", l.substr(1)) << diff;
            }
            if (l[0] != '-')
                made.push_back(l.substr(1));
            olds += l[0] != '+';
            news += l[0] != '-';
        }
        EXPECT_EQ(olds, old_count) << diff;
        EXPECT_EQ(news, new_count) << diff;
        hunk.clear();
        old_count = new_count = 0;
    };
    const auto take_file = [&] {
        take_hunk();
        if (text != nullptr) {
            made.insert(made.end(), old.begin() + static_cast<long>(std::min(next, old.size())), old.end());
            text->clear();
            for (const std::string& l : made)
                *text += l;
        }
    };
    while (std::getline(in, line)) {
        if (line.rfind("--- a/", 0) == 0) {
            take_file();
            std::getline(in, line);
            const auto f = std::find(names.begin(), names.end(), line.substr(6));
            EXPECT_NE(f, names.end()) << line;
            text = &texts.at(static_cast<std::size_t>(f - names.begin()));
            old.clear();
            made.clear();
            next = 0;
            for (std::size_t at = 0; at < text->size();) {
                const std::size_t end = std::min(text->find('\n', at), text->size() - 1) + 1;
                old.push_back(text->substr(at, end - at));
                at = end;
            }
        } else if (unsigned a = 0, b = 0, c = 0, d = 0; std::sscanf(line.c_str(), "@@ -%u,%u +%u,%u @@", &a, &b, &c, &d) == 4) {
            take_hunk();
            const std::size_t start = b == 0 ? a : a - 1;
            EXPECT_LE(next, start) << diff;
            for (; next < start && next < old.size(); ++next)
                made.push_back(old[next]);
            EXPECT_EQ(made.size(), d == 0 ? c : c - 1) << diff;
            old_count = b;
            new_count = d;
        } else if (line == "\\ No newline at end of file") {
            EXPECT_FALSE(hunk.empty()) << diff;
            if (!hunk.empty())
                hunk.back().pop_back();
        } else {
            EXPECT_TRUE(!line.empty() && (line[0] == ' ' || line[0] == '-' || line[0] == '+')) << line;
            hunk.push_back(line + "\n");
        }
    }
    take_file();
    return texts;
}

// The plan of an outcome, after checking that its source compiles to the
// same database with only the numbers moved; the edited texts in `edited`.
const Plan* checked(const Source& before, const Outcome& outcome, std::vector<std::string>& edited,
                    const std::string& what) {
    const Plan* plan = std::get_if<Plan>(&outcome);
    EXPECT_NE(plan, nullptr) << what << ": " << std::get<Refusal>(outcome).reason;
    if (plan == nullptr)
        return nullptr;
    edited = edits::apply(*plan, before.texts);
    EXPECT_FALSE(check_edited(before.compiled.index, edited)) << what;
    std::vector<std::string> names;
    for (const SourceFile& f : before.compiled.index.files())
        names.push_back(f.name);
    EXPECT_EQ(patched(unified_diff(*plan, before.texts, names), before.texts, names), edited) << what;
    const std::unique_ptr<Source> after = compiled(files_of(before, edited), before.compiled.index.files()[0].name.substr(
                                                                                   0, before.compiled.index.files()[0].name.find('.')));
    EXPECT_TRUE(after->compiled.database && before.compiled.database) << what << after->compiled.console;
    if (after->compiled.database && before.compiled.database) {
        const std::vector<std::string> was = mapped(*before.compiled.database, plan->moved, true),
                                       is = mapped(*after->compiled.database, plan->moved, false);
        std::vector<std::string> differ;
        std::set_symmetric_difference(was.begin(), was.end(), is.begin(), is.end(), std::back_inserter(differ));
        EXPECT_EQ(differ, std::vector<std::string>{}) << what;
    }
    return plan;
}

// Every item to every number of its kind and back, on the small source.
TEST(Edits, EveryRenumberingAndBackGivesTheOriginalBytes) {
    const std::unique_ptr<Source> s = compiled(small_crlf());
    ASSERT_EQ(s->compiled.errors, 0u) << s->compiled.console;
    const struct {
        Kind kind;
        int first, last;
    } kinds[] = {{Kind::sysmess, 61, 62}, {Kind::message, 0, 3}, {Kind::object, 0, 4},
                 {Kind::location, 0, 3},  {Kind::process, 3, 4}};
    for (const auto& k : kinds)
        for (int from = k.first; from <= k.last; ++from)
            for (int to = k.first; to <= k.last; ++to) {
                const std::string what = kind_words(k.kind) + " " + std::to_string(from) + " to " + std::to_string(to);
                const Outcome there = renumber(Sources{s->compiled.index, s->texts}, k.kind, from, to);
                // Object 2 is a container: moving it, or across it, moves location 2 too, and there is no location 4.
                if (k.kind == Kind::object && std::max(from, to) == 4 && std::min(from, to) <= 2) {
                    ASSERT_TRUE(std::holds_alternative<Refusal>(there)) << what;
                    EXPECT_NE(std::get<Refusal>(there).reason.find("container"), std::string::npos) << what;
                    continue;
                }
                std::vector<std::string> edited;
                if (checked(*s, there, edited, what) == nullptr || from == to)
                    continue;
                EXPECT_NE(edited, s->texts) << what;
                const std::unique_ptr<Source> moved = compiled(files_of(*s, edited));
                std::vector<std::string> back;
                checked(*moved, renumber(Sources{moved->compiled.index, moved->texts}, k.kind, to, from), back, what);
                EXPECT_EQ(back, s->texts) << what << " and back";
            }
}

TEST(Edits, InsertThenDeleteGivesTheOriginalBytes) {
    const std::unique_ptr<Source> s = compiled(small_crlf());
    const struct {
        Kind kind;
        int first, last;
        const char* text;
        const char* stored;  // as the compiler keeps it: 13 for an empty line
    } kinds[] = {{Kind::sysmess, 61, 63, "New.\n\nSecond paragraph.", "New.\rSecond paragraph."},
                 {Kind::message, 0, 4, "New.", "New."},
                 {Kind::object, 0, 5, "", ""},
                 {Kind::location, 0, 4, "A new place.", "A new place."},
                 {Kind::process, 3, 4, "", ""}};
    for (const auto& k : kinds)
        for (int at = k.first; at <= k.last; ++at) {
            const std::string what = "new " + kind_words(k.kind) + " " + std::to_string(at);
            std::vector<std::string> edited;
            const Outcome outcome = insert(Sources{s->compiled.index, s->texts}, k.kind, at, k.text);
            const Plan* plan = checked(*s, outcome, edited, what);
            if (plan == nullptr)
                continue;
            EXPECT_FALSE(plan->todo.empty() && !*k.text) << what << ": nothing to do said";
            const std::unique_ptr<Source> more = compiled(files_of(*s, edited));
            if (const TextDef* t = more->compiled.index.text(k.kind, at); t && k.kind != Kind::process) {
                EXPECT_EQ(t->text, k.stored) << what;
            }
            std::vector<std::string> back;
            checked(*more, remove(Sources{more->compiled.index, more->texts}, k.kind, at), back, what + " deleted");
            EXPECT_EQ(back, s->texts) << what << " then deleted";
        }
}

// A few moves over the example's three files, with its containers.
TEST(Edits, ExampleRenumberingsAndBack) {
    const std::unique_ptr<Source> s = example();
    ASSERT_EQ(s->compiled.errors, 0u);
    const struct {
        Kind kind;
        int from, to;
    } rows[] = {{Kind::message, 12, 5}, {Kind::message, 0, 114}, {Kind::sysmess, 63, 61}, {Kind::object, 0, 12},
                {Kind::location, 15, 0}, {Kind::process, 6, 3},  {Kind::flag, 101, 200}};
    for (const auto& r : rows) {
        const std::string what = kind_words(r.kind) + " " + std::to_string(r.from) + " to " + std::to_string(r.to);
        std::vector<std::string> edited, back;
        if (!checked(*s, renumber(Sources{s->compiled.index, s->texts}, r.kind, r.from, r.to), edited, what))
            continue;
        const std::unique_ptr<Source> moved = compiled(files_of(*s, edited), "BEACON");
        checked(*moved, renumber(Sources{moved->compiled.index, moved->texts}, r.kind, r.to, r.from), back, what);
        EXPECT_EQ(back, s->texts) << what << " and back";
    }
}

}  // namespace
}  // namespace zel::edits

namespace zel::edits {
namespace {

Files with(Files files, const std::string& file, const std::string& find, const std::string& put) {
    std::string& text = files[file];
    text.replace(text.find(find), find.size(), put);
    return files;
}

// Locations 4 to 251, each with its /CON line: as many as there may be.
Files full_of_locations() {
    std::string texts, lines;
    for (int n = 4; n < 252; ++n) {
        texts.append("/").append(std::to_string(n)).append("\nPlace.\n");
        lines.append("/").append(std::to_string(n)).append("\n");
    }
    return with(with(small(), "PART2.SCE", "/CON\n", texts + "/CON\n"), "PART2.SCE", "SOUTH 1\n/OBJ", "SOUTH 1\n" + lines + "/OBJ");
}

// Object 3, the last, a container too, with location 3 its inside.
Files last_container() {
    return with(with(with(small(), "PART2.SCE", "/3 2 1 _ _ _ _\n/4 _ 1 _ _ _ _\n", "/3 2 1 Y _ _ _\n"), "PART2.SCE", "/4\nA pin.\n", ""),
                "PART3.SCE", "CREATE 4", "CREATE 3");
}

std::string where(const Source& s, const Place& at) {
    return s.compiled.index.files()[static_cast<std::size_t>(at.file)].name + ":" + std::to_string(at.line) + ":" +
           std::to_string(at.column);
}

// Each rule of the format kept, or the edit refused with its reason and
// the places it is about; and what a plan says it did.
TEST(Edits, RulesAndWhatTheOutcomeSays) {
    using Op = std::function<Outcome(const Sources&)>;
    const auto renumbering = [](Kind k, int from, int to) -> Op { return [=](const Sources& s) { return renumber(s, k, from, to); }; };
    const std::string long_line = " SET 5 ;" + std::string(248, 'x');  // 256 characters
    const struct {
        const char* name;
        Files files;
        Op op;
        const char* says;   // in the reason of a refusal, or the summary of a plan
        const char* place;  // of the first remark or thing to do, when there is one
    } rows[] = {
        {"the run-time's system messages", small(), renumbering(Kind::sysmess, 60, 62), "0 to 60 are the run-time's own", ""},
        {"the run-time's tables", small(), renumbering(Kind::process, 2, 3), "0 to 2 are the run-time's own", ""},
        {"no such item", small(), renumbering(Kind::message, 4, 0), "there is no message 4: the messages are 0 to 3", ""},
        {"errors first", with(small(), "PART3.SCE", "PRESENT 0", "PRESENT 9"), renumbering(Kind::message, 1, 0),
         "the source has 1 error", "PART3.SCE:2:18"},
        {"a container moves with its location", small(), renumbering(Kind::location, 3, 1),
         "location 3 is now 1; 1 to 2 are now 2 to 3; objects of the same numbers with them, since object 2 is a "
         "container", ""},
        {"across files", small(), renumbering(Kind::message, 3, 0),
         "message 3 is now 0; 0 to 2 are now 1 to 3; 4 references in 1 file", ""},
        {"the location limit", full_of_locations(), [](const Sources& s) { return insert(s, Kind::location, 9); },
         "there are 252 locations already", ""},
        {"the limit of the kind that moves with a container", full_of_locations(),
         [](const Sources& s) { return insert(s, Kind::object, 1); }, "there are 252 locations already", ""},
        {"a line the compiler would cut", with(small(), "PART3.SCE", " SET 5\n", long_line + "\n"),
         renumbering(Kind::flag, 5, 100), "258 characters long instead of 256", "PART3.SCE:12:1"},
        {"a line that grows within bounds", with(small(), "PART3.SCE", " SET 5\n", long_line + "\n"),
         renumbering(Kind::flag, 5, 10), "flag 5 is now 10; 2 references in 1 file", ""},
        {"still used", small(), [](const Sources& s) { return remove(s, Kind::message, 1); }, "message 1 is still used",
         "PART3.SCE:4:10"},
        {"a container's inside still used", small(), [](const Sources& s) { return remove(s, Kind::object, 1); },
         "(and location 1, which goes with it) is still used", "PART3.SCE:24:11"},
        {"into a flag in use", small(), renumbering(Kind::flag, 5, 7), "flag 7 is in use", "PART3.SCE:26:6"},
        {"flag 38 for SET", small(), renumbering(Kind::flag, 5, 38), "flag 38 may not be set", "PART3.SCE:12:6"},
        {"a flag nothing uses", small(), renumbering(Kind::flag, 9, 10), "nothing uses flag 9", ""},
        {"a table no longer read",
         with(with(with(small(), "PART3.SCE", " PROCESS 4\n", ""), "PART3.SCE", " MES 00\n", " MES 00\n PROCESS 5\n"),
              "PART3.SCE", " LET 8 1", " LET 8 1\n/PRO 5\n"),
         renumbering(Kind::process, 5, 4), "table 5 would no longer be read", ""},
        {"an item cut by a /LNK line", with(small(), "PART2.SCE", "; part two\n", "More of two.\n"),
         renumbering(Kind::message, 2, 0), "goes on in another file after a /LNK line", "GAME.SCE:"},
        {"a text line that would begin an item", small(), [](const Sources& s) { return insert(s, Kind::message, 1, "/1"); },
         "may not begin with '/'", ""},
        {"a table after the last", small(), [](const Sources& s) { return insert(s, Kind::process, 5); },
         "would not be read", ""},
        {"a text line the compiler would cut", small(),
         [](const Sources& s) { return insert(s, Kind::message, 1, "Fine.\n" + std::string(258, 'x')); },
         "258 characters long", ""},
        {"the last message", {{"GAME.SCE", testing::Sections().source()}},
         [](const Sources& s) { return remove(s, Kind::message, 0); }, "at least one message", ""},
        {"what a new object needs", small(), [](const Sources& s) { return insert(s, Kind::object, 5, "A cup."); },
         "new object 5, after the last; no references", "PART2.SCE:41:1"},
        {"a word the compiler would take for another", small(),
         [](const Sources& s) { return rename_word(s, "LAMP", "smallish"); },
         "would take smallish for SMALL (adjective 40)", "GAME.SCE:10:1"},
        {"not a word", small(), [](const Sources& s) { return rename_word(s, "LAMP", "LA-MP"); }, "is not a word", ""},
        {"a rename", small(), [](const Sources& s) { return rename_word(s, "lamp", "LANTERN"); },
         "LAMP (noun 30) is now LANTERN; 2 uses in 2 files", ""},
        {"a verb renamed", small(), [](const Sources& s) { return rename_word(s, "GET", "TAKE"); },
         "GET (verb 20) is now TAKE; 2 uses in 1 file", ""},
        {"into flag 0", small(), renumbering(Kind::flag, 5, 0), "flag 5 is now 0; 2 references in 1 file", ""},
        {"past the last flag", small(), renumbering(Kind::flag, 5, 256), "there is no flag 256: the flags are 0 to 255", ""},
        {"a flag kept", small(), renumbering(Kind::flag, 5, 5), "flag 5 keeps its number; nothing changed", ""},
        {"a flag inserted", small(), [](const Sources& s) { return insert(s, Kind::flag, 3); }, "any flag that nothing uses is free", ""},
        {"a table with a text", small(), [](const Sources& s) { return insert(s, Kind::process, 3, "Text."); }, "a table has no text", ""},
        {"a word not in the vocabulary", small(), [](const Sources& s) { return rename_word(s, "LAMB", "X"); },
         "'LAMB' is not in the vocabulary", ""},
        {"a word spelt so already", small(), [](const Sources& s) { return rename_word(s, "lamp", "LAMP"); },
         "LAMP (noun 30) is spelt LAMP already; nothing changed", ""},
        {"a container that is the last object", last_container(), [](const Sources& s) { return insert(s, Kind::object, 3); },
         "since object 3 is a container", ""},
        {"a kind that is not numbered", small(), renumbering(Kind::word, 2, 3), "only system messages, messages, objects", ""},
        {"a word deleted", small(), [](const Sources& s) { return remove(s, Kind::word, 2); }, "are numbered", ""},
        {"a flag deleted", small(), [](const Sources& s) { return remove(s, Kind::flag, 5); }, "there is none to delete", ""},
        {"below the first number", small(), renumbering(Kind::message, 0, -1), "there is no message -1: the messages are 0 to 3", ""},
        {"a run-time's message deleted", small(), [](const Sources& s) { return remove(s, Kind::sysmess, 60); },
         "system messages 0 to 60 are the run-time's own", ""},
        {"a new system message among the run-time's", small(), [](const Sources& s) { return insert(s, Kind::sysmess, 60); },
         "a new system message can be numbered 61 to 63 (system messages 0 to 60 are the run-time's own)", ""},
        {"a new message past the next number", small(), [](const Sources& s) { return insert(s, Kind::message, 5); },
         "a new message can be numbered 0 to 4", ""},
        {"two errors", with(with(small(), "PART3.SCE", "PRESENT 0", "PRESENT 9"), "PART3.SCE", "CREATE 4", "CREATE 9"),
         renumbering(Kind::message, 1, 0), "the source has 2 errors", "PART3.SCE:2:18"},
        {"texts not those compiled", small(),
         [](const Sources& s) { return renumber(Sources{s.index, {s.texts[0], s.texts[1]}}, Kind::message, 1, 0); },
         "the texts of the source files are not those the compiler read", ""},
        {"a text line that would be a comment", small(), [](const Sources& s) { return insert(s, Kind::message, 1, "Fine.\n; no"); },
         "may not begin with ';', which makes it a comment", ""},
        {"a message inserted before the last", small(), [](const Sources& s) { return insert(s, Kind::message, 3, "New."); },
         "new message 3; 3 is now 4", ""},
        {"a message inserted among them", small(), [](const Sources& s) { return insert(s, Kind::message, 1, "New."); },
         "new message 1; 1 to 3 are now 2 to 4", ""},
        {"neighbours swapped", small(), renumbering(Kind::message, 1, 2), "message 1 is now 2; 2 is now 1", ""},
        {"a message moved up", small(), renumbering(Kind::message, 0, 2), "message 0 is now 2; 1 to 2 are now 0 to 1", ""},
        {"a message deleted", with(small(), "PART3.SCE", " MESSAGE 2\n", ""),
         [](const Sources& s) { return remove(s, Kind::message, 2); }, "message 2 deleted; 3 is now 2", ""},
        {"an exit's place still used", small(), [](const Sources& s) { return remove(s, Kind::location, 3); },
         "an exit names location 3", "PART2.SCE:"},
        {"a start still used", small(), [](const Sources& s) { return remove(s, Kind::location, 2); },
         "an object's start names location 2", "PART2.SCE:"},
        {"a spelling that is not a word", small(), [](const Sources& s) { return rename_word(s, "SMALL-", "TINY"); },
         "'SMALL-' is not in the vocabulary", ""},
        {"an empty word", small(), [](const Sources& s) { return rename_word(s, "LAMP", ""); }, "'' is not a word", ""},
        {"a longer spelling of the same word", small(), [](const Sources& s) { return rename_word(s, "SMALL", "SMALLER"); },
         "SMALL (adjective 40) is now SMALLER", ""},
        {"a synonym kept", with(with(small(), "GAME.SCE", "LAMP 30 NOUN\n", "LAMP 30 NOUN\nLIGHT 30 NOUN\n"), "PART2.SCE", "_ LAMP _", "_ LIGHT _"),
         [](const Sources& s) { return rename_word(s, "LAMP", "TORCH"); }, "LAMP (noun 30) is now TORCH; 1 use in 1 file", ""},
        {"a word nothing uses", with(small(), "GAME.SCE", "KEY 32 NOUN\n", "KEY 32 NOUN\nCOIN 33 NOUN\n"),
         [](const Sources& s) { return rename_word(s, "COIN", "PENNY"); }, "COIN (noun 33) is now PENNY; no uses", ""},
        {"flag 38 only tested", with(small(), "PART3.SCE", " SET 5\n", ""), renumbering(Kind::flag, 5, 38), "flag 5 is now 38", ""},
        {"the last flag", small(), renumbering(Kind::flag, 8, 255), "flag 8 is now 255", ""},
        {"below the first flag", small(), renumbering(Kind::flag, -1, 5), "there is no flag -1", ""},
    };
    for (const auto& row : rows) {
        const std::unique_ptr<Source> s = compiled(row.files);
        const Outcome outcome = row.op(Sources{s->compiled.index, s->texts});
        const Refusal* r = std::get_if<Refusal>(&outcome);
        const Plan* plan = std::get_if<Plan>(&outcome);
        std::string said = r ? r->reason : plan->summary;
        const std::vector<Remark>& remarks = r ? r->places : plan->todo;
        for (const Remark& m : remarks)
            said.append(" / ").append(m.text);
        EXPECT_NE(said.find(row.says), std::string::npos) << row.name << ": " << said;
        if (*row.place) {
            ASSERT_FALSE(remarks.empty()) << row.name;
            EXPECT_EQ(where(*s, remarks.front().at).rfind(row.place, 0), 0u) << row.name << ": " << where(*s, remarks.front().at);
        }
        std::vector<std::string> edited;
        if (plan && !plan->moved.empty()) {
            EXPECT_TRUE(r == nullptr);
            checked(*s, outcome, edited, row.name);
        } else if (plan) {  // a word renamed: the database differs in that word
            EXPECT_FALSE(check_edited(s->compiled.index, edits::apply(*plan, s->texts))) << row.name;
        }
    }
}

}  // namespace
}  // namespace zel::edits

namespace zel::edits {
namespace {

// The check after an edit finds an error the edit would have made, and
// where; the kinds go by the names the commands spell.
TEST(Edits, CheckAfterAnEditAndTheNamesOfTheKinds) {
    const std::unique_ptr<Source> s = compiled(small());
    std::vector<std::string> broken = s->texts;
    broken[2].replace(broken[2].find("PRESENT 0"), 9, "PRESENT 9");
    const std::optional<Refusal> r = check_edited(s->compiled.index, broken);
    ASSERT_TRUE(r);
    ASSERT_EQ(r->places.size(), 1u);
    EXPECT_EQ(where(*s, r->places[0].at), "PART3.SCE:2:18");
    EXPECT_FALSE(check_edited(s->compiled.index, s->texts));
    const std::pair<const char*, Kind> names[] = {{"sysmess", Kind::sysmess}, {"message", Kind::message},
                                                  {"object", Kind::object},   {"location", Kind::location},
                                                  {"table", Kind::process},   {"flag", Kind::flag}};
    for (const auto& [name, kind] : names)
        EXPECT_EQ(kind_named(name), kind) << name;
    EXPECT_FALSE(kind_named("word"));
}

}  // namespace
}  // namespace zel::edits

namespace zel::edits {
namespace {

// A diff marks only the lines an edit changes, a last line without a line
// feed said so; and changes that touch without overlapping are one plan.
TEST(Edits, DiffsShowOnlyTheLinesChanged) {
    const std::unique_ptr<Source> s = compiled(small());
    std::vector<std::string> names;
    for (const SourceFile& f : s->compiled.index.files())
        names.push_back(f.name);
    const struct {
        int from, to;
        const char* diff;
    } rows[] = {{5, 10, "- SET 5\n+ SET 10\n  PROCESS 3\n"},
                {8, 9, "- LET 8 1\n\\ No newline at end of file\n+ LET 9 1\n\\ No newline at end of file\n"}};
    for (const auto& row : rows) {
        const Outcome outcome = renumber(Sources{s->compiled.index, s->texts}, Kind::flag, row.from, row.to);
        ASSERT_TRUE(std::holds_alternative<Plan>(outcome)) << row.from;
        const std::string diff = unified_diff(std::get<Plan>(outcome), s->texts, names);
        EXPECT_NE(diff.find(row.diff), std::string::npos) << diff;
    }
    // "NORTH" in two tokens that touch: NO and RTH.
    const TextMap map(s->compiled.index, s->texts);
    Builder b(map);
    b.token(Span{0, 4, 1, 3}, "SO", false);
    b.token(Span{0, 4, 3, 6}, "UTH", false);
    const Outcome touching = b.finish("two tokens");
    ASSERT_TRUE(std::holds_alternative<Plan>(touching)) << std::get<Refusal>(touching).reason;
    EXPECT_EQ(edits::apply(std::get<Plan>(touching), s->texts)[0].substr(12, 12), "SOUTH 2 NOUN");
}

}  // namespace
}  // namespace zel::edits
