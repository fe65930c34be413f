// The page's calls, run natively: a request and its answer are bundles,
// carried as bytes between the page and the module.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace zel::web
