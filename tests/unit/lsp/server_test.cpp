// The language server at the protocol level: one session on a small linked
// adventure (GAME.SCE on disk links to PART.SCE, which the editor has
// open), driven in-process through string streams, step by step.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <span>
#include <sstream>

#include "format/format.h"
#include "format/opcodes.h"
#include "lsp/describe.h"
#include "lsp/line_map.h"
#include "lsp/server.h"
#include "lsp/sources.h"
#include "lsp/uri.h"
#include "support/adventure.h"
#include "unit/lsp/session.h"

namespace zel::lsp {
namespace {

namespace fs = std::filesystem;

// The part of the adventure the editor has open, with an error to fix: a
// comment glued to a number, and a non-ASCII character where a number
// belongs (columns in UTF-16 units differ from bytes).
std::string part(bool fixed) {
    testing::Sections s;
    s.mtx = "/0\nYou are in the hall.\n/1 lit\n``The lamp is lit.``\n";
    s.con = "/0\nN 1\n/1 out\nS 0\n";
    s.pro = {"_ _ CHANCE 50\n DESC\n", std::string("GET LAMP GET 0\n MES 1") + (fixed ? " ;x\n MES 0\n" : ";x\n MES \xc3\xa9\n"),
             "_ _ ZERO 5\n LET 5 3\n PROCESS 2\n"};
    const std::string source = s.source();
    return source.substr(source.find("/STX"));
}

// The fixed part with a location that nothing leads to, its note with a
// quote, a backslash and a letter of two bytes, which lint's findings name.
std::string attic() {
    std::string text = part(true);
    text.insert(text.find("/CON"), "/2 the \"odd\" caf\xc3\xa9\\ attic\nAn attic.\n");
    return text.insert(text.find("/OBJ"), "/2\n");
}

// A message that nothing prints, with a note of a letter of two bytes.
const char* const spare_message = "/2 \xc3\xa7" "a\nNothing prints this.\n";

// The fixed part with a message nothing prints (a lint finding) and a
// misspelled word (a compile error).
std::string spare_typo() {
    std::string text = std::string(part(true)).insert(part(true).find("/OTX"), spare_message);
    return text.replace(text.find("GET LAMP"), 8, "GET LAMO");
}

// An adventure of three files of an unsaved folder: A (to /MTX, then
// /LNK B), B (to the middle of /CON, then /LNK C) and C; with one system
// message too few.
std::string burst(const std::string& name, bool few_messages) {
    testing::Sections s;
    if (few_messages)
        s.stx = testing::Sections::system_messages(60);
    const std::string source = s.source();
    const std::size_t mtx = source.find("/MTX"), split = source.find("\n/1\nS 0\n") + 1;
    if (name == "A")
        return source.substr(0, mtx) + "/LNK B\n";
    if (name == "B")
        return source.substr(mtx, split - mtx) + "/LNK C\n";
    return source.substr(split);
}

// An adventure of two files of an unsaved folder: A to /PRO, with two
// messages, then /LNK B; B the tables, which print them.
std::string two_files(const std::string& name) {
    testing::Sections s;
    s.mtx = "/0\nFirst.\n/1\nSecond.\n";
    s.pro[1] = "GET LAMP GET 0\n MESSAGE 1\n MESSAGE 0\n OK\n";
    const std::string source = s.source();
    const std::size_t pro = source.find("/PRO");
    return name == "A" ? source.substr(0, pro) + "/LNK B\n" : source.substr(pro);
}

// An adventure of two files of an unsaved folder: A to the middle of table
// 1, then /LNK B; B begins with a blank line, then an entry whose flag no
// other line uses.
std::string blank_first(const std::string& name) {
    testing::Sections s;
    s.pro[1] = "GET LAMP GET 0\n OK\n_ _ ZERO 9\n DESC\n";
    const std::string source = s.source();
    const std::size_t split = source.find("_ _ ZERO 9");
    return name == "A" ? source.substr(0, split) + "/LNK B\n" : "\n" + source.substr(split);
}

// An adventure on disk in a one-byte character set to /PRO, its texts
// with an e acute of Latin-1, linking to tables the editor has open.
std::string latin(const std::string& name) {
    testing::Sections s;
    s.mtx = "/0\nOne.\n/1\nCaf\xe9.\n";
    s.pro[1] = "GET LAMP GET 0\n MES 1\n MES 0\n";
    const std::string source = s.source();
    const std::size_t pro = source.find("/PRO");
    return name == "LATIN" ? source.substr(0, pro) + "/LNK LTABLES\n" : source.substr(pro);
}

std::string game() {
    const std::string source = testing::Sections().source();
    return source.substr(0, source.find("/STX")) + "/LNK PART\n";
}

class LanguageServer : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("zel lsp test " + std::to_string(::getpid()));
        fs::create_directories(folder_);
        std::ofstream(folder_ / "GAME.SCE") << game();
        std::ofstream(folder_ / "PART.SCE") << part(true);
        // Sources the search for PART's adventure meets first: it must pass
        // over them unopened, or wait for a writer and read for ever.
        ::mkfifo((folder_ / "AAA.SCE").c_str(), 0600);
        fs::create_symlink("/dev/zero", folder_ / "AAB.SCE");
    }
    void TearDown() override { fs::remove_all(folder_); }

    // As editors write them: percent-encoded (the folder's name has a blank).
    std::string uri(const char* name, const char* host = "") const {
        std::string path = (folder_ / name).string();
        for (std::size_t at; (at = path.find(' ')) != std::string::npos;)
            path.replace(at, 1, "%20");
        return "file://" + std::string(host) + path;
    }

