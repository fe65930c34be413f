// The page's calls, run natively: a request and its answer are bundles,
// carried as bytes between the page and the module.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/adventure.h"
#include "web/calls.h"

namespace zel::web {
namespace {

Bundle carried(const Bundle& b) {
    const std::string bytes = b.bytes();
    return Bundle(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

TEST(WebCalls, AnswerHoldsWhatTheCallMade) {
    const std::string good = testing::Sections().source(), bad = "/CTL\n_\n/VOC\nfoo\n";
    struct Case {
        const char* command;
        const std::string& source;
        std::vector<std::string> present, absent;
    } cases[] = {
        {"build", good, {"status", "file:GAME.ZDB"}, {"file:GAME.SCE", "file:KEPT"}},  // only what changed
        {"stats", good, {"text", "json"}, {"error"}},
        {"stats", bad, {"error"}, {"text"}},
    };
    for (const Case& k : cases) {
        Bundle request;
        request.add("command", k.command);
        request.add("arg", "GAME");
        request.add("file:GAME.SCE", k.source);
        request.add("file:KEPT", "");  // the last entry, empty, fills the buffer to its end
        ASSERT_EQ(carried(request).bytes(), request.bytes());
        const Bundle answer = carried(call(carried(request)));
        for (const std::string& name : k.present)
            EXPECT_FALSE(answer.all(name).empty()) << k.command << " " << name;
        for (const std::string& name : k.absent)
            EXPECT_TRUE(answer.all(name).empty()) << k.command << " " << name;
    }
}

// Each call natively, its answer checked: every value named in "has" holds
// that text, every name in "absent" is missing from the answer.
TEST(WebCalls, EachCallAnswersWhatItFound) {
    using Entries = std::vector<std::pair<std::string, std::string>>;
    const std::string good = testing::Sections().source(), bad = "/CTL\n_\n/VOC\nfoo\n";
    const std::string database = testing::run(good).database();
    const std::size_t at = good.find("/STX\n");
    const std::string head = good.substr(0, at) + "/LNK PART2\n", part = good.substr(at);
    // The line, counted from 1, of location 1's heading in /LTX.
    const std::size_t ltx = good.find("/LTX\n"), heading = good.find("/1\n", ltx);
    const std::string line = std::to_string(std::count(good.begin(), good.begin() + static_cast<long>(heading), '\n') + 1);
    struct Case {
        const char* what;
        Entries request, has;
        std::vector<std::string> absent;
    } cases[] = {
        {"build ok",
         {{"command", "build"}, {"arg", "GAME"}, {"file:GAME.SCE", good}, {"file:GAME.ZDB", "old"}, {"file:GAME.$$$", "x"}},
         {{"status", "0"}, {"stdout", "*** Compilation ends OK\n"}, {"file:GAME.ZDB", database.substr(0, 16)},
          {"gone:GAME.$$$", ""}},
         {"gone:GAME.SCE", "gone:GAME.ZDB", "file:GAME.SCE"}},
        {"build failing", {{"command", "build"}, {"arg", "GAME"}, {"file:GAME.SCE", bad}},
         {{"stdout", "ERROR"}}, {"file:GAME.ZDB", "file:GAME.SCE"}},
        {"stats json", {{"command", "stats"}, {"arg", "GAME"}, {"file:GAME.SCE", good}},
         {{"json", "\"adventure\": \"GAME\""}, {"json", "\"compression\": null"}, {"text", "total"}}, {"error"}},
        {"stats without arguments", {{"command", "stats"}, {"file:GAME.SCE", good}}, {{"error", "no database"}}, {"json"}},
        {"map", {{"command", "map"}, {"arg", "GAME"}, {"file:GAME.SCE", good}},
         {{"dot", "digraph"}, {"at:l0", "GAME.SCE\n"}, {"at:l1", "GAME.SCE\n" + line}}, {"at:l2", "error"}},
        {"map across a link", {{"command", "map"}, {"arg", "GAME"}, {"file:GAME.SCE", head}, {"file:PART2.SCE", part}},
         {{"at:l1", "PART2.SCE\n"}}, {"error"}},
        {"map of errors", {{"command", "map"}, {"arg", "GAME"}, {"file:GAME.SCE", bad}}, {{"error", "no map"}}, {"dot"}},
        {"database", {{"command", "database"}, {"path", "GAME.ZDB"}, {"bytes", database}},
         {{"status", "0"}, {"source-name", "GAME.SCE"}, {"source", "/LTX\n"}, {"dump", "\n"},
          {"stdout", "It compiles back into the identical " + std::to_string(database.size()) + " bytes with: "}},
         {"error"}},
        {"no database", {{"command", "database"}, {"path", "GAME.ZDB"}, {"bytes", database.substr(0, 10)}},
         {{"error", "zeltool: GAME.ZDB: "}}, {"dump", "status"}},
        {"no adventure name", {{"command", "database"}, {"path", ".ZDB"}, {"bytes", database}},
         {{"dump", "\n"}, {"stderr", "zeltool: "}}, {"status", "source", "stdout"}},
        {"adventure of itself", {{"command", "adventure"}, {"target", "game.sce"}, {"file:game.sce", good}},
         {{"name", "GAME"}}, {"note", "error"}},
        {"adventure of a part", {{"command", "adventure"}, {"target", "PART2.SCE"}, {"file:GAME.SCE", head},
                                 {"file:PART2.SCE", part}},
         {{"name", "GAME"}}, {"note"}},
        {"adventure of a shared part",
         {{"command", "adventure"}, {"target", "PART2.SCE"}, {"file:GAME.SCE", head}, {"file:OTHER.SCE", head},
          {"file:PART2.SCE", part}},
         {{"note", "PART2.SCE is reached from several adventures; building "}}, {"error"}},
        {"adventure of nothing", {{"command", "adventure"}, {"target", "PART2.SCE"}, {"file:PART2.SCE", part}},
         {{"name", "PART2"}}, {"note"}},
        {"not a source", {{"command", "adventure"}, {"target", "GAME.TXT"}}, {{"error", "GAME.TXT is not"}}, {"name"}},
        {"name too long", {{"command", "adventure"}, {"target", "ABCDEFGHI.SCE"}}, {{"error", "is not"}}, {"name"}},
        {"name of eight", {{"command", "adventure"}, {"target", "ABCDEFGH.SCE"}}, {{"name", "ABCDEFGH"}}, {"error"}},
        {"name not alphanumeric", {{"command", "adventure"}, {"target", "A-B.SCE"}}, {{"error", "is not"}}, {"name"}},
        {"unknown command", {{"command", "frob"}}, {{"error", "unknown command frob"}}, {}},
    };
    for (const Case& k : cases) {
        Bundle request;
        for (const auto& [name, value] : k.request)
            request.add(name, value);
        const Bundle answer = carried(call(carried(request)));
        for (const auto& [name, text] : k.has) {
            const std::vector<std::string> values = answer.all(name);
            ASSERT_EQ(values.size(), 1u) << k.what << " " << name;
            EXPECT_NE(values.front().find(text), std::string::npos) << k.what << " " << name << ": " << values.front();
        }
        for (const std::string& name : k.absent)
            EXPECT_TRUE(answer.all(name).empty()) << k.what << " " << name;
    }
}

}  // namespace
}  // namespace zel::web
