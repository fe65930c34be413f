// The features of the language server on an adventure with something of
// every kind, in two unsaved files: RICH (to /PRO, with CR LF line ends,
// then /LNK RTABLES) and RTABLES, the process tables.
#include <gtest/gtest.h>

#include <algorithm>

#include "lsp/server.h"
#include "support/adventure.h"
#include "unit/lsp/session.h"

namespace zel::lsp {
namespace {

std::string rich(const std::string& name) {
    testing::Sections s;
    s.voc += "TAKE 20 VERB\nCOAT 32 NOUN\nQUICK 50 ADVERB\nINTO 60 PREPOSITION\nAND 70 CONJUNCTION\nIT 80 PRONOUN\nSPARE 90 NOUN\n";
    s.mtx = "/0\nHello.\n/1 two\nFirst  part.\n\nSecond part. \n";
    s.otx += "/2 coat\nA coat.\n";
    s.ltx += "/2 cellar\nA cellar.\n";
    s.con = "/0\nN 1\n/1 yard\nS 0\n/2\n";
    s.obj += "/2 _ 1 Y Y COAT _\n";
    s.pro = {"_ _ DESC\n",
             "GET LAMP PRESENT 0\n ADVERB QUICK\n NOUN2 _\n ADJECT1 SMALL\n PREP INTO\n SYSMESS 3\n PLACE 0 HERE\n"
             " PUTIN 0 1\n WEAR 2\n GOTO 2\n MES 1\n PROCESS 3\n SET 7\n OK ;done\nTAKE BOX INVEN\n",
             "", "_ _ DESC\n_ _ DONE\n"};
    const std::string source = s.source();
    const std::size_t pro = source.find("/PRO");
    if (name == "RTABLES")
        return source.substr(pro);
    return testing::with_crlf(source.substr(0, pro) + "/LNK RTABLES\n");
}

// The position k characters into the first occurrence of `text` in RICH,
// or else in RTABLES, and that file's name; `line` its line.
std::string position_of(const std::string& text, std::size_t k, std::string& name, std::string& line) {
    name = rich("RICH").find(text) != std::string::npos ? "RICH" : "RTABLES";
    const std::string source = rich(name);
    const std::size_t offset = source.find(text) + k;
    const std::size_t start = offset == 0 ? 0 : source.rfind('\n', offset - 1) + 1;
    line = std::to_string(std::count(source.begin(), source.begin() + static_cast<long>(offset), '\n'));
    return R"({"line":)" + line + R"(,"character":)" + std::to_string(offset - start) + "}";
}

// A request at the place k characters into the first occurrence of `text`:
// as its position, and as a range empty there; `more` adds to the params
// (@L: the position's line).
std::string ask(int id, const std::string& method, const std::string& text, std::size_t k, std::string more = "") {
    std::string name, line;
    const std::string at = position_of(text, k, name, line);
    for (std::size_t l; (l = more.find("@L")) != std::string::npos;)
        more.replace(l, 2, line);
    return request(id, "textDocument/" + method,
                   R"({"textDocument":{"uri":"mem:/rich/)" + name + R"(.SCE"},"position":)" + at + R"(,"range":{"start":)" + at +
                       R"(,"end":)" + at + "}" + more + "}");
}

// A change of the file of `text`: its characters k to k + length replaced
// by `by`, on one line.
std::string change(int version, const std::string& text, std::size_t k, std::size_t length, const std::string& by) {
    std::string name, line;
    const std::string from = position_of(text, k, name, line), to = position_of(text, k + length, name, line);
    return notice("textDocument/didChange", R"({"textDocument":{"uri":"mem:/rich/)" + name + R"(.SCE","version":)" +
                                                std::to_string(version) + R"(},"contentChanges":[{"range":{"start":)" + from +
                                                R"(,"end":)" + to + R"(},"text":)" + json(by).dump() + "}]}");
}

const Step rich_session[] = {
    {"initialize", {request(1, "initialize", R"({"capabilities":{"general":{"positionEncodings":["utf-16"]},"workspace":{"workspaceEdit":{"documentChanges":true}},"textDocument":{"codeAction":{"resolveSupport":{"properties":["title"]}}}}})"),
                    notice("initialized", "{}"),
                    notice("textDocument/didOpen", R"({"textDocument":{"uri":"mem:/rich/RICH.SCE","version":1,"text":@RICH}})"),
                    notice("textDocument/didOpen", R"({"textDocument":{"uri":"mem:/rich/RTABLES.SCE","version":1,"text":@RTABLES}})")},
     "uri:RTABLES.SCE", "/params/diagnostics", R"(!"severity":1)"},
    // Hover
    {"a location with its exits", {ask(2, "hover", " PUTIN 0 1", 9)}, "id:2", "/result/contents/value", R"(**location 1**\n\n```text\nYou are outside.\n```\n\nExits: S to 0")"},
    {"a location without", {ask(3, "hover", " GOTO 2", 6)}, "id:3", "/result/contents/value", "!Exits"},
    {"an object and where it starts", {ask(4, "hover", " WEAR 2", 6)}, "id:4", "/result/contents/value", "starts at not created (252), weight 1, container, wearable; noun COAT"},
    {"a container", {ask(5, "hover", "/1 CARRIED", 1)}, "id:5", "/result/contents/value", "starts at CARRIED (254), weight 10, container; noun BOX, adjective SMALL"},
    {"a process table", {ask(6, "hover", " PROCESS 3", 9)}, "id:6", "/result/contents/value", "**process table 3**: 2 entries"},
    {"a table no run-time calls", {ask(7, "hover", "/PRO 3", 1)}, "id:7", "/result/contents/value", "higher one (PROCESS 3: 1 line)"},
    {"a word and its synonyms", {ask(8, "hover", "TAKE BOX", 1)}, "id:8", "/result/contents/value", R"(**GET**: word 20, VERB; synonyms TAKE\n)"},
    {"a text of two paragraphs", {ask(9, "hover", " MES 1", 5)}, "id:9", "/result/contents/value", R"(First  part.\n\nSecond part. \n)"},
    {"an action without parameters", {ask(10, "hover", " OK", 1)}, "id:10", "/result/contents/value", "No parameters."},
    {"the null word character", {ask(11, "hover", "/CTL", 1)}, "id:11", "/result/contents/value", "the null word character: `_`"},
    {"the vocabulary", {ask(12, "hover", "/VOC", 1)}, "id:12", "/result/contents/value", "the vocabulary, 15 words (at most "},
    {"the system messages", {ask(13, "hover", "/STX", 1)}, "id:13", "/result/contents/value", "system messages, 61 (at least "},
    {"the object texts", {ask(14, "hover", "/OTX", 1)}, "id:14", "/result/contents/value", "one per object: 3 (at most "},
    {"the location texts", {ask(15, "hover", "/LTX", 1)}, "id:15", "/result/contents/value", "one per location: 3 (at most "},
    {"the exits", {ask(16, "hover", "/CON", 1)}, "id:16", "/result/contents/value", "exits of each location: 3 of 3 locations"},
    {"the objects", {ask(17, "hover", "/OBJ", 1)}, "id:17", "/result/contents/value", "its weight and words: 3 of 3 objects"},
    {"a link", {ask(18, "hover", "/LNK", 1)}, "id:18", "/result/contents/value", "**/LNK**: the source goes on in RTABLES.SCE"},
    {"nothing", {ask(19, "hover", " OK ;done", 6)}, "id:19", "/result", "null"},
    // Completion
    {"objects for an object", {ask(20, "completion", " PRESENT 0", 9)}, "id:20", "/result", R"("detail":"A lamp.")"},
    {"locations for a location", {ask(21, "completion", " GOTO 2", 6)}, "id:21", "/result", R"("detail":"A cellar.")"},
    {"not the location codes", {}, "id:21", "/result", "!HERE"},
    {"and them for a location or keyword", {ask(22, "completion", " PLACE 0 HERE", 9)}, "id:22", "/result", R"("detail":"location code","kind":14,"label":"CARRIED")"},
    {"with the null word for not created", {}, "id:22", "/result", R"("detail":"not created","kind":14,"label":"_")"},
    {"system messages", {ask(23, "completion", " SYSMESS 3", 9)}, "id:23", "/result", R"("detail":"System message 3.")"},
    {"adverbs", {ask(24, "completion", " ADVERB QUICK", 8)}, "id:24", "/result", R"("detail":"50 ADVERB")"},
    {"and no word", {}, "id:24", "/result/0/detail", R"("no word")"},
    {"nouns", {ask(25, "completion", " NOUN2 _", 7)}, "id:25", "/result", R"("detail":"32 NOUN")"},
    {"adjectives", {ask(26, "completion", " ADJECT1 SMALL", 9)}, "id:26", "/result", R"("detail":"40 ADJECTIVE")"},
    {"only them", {}, "id:26", "/result", "!NOUN\""},
    {"prepositions", {ask(27, "completion", " PREP INTO", 6)}, "id:27", "/result", R"("detail":"60 PREPOSITION")"},
    {"the second parameter's kind", {ask(28, "completion", " PUTIN 0 1", 9)}, "id:28", "/result", R"("detail":"You are outside.")"},
    {"not the first's", {}, "id:28", "/result", "!A lamp."},
    {"movement words to begin an entry", {ask(29, "completion", "TAKE BOX", 0)}, "id:29", "/result", R"("label":"NORTH")"},
    {"not other nouns", {}, "id:29", "/result", "!LAMP"},
    {"nouns after its verb", {ask(30, "completion", "TAKE BOX", 5)}, "id:30", "/result", R"("label":"LAMP")"},
    {"conditions after its noun", {ask(31, "completion", "TAKE BOX", 9)}, "id:31", "/result", R"("detail":"PRESENT object")"},
    {"nothing in a comment", {ask(32, "completion", " OK ;done", 6)}, "id:32", "/result", "[]"},
    {"where an object starts", {ask(33, "completion", "/2 _ 1 Y Y", 3)}, "id:33", "/result", R"("label":"HERE")"},
    {"whether it is a container", {ask(34, "completion", "/2 _ 1 Y Y", 7)}, "id:34", "/result", R"("detail":"not a container")"},
    {"or wearable", {ask(35, "completion", "/2 _ 1 Y Y", 9)}, "id:35", "/result", R"("detail":"wearable","kind":14,"label":"Y")"},
    {"its noun", {ask(36, "completion", "/2 _ 1 Y Y COAT", 11)}, "id:36", "/result", R"("label":"COAT")"},
    {"its adjective", {ask(37, "completion", "/2 _ 1 Y Y COAT _", 16)}, "id:37", "/result", R"("label":"SMALL")"},
    {"word types in the vocabulary", {ask(38, "completion", "TAKE 20 VERB", 8)}, "id:38", "/result", R"("label":"PRONOUN")"},
    {"movement words for an exit", {ask(39, "completion", "N 1\r\n/1 yard", 0)}, "id:39", "/result", R"("label":"NORTH")"},
    {"and locations after it", {ask(40, "completion", "N 1\r\n/1 yard", 2)}, "id:40", "/result", R"("detail":"You are outside.")"},
    {"the next exit's number", {ask(41, "completion", "/1 yard", 1)}, "id:41", "/result/0", R"("label":"/1","preselect":true)"},
    {"the next object's", {ask(42, "completion", "/1 CARRIED", 1)}, "id:42", "/result/0", R"("label":"/1","preselect":true)"},
    {"the next table's", {ask(43, "completion", "/PRO 1", 1)}, "id:43", "/result/0", R"("label":"/PRO 1","preselect":true)"},
    {"the headers due after the vocabulary", {ask(44, "completion", "/STX", 1)}, "id:44", "/result/0", R"("label":"/STX","preselect":true)"},
    // Signature help
    {"an object's range", {ask(50, "signatureHelp", " PRESENT 0", 9)}, "id:50", "/result/signatures/0/parameters/0/documentation", R"("object 0 to 2")"},
    {"a location's", {ask(51, "signatureHelp", " GOTO 2", 6)}, "id:51", "/result/signatures/0/parameters/0/documentation", R"("location 0 to 2")"},
    {"a container's", {ask(52, "signatureHelp", " PUTIN 0 1", 9)}, "id:52", "/result/signatures/0/parameters/1/documentation", R"("location 0 to 2, and a container: object 1, 2")"},
    {"a location or keyword", {ask(53, "signatureHelp", " PLACE 0 HERE", 9)}, "id:53", "/result/signatures/0/parameters/1/documentation", "\"location 0 to 2, or HERE, CARRIED, WORN, _ (not created)\""},
    {"a system message", {ask(54, "signatureHelp", " SYSMESS 3", 9)}, "id:54", "/result/signatures/0/parameters/0/documentation", R"("system message 0 to 60")"},
    {"a table", {ask(55, "signatureHelp", " PROCESS 3", 9)}, "id:55", "/result/signatures/0/parameters/0/documentation", R"("process table 2 to 254; this adventure has tables 0 to 3")"},
    {"a flag SET refuses", {ask(56, "signatureHelp", " SET 7", 5)}, "id:56", "/result/signatures/0/parameters/0/documentation", R"("flag 0 to 255, not 38")"},
    {"an adverb", {ask(57, "signatureHelp", " ADVERB QUICK", 8)}, "id:57", "/result/signatures/0/parameters/0/documentation", R"("an adverb of the vocabulary (1), or _ for no word")"},
    {"a noun", {ask(58, "signatureHelp", " NOUN2 _", 7)}, "id:58", "/result/signatures/0/parameters/0/documentation", R"("a noun of the vocabulary (8), or _ for no word")"},
    {"an adjective", {ask(59, "signatureHelp", " ADJECT1 SMALL", 9)}, "id:59", "/result/signatures/0/parameters/0/documentation", R"("an adjective of the vocabulary (1), or _ for no word")"},
    {"a preposition", {ask(60, "signatureHelp", " PREP INTO", 6)}, "id:60", "/result/signatures/0/parameters/0/documentation", R"("a preposition of the vocabulary (1), or _ for no word")"},
    {"an action without", {ask(61, "signatureHelp", " OK ;done", 3)}, "id:61", "/result/signatures/0/documentation", R"("No parameters.")"},
    {"none on an entry's words", {ask(49, "signatureHelp", "TAKE BOX", 1)}, "id:49", "/result", "null"},
    {"none outside the tables", {ask(62, "signatureHelp", "You are outside.", 3)}, "id:62", "/result", "null"},
    // Navigation and highlights
    {"references without the definitions", {ask(63, "references", " WEAR 2", 6)}, "id:63", "/result", "!RICH.SCE"},
    {"definition of nothing", {ask(64, "definition", " OK ;done", 6)}, "id:64", "/result", "null"},
    {"references of nothing", {ask(65, "references", " OK ;done", 6)}, "id:65", "/result", "null"},
    {"every use of an action", {ask(66, "documentHighlight", "_ _ DESC", 4)}, "id:66", "/result",
     R"({"kind":1,"range":{"end":{"character":8,"line":1},"start":{"character":4,"line":1}}},{"kind":1,)"},
    {"highlight of nothing", {ask(67, "documentHighlight", " OK ;done", 6)}, "id:67", "/result", "null"},
    {"a word's synonyms", {ask(68, "documentHighlight", "TAKE BOX", 1)}, "id:68", "/result",
     R"([{"kind":2,"range":{"end":{"character":3,"line":3},"start":{"character":0,"line":3}}},{"kind":2,"range":{"end":{"character":4,"line":17},)"},
    // Rename
    {"prepareRename on a vocabulary line", {ask(70, "prepareRename", "COAT 32", 1)}, "id:70", "/result/placeholder", R"("COAT")"},
    {"on an exit's location", {ask(71, "prepareRename", "/1 yard", 1)}, "id:71", "/result/placeholder", R"("1")"},
    {"on an object's number", {ask(72, "prepareRename", "/2 _ 1", 1)}, "id:72", "/result/placeholder", R"("2")"},
    {"on a table's header", {ask(73, "prepareRename", "/PRO 3", 5)}, "id:73", "/result/placeholder", R"("3")"},
    {"just past a table's number", {ask(78, "prepareRename", "/PRO 3", 6)}, "id:78", "/result/placeholder", R"("3")"},
    {"on nothing", {ask(74, "prepareRename", " OK ;done", 6)}, "id:74", "/result", "null"},
    {"rename of nothing", {ask(75, "rename", " OK ;done", 6, R"(,"newName":"X")")}, "id:75", "/error/message", "there is no word or number"},
    {"a number to a word", {ask(76, "rename", "/2 _ 1", 1, R"(,"newName":"coat")")}, "id:76", "/error/message", "'coat' is not a number: a"},
    {"or to its /n, a container's location with it", {ask(77, "rename", "/2 _ 1", 1, R"(,"newName":" /1 ")")}, "id:77", "/result/documentChanges/1/edits/0",
     R"({"newText":"2","range":{"end":{"character":10,"line":10},"start":{"character":9,"line":10}}})"},
    {"a number of five digits", {ask(79, "rename", "/2 _ 1", 1, R"(,"newName":"00001")")}, "id:79", "/result/documentChanges/1/edits/0/newText", R"("2")"},
    {"not of six", {ask(69, "rename", "/2 _ 1", 1, R"(,"newName":"000001")")}, "id:69", "/error/message", "'000001' is not a number"},
    {"nor a bare /", {ask(68, "rename", "/2 _ 1", 1, R"(,"newName":"/")")}, "id:68", "/error/message", "'/' is not a number"},
    // Code actions
    {"on an exit's location", {ask(80, "codeAction", "/1 yard", 0)}, "id:80", "/result", "Move location 1 down, to 2"},
    {"on an object", {ask(81, "codeAction", "/2 _ 1", 0)}, "id:81", "/result", "Move object 2 up, to 1"},
    {"on a table after the run-time's", {ask(82, "codeAction", "/PRO 3", 0)}, "id:82", "/result", R"(}]},"kind":"refactor.rewrite","title":"Insert a new table 3 before this one")"},
    {"none after the last table", {}, "id:82", "/result", "!after this one"},
    {"of the kind asked for", {ask(83, "codeAction", "/2 _ 1", 0, R"(,"context":{"diagnostics":[],"only":["refactor"]})")}, "id:83", "/result/0/kind", R"("refactor.rewrite")"},
    {"an unused word removed", {ask(84, "codeAction", "SPARE 90", 0, R"(,"context":{"diagnostics":[5,{"code":"unused-word","range":{"start":{"line":@L,"character":0}}},{"code":"x"}]})")},
     "id:84", "/result", "Remove the unused word SPARE"},
    {"the finding named", {}, "id:84", "/result/0/diagnostics", R"([{"code":"unused-word","range":{"start":{"character":0,"line":)"},
    {"a CR LF file's line break", {}, "id:84", "/result/0/edit", R"(unused-word\r\n)"},
    {"no removal of a message before the last", {ask(96, "codeAction", "/0\r\nHello.", 0, R"(,"context":5)")}, "id:96", "/result", "Disable unused-message for this line"},
    {"nothing prints it, but another follows", {}, "id:96", "/result", "!Remove"},
    {"but it may be deleted, the next moving up", {}, "id:96", "/result", "Delete message 0, which nothing uses"},
    {"none on a table of the run-time's", {ask(97, "codeAction", "/PRO 1", 0)}, "id:97", "/result", "[]"},
    {"an action of another kind, as it came", {request(85, "codeAction/resolve", R"({"title":"other"})")}, "id:85", "/result/title", R"("other")"},
    {"of a document no longer open", {request(86, "codeAction/resolve", R"({"title":"x","data":{"zel":"item","uri":"mem:/rich/GONE.SCE","op":"move","kind":3,"number":2,"to":1}})")},
     "id:86", "/error/message", "GONE.SCE is no longer open"},
    {"not on an item", {request(87, "codeAction/resolve", R"({"title":"x","data":{"zel":"item","uri":"mem:/rich/RICH.SCE","op":"move","kind":9,"number":2,"to":1}})")},
     "id:87", "/error/message", "not an action on an item"},
    {"deleting what nothing uses", {request(88, "codeAction/resolve", R"({"title":"x","data":{"zel":"item","uri":"mem:/rich/RICH.SCE","op":"delete","kind":2,"number":0,"to":0}})")},
     "id:88", "/result/edit/documentChanges/1/edits/0/newText", R"("0")"},
    // Tokens and hints
    {"word types", {request(90, "textDocument/semanticTokens/full", R"({"textDocument":{"uri":"mem:/rich/RICH.SCE"}})")}, "id:90", "/result/data", ",1,0,5,12,1,1,0,4,13,1,1,0,3,13,1,1,0,2,14,1,"},
    {"the null word of the library", {request(91, "textDocument/semanticTokens/full", R"({"textDocument":{"uri":"mem:/rich/RTABLES.SCE"}})")}, "id:91", "/result/data", ",1,1,5,6,8,0,6,1,8,8,"},
    {"and a location code", {}, "id:91", "/result/data", ",0,2,4,3,8,"},
    {"a text's paragraphs run together", {ask(92, "inlayHint", " MES 1", 0)}, "id:92", "/result/0/label", R"("First part. Second part.")"},
    {"a table's entries", {ask(89, "inlayHint", " PROCESS 3", 0)}, "id:89", "/result/0/label", R"("2 entries")"},
    {"none at width 0", {notice("workspace/didChangeConfiguration", R"({"settings":{"zel":{"inlayHints":{"width":0}}}})"), ask(93, "inlayHint", " MES 1", 0)},
     "id:93", "/result", "[]"},
    {"nor after settings that are not", {notice("workspace/didChangeConfiguration", R"({"settings":5})"), notice("workspace/didChangeConfiguration", "null"),
                                          notice("workspace/didChangeConfiguration", R"({"settings":{"inlayHints":5}})"),
                                          notice("workspace/didChangeConfiguration", R"({"settings":{"inlayHints":{"width":"wide"}}})"), ask(98, "inlayHint", " MES 1", 0)},
     "id:98", "/result", "[]"},
    // Outline
    {"the words of the vocabulary", {request(99, "textDocument/documentSymbol", R"({"textDocument":{"uri":"mem:/rich/RICH.SCE"}})")}, "id:99", "/result/1/children/0",
     R"("detail":"2 NOUN","kind":14,"name":"NORTH")"},
    {"a text of lines ending in CR LF folded", {request(100, "textDocument/foldingRange", R"({"textDocument":{"uri":"mem:/rich/RICH.SCE"}})")}, "id:100", "/result", R"({"endLine":147,"kind":"region","startLine":144})"},
    {"a definition in the first file", {ask(101, "definition", "N 1\r\n/1 yard", 2)}, "id:101", "/result/0/uri", "RICH.SCE"},
    // Errors in the first file, and their fixes
    {"a word misspelt", {change(2, "/2 _ 1 Y Y COAT", 14, 1, "X")}, "uri:RICH.SCE", "/params/diagnostics/0/code", "5"},
    {"replaced by the word meant", {ask(102, "codeAction", "/2 _ 1 Y Y COAT", 11)}, "id:102", "/result/0/title", R"("Replace with COAT")"},
    {"an exit's item misnumbered, at its line's end", {change(3, "S 0\r\n/2", 6, 1, "5")}, "uri:RICH.SCE", "/params/diagnostics", R"("code":23)"},
    {"renumbered", {ask(103, "codeAction", "S 0\r\n/2", 6)}, "id:103", "/result", "Renumber to /2"},
    {"a word misspelt at its line's start", {change(2, "TAKE BOX", 3, 1, "X")}, "uri:RTABLES.SCE", "/params/diagnostics/0/code", "5"},
    {"replaced from there", {ask(104, "codeAction", "TAKE BOX", 0)}, "id:104", "/result/0/edit", R"("newText":"TAKE","range":{"end":{"character":4,)"},
    {"a link misspelt, with the name meant", {change(4, "/LNK RTABLES", 11, 1, "")}, "uri:RICH.SCE", "/params/diagnostics", "did you mean RTABLES?"},
    {"replaced by the file's name", {ask(105, "codeAction", "/LNK RTABLES", 0)}, "id:105", "/result",
     R"("newText":"RTABLES","range":{"end":{"character":11,)"},
    {"from its first letter", {}, "id:105", "/result/0/edit", R"("start":{"character":5,)"},
    {"the file meant told so, the whole link line shown", {change(5, "/LNK RTABLES", 11, 0, " ;" + std::string(300, 'x'))},
     "uri:RTABLES.SCE", "/params/diagnostics/0/relatedInformation/0/location/range/end/character", "313"},
};

TEST(LanguageServerFeatures, AnswerOnAnAdventureOfEveryKind) {
    Server server;
    run_session(server, rich_session, [](std::string body) {
        for (const char* name : {"RICH", "RTABLES"})
            if (const std::size_t at = body.find(std::string("@") + name + "}"); at != std::string::npos)
                body.replace(at, std::string(name).size() + 1, json(rich(name)).dump());
        return body;
    });
}

}  // namespace
}  // namespace zel::lsp