    // A message body with its placeholders filled in: @PART and @GAME for
    // the URIs, @TEXT for the erroneous text, @FIXED for the fixed one, @SPARE
    // for the fixed one with a message nothing prints (its note "ça"), @AT(text,k) for the position
    // k characters into the first occurrence of text in the fixed part; @LOST
    // for a root the editor opens as file://localhost/..., @LINKING, @ASTRAY,
    // @SHORT and @ROOMS for texts of it: linking PART, linking a missing file,
    // short of system messages, and three locations (@EXIT: the start of the
    // first exit line); @TYPO for the fixed part with LAMP and SMALL misspelled; @NOTWO
    // for a source that ends after table 1, whose last line is @LASTLINE;
    // @LONG with a line longer than the compiler reads, @MANY with it after
    // 1010 errors; @CAFE for one with a letter of two bytes in UTF-8 in a message (@EMOJI:
    // a backslash, half a surrogate pair and two whole pairs in its place);
    // @MISNUMBERED with message 1 numbered 4; @ATTIC with a location nothing
    // leads to; @LINE(text) for the line of the first occurrence of text in
    // the fixed part.
    std::string filled(std::string body) const {
        auto replace = [&](const std::string& from, const std::string& to) {
            for (std::size_t at; (at = body.find(from)) != std::string::npos;)
                body.replace(at, from.size(), to);
        };
        replace("@PART", uri("PART.SCE"));
        replace("@GAME", uri("GAME.SCE"));
        replace("@LOST", uri("LOST.SCE", "localhost"));
        replace("@LINKING", json(game()).dump());
        testing::Sections few_messages;
        few_messages.stx = testing::Sections::system_messages(60);
        replace("@SHORT", json(few_messages.source()).dump());
        testing::Sections no_table_2;
        no_table_2.pro.pop_back();
        const std::string two_tables = no_table_2.source();
        replace("@NOTWO", json(two_tables).dump());
        testing::Sections accented;
        accented.mtx = "/0\nCaf\xc3\xa9.\n";
        testing::Sections many;
        many.mtx = "/0\n";
        for (int i = 0; i < 60; ++i)
            many.mtx += "word ";
        many.mtx += "\n";
        replace("@LONG", json(many.source()).dump());
        for (int i = 0; i < 1010; ++i)
            many.voc += "X 1 BAD\n";
        replace("@MANY", json(many.source()).dump());
        std::string emoji = json(accented.source()).dump();
        replace("@EMOJI", emoji.replace(emoji.find("\xc3\xa9"), 2, "\\\\\\udc00\\ud83d\\ude00\\udbff\\udfff"));
        replace("@CAFE", json(accented.source()).dump());
        replace("@LASTLINE", std::to_string(std::count(two_tables.begin(), two_tables.end(), '\n') - 1));
        replace("@ASTRAY", json(game().replace(game().rfind("PART"), 4, "NOWHERE")).dump());
        const std::string rooms = testing::Sections::three_locations().source();
        replace("@ROOMS", json(rooms).dump());
        const std::size_t exit = rooms.find("\nN 1\n") + 1;
        replace("@EXIT", json{{"line", std::count(rooms.begin(), rooms.begin() + static_cast<long>(exit), '\n')}, {"character", 0}}.dump());
        replace("@TYPO", json(std::string(part(true)).replace(part(true).find("GET LAMP"), 8, "GET LAMO").replace(part(true).find("BOX SMALL"), 9, "BOX SMALX")).dump());
        replace("@SPARETYPO", json(spare_typo()).dump());
        replace("@LTABLES", uri("LTABLES.SCE"));
        replace("@LATINTABLES", json(latin("LTABLES")).dump());
        replace("@BLANKA", json(blank_first("A")).dump());
        replace("@BLANKB", json(blank_first("B")).dump());
        replace("@TWOA", json(two_files("A")).dump());
        replace("@TWOB", json(two_files("B")).dump());
        for (const char* name : {"A", "B", "C"}) {
            replace(std::string("@BURST") + name, json(burst(name, false)).dump());
            replace(std::string("@FEW") + name, json(burst(name, true)).dump());
        }
        replace("@MISSPELTA", json(burst("A", false).replace(burst("A", false).find("/LNK B"), 6, "/LNK BX")).dump());
        replace("@TEXT", json(part(false)).dump());
        replace("@FIXED", json(part(true)).dump());
        replace("@SPARE", json(std::string(part(true)).insert(part(true).find("/OTX"), spare_message)).dump());
        replace("@ATTIC", json(attic()).dump());
        replace("@MISNUMBERED", json(std::string(part(true)).replace(part(true).find("/1 lit"), 2, "/4")).dump());
        for (std::size_t at; (at = body.find("@LINE(")) != std::string::npos;) {
            const std::size_t close = body.find(')', at);
            const std::string text = part(true);
            const auto line = std::count(text.begin(), text.begin() + static_cast<long>(text.find(body.substr(at + 6, close - at - 6))), '\n');
            body.replace(at, close + 1 - at, std::to_string(line));
        }
        for (std::size_t at; (at = body.find("@AT(")) != std::string::npos;) {
            const std::size_t comma = body.find(',', at), close = body.find(')', comma);
            const std::string text = part(true);
            const std::size_t offset = text.find(body.substr(at + 4, comma - at - 4)) + std::stoul(body.substr(comma + 1));
            const std::size_t line_start = text.rfind('\n', offset - 1) + 1;
            const json position{{"line", std::count(text.begin(), text.begin() + static_cast<long>(offset), '\n')},
                                {"character", offset - line_start}};
            body.replace(at, close + 1 - at, position.dump());
        }
        return body;
    }

    void run_steps(Server& server, std::span<const Step> session);

    fs::path folder_;
};

// A request whose params nest `depth` arrays deep.
std::string nested(int id, int depth) {
    return request(id, "textDocument/hover", "{\"x\":" + std::string(static_cast<std::size_t>(depth), '[') +
                                                 std::string(static_cast<std::size_t>(depth), ']') + "}");
}
// A request of a method of textDocument/ on a document that is not open.
std::string on_gone(int id, const std::string& method) {
    return request(id, "textDocument/" + method,
                   R"({"textDocument":{"uri":"mem:/gone/G.SCE"},"position":{"line":0,"character":0},"range":{"start":{"line":0,"character":0},"end":{"line":0,"character":0}},"newName":"X"})");
}
// n requests of no method, ids 100 on, framed one after the other.
std::string many_frames(int n) {
    std::string frames;
    for (int id = 100; id < 100 + n; ++id)
        frames += frame(request(id, "no/such", "{}"));
    return frames;
}
std::string at_part(const std::string& position) { return R"({"textDocument":{"uri":"@PART"},"position":)" + position + "}"; }
std::string at_lines(const std::string& start, const std::string& end) {
    return R"({"textDocument":{"uri":"@PART"},"range":{"start":)" + start + R"(,"end":)" + end + "}}";
}

