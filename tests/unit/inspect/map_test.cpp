#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/commands.h"
#include "inspect/database_tools.h"
#include "tool_support.h"

namespace zel::tool {
namespace {

using testing::compiled;
using zel::testing::Sections;

Bytes map_adventure() {
    Sections s;
    s.ltx = "/0\nYou are in the great \"hall\" of the old castle.\n/1\nYou are outside.\n";
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
    EXPECT_EQ(dot.substr(dot.size() - 2), "}\n");
}

TEST(Map, RendersThroughDot) {
    if (std::system("command -v dot >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "dot is not installed";
    const auto path = std::filesystem::temp_directory_path() / ("zeltool-map-test-" + std::to_string(getpid()) + ".ZDB");
    const Bytes db = map_adventure();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(db.data()),
                                                static_cast<std::streamsize>(db.size()));
    std::ostringstream out, err;
    const int status = run_map({path.string(), "-T", "svg"}, out, err);
    std::filesystem::remove(path);
    EXPECT_EQ(status, status_ok) << err.str();
    EXPECT_NE(out.str().find("<svg"), std::string::npos);
    EXPECT_NE(out.str().find("NORTH, SOUTH"), std::string::npos);
}

}  // namespace
}  // namespace zel::tool
