#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "cli/commands.h"
#include "dbtools/database_tools.h"
#include "tool_support.h"

namespace zel::tool {
namespace {

using testing::compiled;
using zel::testing::Sections;

Bytes map_adventure() {
    Sections s;
    s.ltx = "/0\nYou are in the great \"hall\" of the old castle.\n/1\nYou are out\\side.\n";
    s.con = "/0\nN 1\nSOUTH 1\nNORTH 1\n/1\nS 0\n";
    return compiled(s.source(), false);
}

TEST(Map, LocationsAndExitsByWord) {
    std::string error;
    const auto db = read_database(map_adventure(), error);
    ASSERT_TRUE(db) << error;
    std::ostringstream out;
    write_map(*db, "GAME", out);
    const std::string dot = out.str();
    EXPECT_EQ(dot.rfind("digraph \"GAME\" {\n", 0), 0u);
    EXPECT_NE(dot.find("l0 [label=\"0: You are in the great \\\"hall\\\"...\"];"), std::string::npos) << dot;
    EXPECT_NE(dot.find("l0 -> l1 [label=\"NORTH, SOUTH\"];"), std::string::npos) << dot;
    EXPECT_NE(dot.find("l1 -> l0 [label=\"SOUTH\"];"), std::string::npos) << dot;
    EXPECT_NE(dot.find("l1 [label=\"1: You are out\\\\side.\"];"), std::string::npos) << dot;
    EXPECT_EQ(dot.substr(dot.size() - 2), "}\n");

    // An exit by a word the vocabulary lacks is labelled with its number.
    Bytes b = map_adventure();
    b[db->locations[1].pos] = 40;
    const auto patched = read_database(b, error);
    ASSERT_TRUE(patched) << error;
    std::ostringstream out2;
    write_map(*patched, "GAME", out2);
    EXPECT_NE(out2.str().find("l1 -> l0 [label=\"#40\"];"), std::string::npos) << out2.str();
}

TEST(Map, RendersThroughDot) {
    if (std::system("command -v dot >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "dot is not installed";
    std::ostringstream out, err;
    EXPECT_EQ(run_map({ZEL_SOURCE_DIR "/tests/regression/BEACON.ZDB", "-T", "svg"}, out, err), status_ok) << err.str();
    EXPECT_NE(out.str().find("<svg"), std::string::npos);
    EXPECT_NE(out.str().find("NORTH"), std::string::npos);
}

}  // namespace
}  // namespace zel::tool