const Step steps[] = {
    {"initialize", {request(1, "initialize", R"({"capabilities":{"workspace":{"workspaceEdit":{"documentChanges":true}},"textDocument":{"codeAction":{"resolveSupport":{"properties":["edit"]}}}},"initializationOptions":{"inlayHints":{"width":12}}})"), notice("initialized", "{}")}, "id:1",
     "/result/capabilities/positionEncoding", "utf-16"},
    {"initialize again", {request(60, "initialize", "{}")}, "id:60", "/error/message", "already initialized"},
    {"a notification that fails, unanswered", {notice("textDocument/didOpen", R"({"textDocument":{"uri":"mem:/gone/G.SCE"}})")}, "none", "", ""},
    {"requests on a document not open", {on_gone(61, "hover"), on_gone(62, "definition"), on_gone(63, "references"), on_gone(64, "documentSymbol"),
                                         on_gone(65, "foldingRange"), on_gone(66, "completion"), on_gone(67, "codeAction"), on_gone(68, "prepareRename"),
                                         on_gone(69, "rename"), on_gone(70, "inlayHint"), on_gone(71, "signatureHelp"), on_gone(72, "documentHighlight"),
                                         on_gone(73, "semanticTokens/full"), on_gone(74, "semanticTokens/range")},
     "id:61", "/result", "null"},
    {"", {}, "id:62", "/result", "null"},
    {"", {}, "id:63", "/result", "null"},
    {"", {}, "id:64", "/result", "[]"},
    {"", {}, "id:65", "/result", "[]"},
    {"", {}, "id:66", "/result", "[]"},
    {"", {}, "id:67", "/result", "[]"},
    {"", {}, "id:68", "/result", "null"},
    {"", {}, "id:69", "/error/message", "not part of an adventure"},
    {"", {}, "id:70", "/result", "[]"},
    {"", {}, "id:71", "/result", "null"},
    {"", {}, "id:72", "/result", "null"},
    {"", {}, "id:73", "/result/data", "[]"},
    {"", {}, "id:74", "/result/data", "[]"},
    {"a change to a document not open, and its closing", {notice("textDocument/didChange", R"({"textDocument":{"uri":"mem:/gone/G.SCE"},"contentChanges":[{"text":""}]})"),
                                                         notice("textDocument/didClose", R"({"textDocument":{"uri":"mem:/gone/G.SCE"}})")}, "none", "", ""},
    {"open with errors", {notice("textDocument/didOpen", R"({"textDocument":{"uri":"@PART","languageId":"zel","version":1,"text":@TEXT}})")},
     "uri:PART.SCE", "/params/diagnostics", R"("code":17)"},
    {"note as related information", {}, "uri:PART.SCE", "/params/diagnostics/0/relatedInformation/0/message", "blank before ';'"},
    {"columns in UTF-16 units", {}, "uri:PART.SCE", "/params/diagnostics/1/range/end/character", "6"},
    {"the rest of the chain too", {}, "uri:GAME.SCE", "/params/diagnostics", "[]"},
    {"its URI percent-encoded", {}, "uri:GAME.SCE", "/params/uri", "zel%20lsp%20test%20"},
    {"quick fix", {request(2, "textDocument/codeAction", R"({"textDocument":{"uri":"@PART"},"range":{"start":@AT(MES 1,0),"end":@AT(MES 1,0)},"context":{"diagnostics":[]}})")},
     "id:2", "/result/0", R"("newText":" ")"},
    {"fixed", {notice("textDocument/didChange", R"({"textDocument":{"uri":"@PART","version":2},"contentChanges":[{"text":@FIXED}]})")},
     "uri:PART.SCE", "/params", R"("diagnostics":[])"},
    {"hover on a message number", {request(3, "textDocument/hover", at_part("@AT(MES 1,4)"))}, "id:3", "/result/contents/value", "The lamp is lit."},
    {"a fence longer than the text's backticks", {}, "id:3", "/result/contents/value", R"(\n```text\n``The)"},
    {"hover on an action", {request(4, "textDocument/hover", at_part("@AT(MES 1,1)"))}, "id:4", "/result/contents/value", "opcode 77"},
    {"hover on a flag", {request(5, "textDocument/hover", at_part("@AT(ZERO 5,5)"))}, "id:5", "/result/contents/value", "used on 2 lines"},
    {"the lines it is used on", {}, "id:5", "/result/contents/value", "  _ _ ZERO 5"},
    {"hover on an object", {request(6, "textDocument/hover", at_part("@AT(GET 0,4)"))}, "id:6", "/result/contents/value", "noun LAMP"},
    {"hover on a word", {request(21, "textDocument/hover", at_part("@AT(GET LAMP,1)"))}, "id:21", "/result/contents/value", "**GET**: word "},
    {"completion of a word begun at the line's start", {request(22, "textDocument/completion", at_part("@AT(GET LAMP,1)"))}, "id:22",
     "/result/0/textEdit/range/start", "@AT(GET LAMP,0)"},
    {"definition of a message", {request(7, "textDocument/definition", at_part("@AT(MES 1,4)"))}, "id:7", "/result/0/range/start",
     "@AT(/1 lit,0)"},
    {"references across the chain", {request(8, "textDocument/references", R"({"textDocument":{"uri":"@PART"},"position":@AT(GET LAMP,4),"context":{"includeDeclaration":true}})")},
     "id:8", "/result", "GAME.SCE"},
    {"prepareRename on a word", {request(30, "textDocument/prepareRename", at_part("@AT(GET LAMP,5)"))}, "id:30", "/result/placeholder", R"("LAMP")"},
    {"prepareRename on an item's /n", {request(31, "textDocument/prepareRename", at_part("@AT(/1 lit,1)"))}, "id:31", "/result/range/start", "@AT(/1 lit,1)"},
    {"prepareRename refused on a table the run-time calls", {request(32, "textDocument/prepareRename", at_part("@AT(PROCESS 2,8)"))}, "id:32", "/error/message", "run-time's own"},
    {"as a request that failed", {}, "id:32", "/error/code", "-32803"},
    {"rename of a word across the chain", {request(33, "textDocument/rename", R"({"textDocument":{"uri":"@PART"},"position":@AT(GET LAMP,5),"newName":"LANTERN"})")},
     "id:33", "/result/documentChanges/0/textDocument", R"(GAME.SCE","version":null})"},
    {"with the open document's version", {}, "id:33", "/result/documentChanges/1/textDocument/version", "2"},
    {"and the word's uses", {}, "id:33", "/result/documentChanges/1/edits", R"("newText":"LANTERN")"},
    {"a word the compiler would take for another", {request(34, "textDocument/rename", R"({"textDocument":{"uri":"@PART"},"position":@AT(GET LAMP,5),"newName":"get"})")},
     "id:34", "/error/message", "would take get for GET"},
    {"actions on an item", {request(35, "textDocument/codeAction", R"({"textDocument":{"uri":"@PART"},"range":{"start":@AT(/1 lit,0),"end":@AT(/1 lit,0)},"context":{"diagnostics":[]}})")},
     "id:35", "/result/2/title", "Move message 1 up, to 0"},
    {"not down past the last", {}, "id:35", "/result", "!down"},
    {"their edits made when chosen", {request(36, "codeAction/resolve", R"({"title":"Move message 1 up, to 0","data":{"zel":"item","uri":"@PART","op":"move","kind":2,"number":1,"to":0}})")},
     "id:36", "/result/edit/documentChanges/0/edits", R"("newText":"0")"},
    {"outline", {request(9, "textDocument/documentSymbol", R"({"textDocument":{"uri":"@PART"}})")}, "id:9", "/result", R"("name":"GET LAMP")"},
    {"items of the first section inside it", {}, "id:9", "/result/0/children/0/name", R"("/0")"},
    {"folding", {request(10, "textDocument/foldingRange", R"({"textDocument":{"uri":"@PART"}})")}, "id:10", "/result", R"("endLine")"},
    {"completion of a name", {request(11, "textDocument/completion", at_part("@AT( MES 1,1)"))}, "id:11", "/result", R"("detail":"MESSAGE message")"},
    {"completion of a number", {request(12, "textDocument/completion", at_part("@AT(MES 1,4)"))}, "id:12", "/result", R"("detail":"``The lamp is lit.``")"},
    {"completion of a process table", {request(18, "textDocument/completion", at_part("@AT(PROCESS 2,8)"))}, "id:18", "/result", R"("label":"2")"},
    {"completion past an object's weight", {request(19, "textDocument/completion", at_part("@AT(/0 0 5,5)"))}, "id:19", "/result", "[]"},
    {"inlay hints: a message's text, cut at a word to the width asked for", {request(30, "textDocument/inlayHint", at_lines("{\"line\":0,\"character\":0}", "{\"line\":999,\"character\":0}"))},
     "id:30", "/result", R"("label":"``The lamp…","paddingLeft":true,"position":@AT(MES 1,5))"},
    {"an object line shows its object's text", {}, "id:30", "/result", R"("label":"A lamp.","paddingLeft":true,"position":@AT(/0 0 5,2))"},
    {"and a location line its location's", {}, "id:30", "/result", R"("label":"You are…","paddingLeft":true,"position":@AT(/1 out,2))"},
    {"a table its entries", {}, "id:30", "/result", R"("label":"1 entry")"},
    {"the width set again", {notice("workspace/didChangeConfiguration", R"({"settings":{"zel":{"inlayHints":{"width":40}}}})"),
                             request(31, "textDocument/inlayHint", at_lines("@AT(MES 1,0)", "@AT(MES 1,5)"))},
     "id:31", "/result", R"([{"label":"``The lamp is lit.``")"},
    {"signature help: the kinds of the parameters", {request(32, "textDocument/signatureHelp", at_part("@AT(LET 5 3,6)"))}, "id:32", "/result/signatures/0/label", "LET flag, value"},
    {"and the one at the cursor", {}, "id:32", "/result/activeParameter", "1"},
    {"still the first just past it", {request(50, "textDocument/signatureHelp", at_part("@AT(LET 5 3,5)"))}, "id:50", "/result/activeParameter", "0"},
    {"with the range of this adventure", {request(33, "textDocument/signatureHelp", at_part("@AT(MES 1,4)"))}, "id:33",
     "/result/signatures/0/parameters/0", R"("documentation":"message 0 to 1","label":[4,11])"},
    {"document highlight: a flag read and written", {request(34, "textDocument/documentHighlight", at_part("@AT(ZERO 5,5)"))}, "id:34", "/result",
     R"([{"kind":2,"range":{"end":@AT(ZERO 5,6),"start":@AT(ZERO 5,5)}},{"kind":3,"range":{"end":@AT(LET 5 3,5),"start":@AT(LET 5 3,4)}}])"},
    {"a text's definition written", {request(35, "textDocument/documentHighlight", at_part("@AT(MES 1,4)"))}, "id:35", "/result/0", R"({"kind":3,"range":{"end":@AT(/1 lit,2))"},
    {"workspace symbols: items by number and note", {request(36, "workspace/symbol", R"({"query":"lit"})")}, "id:36", "/result/0/name", R"("message 1 lit")"},
    {"filtered by the query", {}, "id:36", "/result", "!GET LAMP"},
    {"every word of the chain", {request(37, "workspace/symbol", R"({"query":"lamp"})")}, "id:37", "/result", R"(GAME.SCE"},"name":"LAMP")"},
    {"those that begin with the query first", {request(51, "workspace/symbol", R"({"query":"n"})")}, "id:51", "/result/0/name", R"("NORTH")"},
    {"semantic tokens: a message apart from a flag and a value", {request(38, "textDocument/semanticTokens/full", R"({"textDocument":{"uri":"@PART"}})")},
     "id:38", "/result/data", ",1,3,6,8,0,4,1,10,0,"},
    {"a flag stored into, and a value", {}, "id:38", "/result/data", ",1,3,6,8,0,4,1,4,2,0,2,1,11,0,"},
    {"an item and its note", {}, "id:38", "/result/data", ",0,2,10,1,0,3,3,9,4,"},
    {"only the lines of a range", {request(39, "textDocument/semanticTokens/range", at_lines("@AT(LET 5 3,0)", "@AT(LET 5 3,7)"))}, "id:39", "/result/data",
     "[@LINE(LET 5 3),1,3,6,8,0,4,1,4,2,0,2,1,11,0]"},
    {"hover on a section header", {request(40, "textDocument/hover", at_part("@AT(/MTX,1)"))}, "id:40", "/result/contents/value", "**/MTX**: messages, 2 (at most 255)"},
    {"on a table's header", {request(41, "textDocument/hover", at_part("@AT(/PRO 2,1)"))}, "id:41", "/result/contents/value", "process table 2, 1 entry"},
    {"on CHANCE n", {request(42, "textDocument/hover", at_part("@AT(CHANCE 50,7)"))}, "id:42", "/result/contents/value", "about 50 times in 100"},
    {"on a value, with its flag", {request(43, "textDocument/hover", at_part("@AT(LET 5 3,6)"))}, "id:43", "/result/contents/value", "with flag 5, used on 2 lines"},
    {"completion of a flag with its lines", {request(44, "textDocument/completion", at_part("@AT(LET 5 3,4)"))}, "id:44", "/result/0",
     R"("detail":"flag used on 2 lines")"},
    {"not JSON", {"{nonsense"}, "id:null", "/error/code", "-32700"},
    {"not an object", {"[1,2]"}, "id:null", "/error/code", "-32600"},
    {"empty body", {"RAW", "Content-Length: 0\r\n\r\n"}, "id:null", "/error/message", "not JSON"},
    {"not JSON-RPC 2.0", {R"({"jsonrpc":"1.0","id":20,"method":"shutdown"})"}, "id:20", "/error/code", "-32600"},
    {"responses from the client", {R"({"jsonrpc":"2.0","id":99,"result":null})", R"({"jsonrpc":"2.0","id":98,"error":{"code":1,"message":"no"}})"}, "none", "", ""},
    {"no Content-Length", {"RAW", "Content-Type: x\r\n\r\n"}, "id:null", "/error/code", "-32700"},
    {"unknown method", {request(13, "textDocument/unknown", "{}")}, "id:13", "/error/code", "-32601"},
    {"unknown notification", {notice("$/unknown", "{}")}, "none", "", ""},
    {"params neither an object nor an array", {R"({"jsonrpc":"2.0","id":80,"method":"shutdown","params":5})"}, "id:80", "/error/message", "params must be"},
    {"a method that is not a string", {R"({"jsonrpc":"2.0","id":81,"method":5})"}, "id:81", "/error/message", "method must be a string"},
    {"a request whose id is null", {R"({"jsonrpc":"2.0","id":null,"method":"shutdown"})"}, "id:null", "/error/message", "a request needs an id"},
    {"an id neither a number nor a string", {R"({"jsonrpc":"2.0","id":true,"method":"shutdown"})"}, "id:null", "/error/message", "an id must be"},
    {"neither a request nor a response", {R"({"jsonrpc":"2.0","id":82})"}, "id:82", "/error/message", "neither a request"},
    {"a negative id, params an array", {request(-83, "no/such", "[]")}, "id:-83", "/error/code", "-32601"},
    {"a notification nested too deep, unanswered", {R"({"jsonrpc":"2.0","method":"x","params":{"a":null,"b":true,"c":1.5,"d":-1,"e":"s","x":)" + std::string(70, '[') + std::string(70, ']') + "}}"},
     "none", "", ""},
    {"a deep text that is not JSON", {std::string(70, '[')}, "id:null", "/error/code", "-32600"},
    {"a deep request of a string id", {R"({"jsonrpc":"2.0","id":"deep","method":"x","params":)" + std::string(70, '[') + std::string(70, ']') + "}"},
     R"(id:"deep")", "/error/code", "-32600"},
    {"an escape that is not hex beside half a pair", {R"({"jsonrpc":"2.0","id":87,"method":"x","params":{"t":"\u00zz\ud800"}})"}, "id:null", "/error/code", "-32700"},
    {"more messages at once than are read ahead", {"RAW", many_frames(70)}, "id:169", "/error/code", "-32601"},
    {"a line break in a body", {"{\"jsonrpc\":\"2.0\",\r\n\"id\": 84\n,\"method\":\"no/such\"}"}, "id:84", "/error/code", "-32601"},
    {"blank lines before a message", {"RAW", "\r\n\r\n" + frame(request(85, "no/such", "{}"))}, "id:85", "/error/code", "-32601"},
    {"a header line longer than any", {"RAW", "X-Long: " + std::string(3000, 'x') + "\r\nA: b\r\n" + frame(request(86, "no/such", "{}"))}, "id:86", "/error/code", "-32601"},
    {"blanks about the length, line feeds alone", {"RAW", "Content-Length:\t2 \t\n\n{}"}, "id:null", "/error/code", "-32600"},
    {"a length that is not a number, or none", {"RAW", "Content-Length: 2x\r\n\r\nContent-Length: \r\n\r\n"}, "id:null", "/error/message", "without Content-Length"},
    {"a body cut short by the end", {"RAW", "Content-Length: 30\r\n\r\n{}"}, "none", "", ""},
    {"invalid params", {request(14, "textDocument/hover", R"({"textDocument":{"uri":"@PART"}})")}, "id:14", "/error/code", "-32602"},
    {"cancelled while waiting", {request(15, "textDocument/hover", at_part("@AT(MES 1,4)")), notice("$/cancelRequest", R"({"id":15})"), notice("$/cancelRequest", "{}"),
                                 notice("$/cancelRequest", "null")},
     "id:15", "/error/code", "-32800"},
    {"lint's findings", {notice("textDocument/didChange", R"({"textDocument":{"uri":"@PART","version":3},"contentChanges":[{"text":@SPARE}]})")},
     "uri:PART.SCE", "/params/diagnostics", R"("code":"unused-message")"},
    {"as warnings", {}, "uri:PART.SCE", "/params/diagnostics/0", R"("severity":2,"source":"zeltool lint")"},
    {"lint's findings stand while an error is typed", {notice("textDocument/didChange", R"({"textDocument":{"uri":"@PART","version":30},"contentChanges":[{"text":@SPARETYPO}]})")},
     "uri:PART.SCE", "/params/diagnostics", R"("code":"unused-message")"},
    {"and a change publishes them once, with the compiler's", {notice("textDocument/didChange", R"({"textDocument":{"uri":"@PART","version":31},"contentChanges":[{"text":@SPARE}]})")},
     "every-uri:PART.SCE", "/params/diagnostics", R"("code":"unused-message")"},
    {"documents of an unsaved folder opened in a burst", {notice("textDocument/didOpen", R"({"textDocument":{"uri":"mem:/burst/A.SCE","version":1,"text":@BURSTA}})"),
                                                          notice("textDocument/didOpen", R"({"textDocument":{"uri":"mem:/burst/B.SCE","version":1,"text":@BURSTB}})"),
                                                          notice("textDocument/didOpen", R"({"textDocument":{"uri":"mem:/burst/C.SCE","version":1,"text":@BURSTC}})")},
     "uri:burst/B.SCE", "/params/diagnostics", R"(!"severity":1)"},
    {"the last of them too", {}, "uri:burst/C.SCE", "/params/diagnostics", R"(!"severity":1)"},
    {"an item whose section began in another file, apart", {request(91, "textDocument/documentSymbol", R"({"textDocument":{"uri":"mem:/burst/C.SCE"}})")},
     "id:91", "/result/4/name", R"("/1")"},
    {"a file that begins with a blank line", {notice("textDocument/didOpen", R"({"textDocument":{"uri":"mem:/blank/A.SCE","version":1,"text":@BLANKA}})"),
                                              notice("textDocument/didOpen", R"({"textDocument":{"uri":"mem:/blank/B.SCE","version":1,"text":@BLANKB}})")},
     "uri:blank/B.SCE", "/params/diagnostics/0", R"("code":"lone-flag")"},
    {"a line typed on top of it, the finding below carried down", {notice("textDocument/didChange", R"({"textDocument":{"uri":"mem:/blank/B.SCE","version":2},"contentChanges":[{"range":{"start":{"line":0,"character":0},"end":{"line":0,"character":0}},"text":";\n"}]})")},
     "every-uri:blank/B.SCE", "/params/diagnostics/0/range/start", R"({"character":9,"line":2})"},
    {"a file named in another case", {notice("textDocument/didOpen", R"({"textDocument":{"uri":"mem:/case/A.SCE","version":1,"text":@TWOA}})"),
                                      notice("textDocument/didOpen", R"({"textDocument":{"uri":"mem:/case/b.sce","version":1,"text":@TWOB}})")},
     "uri:case/A.SCE", "/params/diagnostics", "[]"},
    {"a message renumbered in the file of its texts", {notice("textDocument/didOpen", R"({"textDocument":{"uri":"mem:/two/A.SCE","version":7,"text":@TWOA}})"),
                                                       notice("textDocument/didOpen", R"({"textDocument":{"uri":"mem:/two/B.SCE","version":8,"text":@TWOB}})"),
                                                       request(37, "textDocument/rename", R"({"textDocument":{"uri":"mem:/two/B.SCE"},"position":{"line":4,"character":9},"newName":"0"})")},
     "id:37", "/result/documentChanges/0/edits", R"("newText":"/0\nSecond.\n")"},
    {"and in the file of its uses, with every message that moves", {}, "id:37", "/result/documentChanges/1", R"("edits":[{"newText":"0")"},
    {"every one", {}, "id:37", "/result/documentChanges/1/edits/1/newText", R"("1")"},
    {"each file's version", {}, "id:37", "/result/documentChanges/1/textDocument/version", "8"},
    {"an error of no line, in the file of its section", {notice("textDocument/didChange", R"({"textDocument":{"uri":"mem:/burst/A.SCE","version":2},"contentChanges":[{"text":@FEWA}]})")},
     "uri:burst/A.SCE", "/params/diagnostics/0/code", "31"},
    {"not in the file open when it was found", {}, "uri:burst/B.SCE", "/params/diagnostics", R"(!"code":31)"},
    {"a misspelt link, with the name meant", {notice("textDocument/didChange", R"({"textDocument":{"uri":"mem:/burst/A.SCE","version":3},"contentChanges":[{"text":@MISSPELTA}]})")},
     "uri:burst/A.SCE", "/params/diagnostics/0/relatedInformation", "did you mean B?"},
    {"the file it was meant for told so, not compiled alone", {}, "uri:burst/B.SCE", "/params/diagnostics", "is not read: the /LNK line of A.SCE names BX.SCE"},
    {"a file opened behind a misspelt link", {notice("textDocument/didOpen", R"({"textDocument":{"uri":"mem:/astray/A.SCE","version":1,"text":@MISSPELTA}})"),
                                              notice("textDocument/didOpen", R"({"textDocument":{"uri":"mem:/astray/B.SCE","version":1,"text":@BURSTB}})")},
     "uri:astray/B.SCE", "/params/diagnostics", "is not read: the /LNK line of A.SCE names BX.SCE"},
    {"one behind a misspelt link, an adventure of its own", {notice("textDocument/didOpen", R"({"textDocument":{"uri":"mem:/own/A.SCE","version":1,"text":@MISSPELTA}})"),
                                                            notice("textDocument/didOpen", R"({"textDocument":{"uri":"mem:/own/B.SCE","version":1,"text":@CAFE}})")},
     "uri:own/B.SCE", "/params/diagnostics", "(U+00E9)"},
    {"a finding disabled on the line before", {request(45, "textDocument/codeAction", R"({"textDocument":{"uri":"@PART"},"range":{"start":@AT(/OTX,0),"end":@AT(/OTX,0)},"context":{"diagnostics":[]}})")},
     "id:45", "/result", R"("newText":";zel-lint: disable-next unused-message\n","range":{"end":@AT(/OTX,0),"start":@AT(/OTX,0)})"},
    {"or in the whole file", {}, "id:45", "/result", R"("newText":";zel-lint: disable unused-message\n","range":{"end":{"character":0,"line":0})"},
    {"the last message removed, nothing printing it", {}, "id:45", "/result",
     R"("newText":"","range":{"end":@AT(A lamp,0),"start":@AT(/OTX,0)}}]}},"kind":"quickfix","title":"Remove the unused message 2")"},
    {"a note's length in UTF-16 units", {request(49, "textDocument/semanticTokens/full", R"({"textDocument":{"uri":"@PART"}})")}, "id:49", "/result/data",
     ",0,2,10,1,0,3,2,9,4,"},
    {"a finding that names a location by its note, quotes and all", {notice("textDocument/didChange", R"({"textDocument":{"uri":"@PART","version":32},"contentChanges":[{"text":@ATTIC}]})")},
     "uri:PART.SCE", "/params/diagnostics", "location 2 (the \\\"odd\\\" caf\xc3\xa9\\\\ attic) cannot be reached"},
    {"an item numbered out of turn", {notice("textDocument/didChange", R"({"textDocument":{"uri":"@PART","version":32},"contentChanges":[{"text":@MISNUMBERED}]})")},
     "uri:PART.SCE", "/params/diagnostics/0/code", "23"},
    {"renumbered as expected, the follow-on error no fault of the line", {request(46, "textDocument/codeAction", R"({"textDocument":{"uri":"@PART"},"range":{"start":@AT(/1 lit,1),"end":@AT(/1 lit,1)},"context":{"diagnostics":[]}})")},
     "id:46", "/result/0/edit", R"("newText":"/1","range":{"end":@AT(/1 lit,2),"start":@AT(/1 lit,0)})"},
    {"completion of the item number due", {request(47, "textDocument/completion", at_part("@AT(/1 lit,1)"))}, "id:47", "/result/0", R"("label":"/1","preselect":true)"},
    {"and of the headers due from there", {}, "id:47", "/result/1/label", R"("/OTX")"},
    {"not of those before", {}, "id:47", "/result", "!\"/MTX\""},
    {"a root the editor has open", {notice("textDocument/didOpen", R"({"textDocument":{"uri":"@LOST","languageId":"zel","version":1,"text":@LINKING}})")},
     "uri:LOST.SCE", "/params", R"("diagnostics":[])"},
    {"a misspelled word", {notice("textDocument/didChange", R"({"textDocument":{"uri":"@PART","version":4},"contentChanges":[{"text":@TYPO}]})")},
     "uri:PART.SCE", "/params/diagnostics/0/code", "5"},
    {"signature help on a line that has not compiled", {request(48, "textDocument/signatureHelp", at_part("@AT( MES 0,5)"))}, "id:48", "/result/signatures/0/label", "MES message"},
    {"replaced by the word meant, letters up to the blank", {request(23, "textDocument/codeAction", R"({"textDocument":{"uri":"@PART"},"range":{"start":@AT(GET LAMP,4),"end":@AT(GET LAMP,4)},"context":{"diagnostics":[]}})")},
     "id:23", "/result/0/edit", R"("newText":"LAMP","range":{"end":@AT(GET LAMP,8))"},
    {"no edit while an error stands", {request(38, "textDocument/rename", R"({"textDocument":{"uri":"@PART"},"position":@AT(GET LAMP,1),"newName":"TAKE"})")},
     "id:38", "/error/message", "the source has 2 errors, and an edit could miss"},
    {"told where it is", {}, "id:38", "/error/message", R"(correct them first\nPART.SCE:)"},
    {"and at the end of its line", {request(29, "textDocument/codeAction", R"({"textDocument":{"uri":"@PART"},"range":{"start":@AT(BOX SMALL,5),"end":@AT(BOX SMALL,5)},"context":{"diagnostics":[]}})")},
     "id:29", "/result/0/edit", R"("newText":"SMALL","range":{"end":@AT(BOX SMALL,9))"},
    {"a document closed, its diagnostics taken back", {notice("textDocument/didClose", R"({"textDocument":{"uri":"@PART"}})")}, "uri:PART.SCE", "/params/diagnostics", "[]"},
    {"and opened again", {notice("textDocument/didOpen", R"({"textDocument":{"uri":"@PART","version":4,"text":@TYPO}})")}, "uri:PART.SCE", "/params/diagnostics/0/code", "5"},
    {"a message longer than the server takes, cut short", {"RAW", "Content-Length: 134217729\r\n\r\nshort"}, "none", "", ""},
    {"a link to a missing file", {notice("textDocument/didChange", R"({"textDocument":{"uri":"@LOST","version":2},"contentChanges":[{"text":@ASTRAY}]})")},
     "uri:LOST.SCE", "/params/diagnostics/0", R"("range":{"end":{"character":12,"line":11})"},
    {"too few system messages, shown on /STX", {notice("textDocument/didChange", R"({"textDocument":{"uri":"@LOST","version":3},"contentChanges":[{"text":@SHORT}]})")},
     "uri:LOST.SCE", "/params/diagnostics/0/range/start", R"("line":11)"},
    {"a missing table at the end, shown on the last line", {notice("textDocument/didChange", R"({"textDocument":{"uri":"@LOST","version":4},"contentChanges":[{"text":@NOTWO}]})")},
     "uri:LOST.SCE", "/params/diagnostics/0/range/start", R"("line":@LASTLINE)"},
    {"with the tables always required", {}, "uri:LOST.SCE", "/params/diagnostics/0/relatedInformation/0/message", "0, 1 and 2 are always"},
    {"one warning for a letter written in UTF-8", {notice("textDocument/didChange", R"({"textDocument":{"uri":"@LOST","version":5},"contentChanges":[{"text":@CAFE}]})")},
     "uri:LOST.SCE", "/params/diagnostics/0/message", "\xc3\xa9 (U+00E9)"},
    {"none for its second byte", {}, "uri:LOST.SCE", "/params/diagnostics", "!- value(169)\""},
    {"exits offer verbs and nouns below 20", {notice("textDocument/didChange", R"({"textDocument":{"uri":"@LOST","version":6},"contentChanges":[{"text":@ROOMS}]})"),
                                              request(24, "textDocument/completion", R"({"textDocument":{"uri":"@LOST"},"position":@EXIT})")},
     "id:24", "/result", "\"NINE\""},
    {"but not noun 20", {}, "id:24", "/result", "!\"TWENTY\""},
    {"nested deeper than any client's", {nested(25, 100000)}, "id:25", "/error/message", "nests deeper than 64"},
    {"but not as deep", {nested(26, 60)}, "id:26", "/error/code", "-32602"},
    {"a body longer than its length, then the next message", {"RAW", "Content-Length: 2\r\n\r\n{}}" + frame(request(27, "no/such", "{}"))},
     "id:27", "/error/code", "-32601"},
    {"a body shorter than its length, then the next message",
     {"RAW", "Content-Length: 30\r\n\r\n{}" + frame(request(28, "no/such", "{}"))}, "id:28", "/error/code", "-32601"},
    {"half a surrogate pair", {notice("textDocument/didChange", R"({"textDocument":{"uri":"@PART","version":5},"contentChanges":[{"text":"\ud800"}]})")},
     "method:window/showMessage", "/params/message", "U+FFFD"},
    {"none for a half elsewhere", {notice("workspace/didChangeConfiguration", R"({"settings":{"x":"\ud800"}})")}, "none", "", ""},
    {"a pair kept beside a lone half", {notice("textDocument/didChange", R"({"textDocument":{"uri":"@LOST","version":7},"contentChanges":[{"text":@EMOJI}]})")},
     "uri:LOST.SCE", "/params/diagnostics", "(U+1F600)"},
    {"the half read as U+FFFD", {}, "uri:LOST.SCE", "/params/diagnostics", "(U+FFFD)"},
    {"and the last pair", {}, "uri:LOST.SCE", "/params/diagnostics", "(U+10FFFF)"},
    {"a line longer than the compiler reads", {notice("textDocument/didChange", R"({"textDocument":{"uri":"@LOST","version":8},"contentChanges":[{"text":@LONG}]})")},
     "uri:LOST.SCE", "/params/diagnostics/0/range",
     R"({"end":{"character":300,"line":136},"start":{"character":258,"line":136}})"},
    {"a thousand diagnostics at most", {notice("textDocument/didChange", R"({"textDocument":{"uri":"@LOST","version":9},"contentChanges":[{"text":@MANY}]})")},
     "uri:LOST.SCE", "/params/diagnostics/1000/message", R"("10 more diagnostics are not shown")"},
    {"no edit past them", {request(39, "textDocument/rename", R"({"textDocument":{"uri":"@LOST"},"position":{"line":3,"character":1},"newName":"NORD"})")},
     "id:39", "/error/message", "the source has more than 1000 errors"},
    {"shutdown, and nothing after it", {notice("textDocument/didChange", R"({"textDocument":{"uri":"@PART","version":6},"contentChanges":[{"text":@FIXED}]})"),
                                       request(16, "shutdown", "null")}, "last", "/id", "16"},
    {"nothing after shutdown", {notice("textDocument/didChange", R"({"textDocument":{"uri":"@PART","version":7},"contentChanges":[{"text":@TYPO}]})"),
                                request(17, "textDocument/hover", at_part("@AT(MES 1,4)"))}, "id:17", "/error/code", "-32600"},
};

