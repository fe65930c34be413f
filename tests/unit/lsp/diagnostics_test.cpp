// The diagnostics as published: lint's findings are written as JSON text
// without a JSON object, and must come out exactly as serialize() writes
// the same value, when written and when carried to moved lines.
#include <gtest/gtest.h>

#include "lsp/server.h"
#include "support/adventure.h"

namespace zel::lsp {
namespace {

TEST(PublishedFindings, AreWrittenAsSerializeWritesThem) {
    testing::Sections s;
    // Notes in plain ASCII but for one escape each, which lint's findings name.
    s.ltx += "/2 the \"odd\" attic\nAn attic.\n/3 a back\\slash cellar\nA cellar.\n";
    s.con += "/2\n/3\n";
    s.mtx += "/1 spare\nNothing prints this.\n";
    std::vector<std::string> sent;
    Server server([&sent](const std::string& body) { sent.push_back(body); }, false);
    const auto notice = [](const std::string& method, const json& params) {
        return serialize(json{{"jsonrpc", "2.0"}, {"method", method}, {"params", params}});
    };
    server.receive(R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{"capabilities":{}}})");
    server.receive(notice("initialized", json::object()));
    server.receive(notice("textDocument/didOpen",
                          {{"textDocument", {{"uri", "mem:/a/GAME.SCE"}, {"version", 1}, {"text", s.source()}}}}));
    server.drain();
    // A comment line on top: the findings shown move down a line.
    const json top{{"start", {{"line", 0}, {"character", 0}}}, {"end", {{"line", 0}, {"character", 0}}}};
    server.receive(notice("textDocument/didChange", {{"textDocument", {{"uri", "mem:/a/GAME.SCE"}, {"version", 2}}},
                                                     {"contentChanges", {{{"range", top}, {"text", ";\n"}}}}}));
    server.drain();
    std::size_t findings = 0;
    for (const std::string& body : sent) {
        const json m = json::parse(body);
        if (m.value("method", "") != "textDocument/publishDiagnostics")
            continue;
        for (const json& d : m["params"]["diagnostics"]) {
            EXPECT_NE(body.find(serialize(d)), std::string::npos) << serialize(d) << "\n" << body;
            findings += d["source"] == "zeltool lint";
        }
    }
    // Three of each location at least, in lint's first publication and in
    // the one of the change, carried to their new lines.
    EXPECT_GE(findings, 2 * 3 * 2u);
}

}  // namespace
}  // namespace zel::lsp