void LanguageServer::run_steps(Server& server, std::span<const Step> session) {
    run_session(server, session, [this](const std::string& body) { return filled(body); });
}

TEST_F(LanguageServer, AnswersEveryStepOfASession) {
    Server server;
    run_steps(server, steps);
    std::istringstream in(frame(notice("exit", "null")));
    std::ostringstream out;
    EXPECT_EQ(server.run(in, out), 0);
}

// A client that takes neither versions nor resolved actions: plain
// changes by URI, and the actions on an item with their edits.
const Step plain_client[] = {
    {"initialize", {request(1, "initialize", R"({"capabilities":{}})"),
                    notice("textDocument/didOpen", R"({"textDocument":{"uri":"@PART","languageId":"zel","version":1,"text":@FIXED}})"),
                    request(2, "textDocument/codeAction", R"({"textDocument":{"uri":"@PART"},"range":{"start":@AT(/1 lit,0),"end":@AT(/1 lit,0)},"context":{"diagnostics":[]}})")},
     "id:2", "/result/2/edit/changes", R"(PART.SCE":[{"newText":"/0 lit)"},
    {"not when only quick fixes are asked for", {request(3, "textDocument/codeAction", R"({"textDocument":{"uri":"@PART"},"range":{"start":@AT(/1 lit,0),"end":@AT(/1 lit,0)},"context":{"diagnostics":[],"only":["quickfix"]}})")},
     "id:3", "/result", "[]"},
    {"no lines of a file that is not UTF-8 moved through JSON", {notice("textDocument/didOpen", R"({"textDocument":{"uri":"@LTABLES","languageId":"zel","version":1,"text":@LATINTABLES}})"),
                                                                 request(4, "textDocument/rename", R"({"textDocument":{"uri":"@LTABLES"},"position":{"line":4,"character":5},"newName":"0"})")},
     "id:4", "/error/message", "LATIN.SCE that are not UTF-8"},
};

TEST_F(LanguageServer, GivesPlainEditsToAPlainClient) {
    std::ofstream(folder_ / "LATIN.SCE") << latin("LATIN");
    Server server;
    run_steps(server, plain_client);
}

TEST_F(LanguageServer, RefusesRequestsBeforeInitialize) {
    Server server;
    std::istringstream in(frame(request(1, "textDocument/hover", "{}")) + frame(notice("exit", "{}")));
    std::ostringstream out;
    EXPECT_EQ(server.run(in, out), 1);  // exit without shutdown
    EXPECT_EQ(messages_in(out.str()).at(0)["error"]["code"], error::server_not_initialized);
}

// A server without a disk (a web page's) reads only the open documents,
// and takes no notification before initialize.
TEST_F(LanguageServer, ReadsNoDiskWithoutOne) {
    std::vector<std::string> sent;
    Server server([&](const std::string& body) { sent.push_back(body); }, false);
    server.receive(notice("textDocument/didOpen", filled(R"({"textDocument":{"uri":"@GAME","version":1,"text":@LINKING}})")));
    server.receive(request(1, "initialize", "{}"));
    server.drain();
    EXPECT_EQ(sent.size(), 1u);
    server.receive(notice("textDocument/didOpen", filled(R"({"textDocument":{"uri":"@GAME","version":1,"text":@LINKING}})")));
    server.drain();
    ASSERT_FALSE(sent.empty());
    EXPECT_NE(sent.back().find(R"("code":37,"message":"PART.SCE not found")"), std::string::npos) << sent.back();
    // Nothing is handled after exit.
    const std::size_t before = sent.size();
    server.receive(notice("exit", "null"));
    server.receive(request(2, "shutdown", "null"));
    server.drain();
    EXPECT_EQ(sent.size(), before);
    EXPECT_EQ(server.status(), 1);
    // Nor is anything sent without a client to send it to.
    Server silent(nullptr, false);
    silent.receive(request(1, "initialize", "{}"));
    silent.receive(notice("textDocument/didOpen", filled(R"({"textDocument":{"uri":"@GAME","version":1,"text":@LINKING}})")));
    silent.drain();
}

// A save may follow changes on disk to files that are not open.
TEST_F(LanguageServer, ReadsTheDiskAgainWhenAFileIsSaved) {
    Server server;
    const Step opened[] = {{"open", {request(1, "initialize", "{}"), notice("textDocument/didOpen", R"({"textDocument":{"uri":"@PART","version":1,"text":@FIXED}})")},
                            "uri:GAME.SCE", "/params/diagnostics", "[]"}};
    run_steps(server, opened);
    std::ofstream(folder_ / "GAME.SCE") << game().replace(game().find("LAMP 30 NOUN"), 12, "LAMP 30 NOUM");
    const Step saved[] = {{"saved", {notice("textDocument/didSave", R"({"textDocument":{"uri":"@PART"}})")}, "uri:GAME.SCE", "/params/diagnostics/0/code", "42"}};
    run_steps(server, saved);
    // Without GAME.SCE nothing reaches PART, which is read alone, at once.
    fs::remove(folder_ / "GAME.SCE");
    const Step removed[] = {{"removed", {notice("textDocument/didSave", R"({"textDocument":{"uri":"@PART"}})")}, "uri:PART.SCE", "/params/diagnostics/0/code", "41"}};
    run_steps(server, removed);
}

TEST(LanguageServerCommand, RefusesUnknownArguments) {
    std::ostringstream out, err;
    EXPECT_EQ(run_server({"--stdio", "--tcp"}, out, err), 2);
    EXPECT_EQ(err.str(), "zeltool lsp: unknown argument --tcp\nusage: zeltool lsp [--stdio]\n");
}

TEST_F(LanguageServer, CountsInUtf8WhenTheEditorOffersIt) {
    Server server;
    std::istringstream in(frame(request(1, "initialize", R"({"capabilities":{"general":{"positionEncodings":["utf-16","utf-8"]}}})")));
    std::ostringstream out;
    server.run(in, out);
    EXPECT_EQ(messages_in(out.str()).at(0)["result"]["capabilities"]["positionEncoding"], "utf-8");
}

// A client that shows each byte of a source as a character (a web page)
// sends and is sent texts of U+0000 to U+00FF: the compiler reads one byte
// for each, positions count bytes, and a source's bytes come back as the
// characters they were.
TEST_F(LanguageServer, ReadsAndShowsBytesToAClientOfBytes) {
    testing::Sections s;
    s.mtx = "/0\nCaf\xe9 \xe9t\xe9.\n";
    s.pro[1] = "_ _ MES 0\n";
    const std::string bytes = s.source();
    const std::string shown = text_for_client(bytes, Encoding::bytes);
    ASSERT_NE(shown, bytes);
    EXPECT_EQ(text_from_client(shown, Encoding::bytes), bytes);
    const std::size_t line = static_cast<std::size_t>(std::count(bytes.begin(), bytes.begin() + static_cast<long>(bytes.find("Caf")), '\n'));
    const std::size_t mes = static_cast<std::size_t>(std::count(bytes.begin(), bytes.begin() + static_cast<long>(bytes.find("MES 0")), '\n'));
    const std::string at_mes = R"({"textDocument":{"uri":"mem:/page/GAME.SCE"},"position":{"line":)" + std::to_string(mes) + R"(,"character":8}})";
    const Step session[] = {
        {"initialize", {request(1, "initialize", R"({"capabilities":{"general":{"positionEncodings":["utf-8"]}},"initializationOptions":{"text":"bytes"}})")},
         "id:1", "/result/capabilities/positionEncoding", R"("utf-16")"},
        {"one warning for each byte", {notice("textDocument/didOpen", R"({"textDocument":{"uri":"mem:/page/GAME.SCE","version":1,"text":)" + json(shown).dump() + "}}")},
         "uri:GAME.SCE", "/params/diagnostics/2/range", R"({"end":{"character":8,"line":)" + std::to_string(line) + R"(},"start":{"character":7,"line":)" + std::to_string(line) + "}}"},
        {"none past them", {}, "uri:GAME.SCE", "/params/diagnostics", "!(U+"},
        {"the text as it was", {request(2, "textDocument/hover", at_mes)}, "id:2", "/result/contents/value", "Caf\xc3\xa9 \xc3\xa9t\xc3\xa9."},
    };
    Server server;
    run_session(server, session, [](const std::string& body) { return body; });
}

// Columns of lines the editor counts in UTF-16 units: a character of three
// bytes from 0xEF is one unit; a line that is not UTF-8 is counted in bytes.
TEST(LineMapTest, CountsUnitsOfEachLine) {
    const struct {
        const char* line;
        std::size_t bytes, units;
    } rows[] = {{"\xEF\xBC\x81x", 4, 2}, {"\xC3\xA9x", 3, 2}, {"\xC3(x", 3, 3}, {"\xF0\x9F\x98\x80", 4, 2},
                // the first and last lead byte of each length, bytes that lead
                // nothing, a sequence cut short by the end
                {"\xC2\xA9\xDF\xBF", 4, 2}, {"\xE0\xA0\x80", 3, 1}, {"\xF4\x8F\xBF\xBF", 4, 2}, {"\xC1\x81", 2, 2},
                {"\xF5\x80\x80\x80", 4, 4}, {"\x80\xC3\xA9", 3, 3}, {"x\xC3", 2, 2}};
    for (const auto& row : rows)
        EXPECT_EQ(units_of(row.line, row.bytes, Encoding::utf16), row.units) << row.line;
    // And back: the bytes of a line's first units, at most the line's.
    const struct {
        const char* line;
        std::size_t units, bytes;
    } back[] = {{"\xF0\x9F\x98\x80x", 2, 4}, {"\xF0\x9F\x98\x80x", 3, 5}, {"\xC3\xA9x", 1, 2}, {"\xC3(x", 2, 2}, {"ab", 5, 2}};
    for (const auto& row : back)
        EXPECT_EQ(bytes_of(row.line, row.units, Encoding::utf16), row.bytes) << row.line;
    // Without a text, line n and column c are simply counted from 0, and 0 stays 0.
    EXPECT_EQ(LineMap().position(3, 4, Encoding::utf16), (Position{2, 3}));
    EXPECT_EQ(LineMap().position(0, 0, Encoding::utf16), (Position{0, 0}));
    unsigned line = 0, column = 0;
    LineMap().line_column(Position{2, 3}, Encoding::utf16, line, column);
    EXPECT_EQ(std::make_pair(line, column), std::make_pair(3u, 4u));
    EXPECT_EQ(LineMap().position_at(5, Encoding::utf16), (Position{}));
    EXPECT_EQ(LineMap().offset(Position{2, 3}, Encoding::utf16), 0u);
    EXPECT_EQ(LineMap().line_text(1), "");
    // A lone carriage return ends a line for the editor, not for the compiler.
    const LineMap lone_cr(std::make_shared<const std::string>("ab\rcd\nef"));
    EXPECT_EQ(lone_cr.position(1, 4, Encoding::utf16), (Position{1, 0}));
    EXPECT_EQ(lone_cr.position(2, 2, Encoding::utf16), (Position{2, 1}));
    EXPECT_EQ(lone_cr.position_at(2, Encoding::utf16), (Position{0, 2}));
    // A carriage return before a line feed is no part of the line; one at
    // the end of the text is, and ends an editor line.
    const LineMap crlf(std::make_shared<const std::string>("ab\r\ncd\r"));
    EXPECT_EQ(crlf.line_text(1), "ab");
    EXPECT_EQ(crlf.line_text(2), "cd\r");
    EXPECT_EQ(crlf.line_text(3), "");  // past the last line
    EXPECT_EQ(crlf.line_text(0), "");
    EXPECT_EQ(crlf.position_at(7, Encoding::utf16), (Position{2, 0}));
    EXPECT_TRUE(LineMap(std::make_shared<const std::string>("ab\r\n")).editor_lines_are_lines());
    // The last line, and a line past it: the end of the text.
    const LineMap two(std::make_shared<const std::string>("ab\ncd"));
    EXPECT_EQ(two.position(2, 2, Encoding::utf16), (Position{1, 1}));
    EXPECT_EQ(two.position(3, 1, Encoding::utf16), (Position{1, 2}));
    EXPECT_EQ(two.offset(Position{5, 0}, Encoding::utf16), 5u);
    // Columns past an editor line's end stop before its CR LF.
    const LineMap mixed(std::make_shared<const std::string>("a\rb\r\nc"));
    EXPECT_EQ(mixed.offset(Position{1, 9}, Encoding::utf16), 3u);
    EXPECT_EQ(mixed.position_at(4, Encoding::utf16), (Position{1, 1}));
    EXPECT_EQ(mixed.position(2, 1, Encoding::utf16), (Position{2, 0}));
}

// The words for what the index knows, for every kind and code.
TEST(DescribeTest, NamesEveryKind) {
    const std::pair<ItemKey, const char*> items[] = {
        {{Kind::word, 2, 2}, "NOUN 2"}, {{Kind::word, 2, 9}, "word 2"}, {{Kind::sysmess, 3, -1}, "system message 3"},
        {{Kind::message, 4, -1}, "message 4"}, {{Kind::object, 5, -1}, "object 5"}, {{Kind::location, 252, -1}, "not created (252)"},
        {{Kind::location, 253, -1}, "WORN (253)"}, {{Kind::location, 254, -1}, "CARRIED (254)"}, {{Kind::location, 255, -1}, "HERE (255)"},
        {{Kind::location, 6, -1}, "location 6"}, {{Kind::process, 7, -1}, "process table 7"}, {{Kind::flag, 8, -1}, "flag 8"},
        {{Kind::value, 9, -1}, "value 9"}, {{Kind::percent, 10, -1}, "10%"}};
    for (const auto& [key, name] : items)
        EXPECT_EQ(item_name(key), name);
    EXPECT_EQ(kind_name(kind_reserved), "reserved");
    EXPECT_EQ(signature(-1), "");
    EXPECT_EQ(signature(opcode_count), "");
    EXPECT_TRUE(reserved_opcode(opcode_count));
    // A preview ends after 60 characters, a paragraph break a blank.
    TextDef text;
    text.text = std::string("ab") + static_cast<char>(paragraph_break) + std::string(70, 'c');
    EXPECT_EQ(preview(text), "ab " + std::string(57, 'c') + "...");
    EXPECT_EQ(fence_for("a ```` b ``"), "`````");
}

// Percent-encoded bytes in either case of hex digit; a '%' without two
// hex digits after it stays as it is.
TEST(DocumentUri, DecodesPercentEncodedBytes) {
    const DocumentPlace place = place_of("file:///tmp/%7aEl%2F%6f%6F%4fx%4g%2/A%2fB%41%3aC.SCE");
    EXPECT_EQ(place.folder, "/tmp/zEl/ooOx%4g%2/A");
    EXPECT_EQ(place.name, "BA:C.SCE");
    EXPECT_EQ(place_of("file:///%30%39%4A/x").folder, "/09J");
    // Another host's file is no file of this disk; a name without a folder
    // is a name.
    const DocumentPlace remote = place_of("file://host/share/A.SCE");
    EXPECT_FALSE(remote.on_disk);
    EXPECT_EQ(uri_of(remote), "host/share/A.SCE");
    EXPECT_EQ(uri_of(place_of("untitled-1")), "untitled-1");
    // What a path keeps as it is, and what it writes as %XX.
    EXPECT_EQ(uri_of(DocumentPlace{"/tmp", "azAZ09 +~_-.SCE", true}), "file:///tmp/azAZ09%20%2B~_-.SCE");
}

// A file keeps its text up to most_kept bytes, not one more: one not on
// disk by what it reads, one on disk (sparse) by its size.
TEST(DiskCacheTest, KeepsTextsUpToTheMost) {
    struct Blanks : InputFile {
        std::size_t left;
        explicit Blanks(std::size_t size) : left(size) {}
        long read(char* buffer, std::size_t size) override {
            const std::size_t n = std::min(size, left);
            std::fill_n(buffer, n, ' ');
            left -= n;
            return static_cast<long>(n);
        }
    };
    const fs::path sparse = fs::temp_directory_path() / ("zel-cache-" + std::to_string(::getpid()));
    for (const std::size_t size : {DiskCache::most_kept, DiskCache::most_kept + 1}) {
        std::ofstream(sparse).close();
        fs::resize_file(sparse, size);
        for (const std::string& path : {std::string("/nonexistent/zel/cache"), sparse.string()}) {
            Blanks input(size);
            DiskCache cache;
            EXPECT_EQ(cache.text(path, input) != nullptr, size == DiskCache::most_kept) << size << path;
        }
    }
    fs::remove(sparse);
}

}  // namespace
}  // namespace zel::lsp
