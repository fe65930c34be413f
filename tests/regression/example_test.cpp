// The example adventure of examples/ compiles without errors or warnings,
// and its databases stay byte for byte what they were when the checked-in
// copies were made. A change in any section compiler that moves a single
// byte of a real, complete adventure shows up here.
//
// With ZEL_UPDATE=1 in the environment the checked-in copies are rewritten
// from the run instead (check the difference by hand before committing).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/posix_platform.h"
#include "driver/compile.h"
#include "index/source_index.h"
#include "support/memory_platform.h"

namespace fs = std::filesystem;

namespace {

const fs::path source_dir = ZEL_SOURCE_DIR;
const fs::path examples_dir = source_dir / "examples";
const fs::path expected_dir = source_dir / "tests" / "regression";

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void spit(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

bool updating() {
    const char* update = std::getenv("ZEL_UPDATE");
    return update != nullptr && std::string(update) == "1";
}

// A fresh directory holding a copy of the example's sources, so that the
// compilation writes nothing into the source tree. Removed at the end.
class ExampleCopy {
public:
    ExampleCopy() {
        std::string pattern = (fs::temp_directory_path() / "zel_example_XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot create a temporary directory");
        dir_ = pattern;
        for (const auto& entry : fs::directory_iterator(examples_dir))
            if (entry.path().extension() == ".SCE")
                fs::copy_file(entry.path(), dir_ / entry.path().filename());
    }
    ~ExampleCopy() {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    const fs::path& dir() const { return dir_; }

private:
    fs::path dir_;
};

struct Outcome {
    int status = 0;
    std::string out;
    std::string err;
};

Outcome compile_example(const ExampleCopy& copy, const std::vector<std::string>& arguments,
                        zel::Observer* observer = nullptr) {
    zel::testing::CaptureConsole console;
    zel::PosixFileSystem files(copy.dir().string());
    Outcome run;
    run.status = zel::compile(arguments, console, files, observer);
    run.out = console.stdout_text;
    run.err = console.stderr_text;
    return run;
}

bool ends_with(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

struct Variant {
    const char* name;
    std::vector<std::string> arguments;
    const char* expected;  // checked-in database, in tests/regression
    bool observed = false;  // a source index listens, which must change nothing
};

class ExampleDatabase : public ::testing::TestWithParam<Variant> {};

TEST_P(ExampleDatabase, CompilesCleanlyToTheCheckedInDatabase) {
    const Variant& v = GetParam();
    ExampleCopy copy;
    zel::SourceIndex index;
    const Outcome run = compile_example(copy, v.arguments, v.observed ? &index : nullptr);

    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(ends_with(run.out, "*** Compilation ends OK\n")) << run.out;
    EXPECT_EQ(run.out.find("*** ERROR"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("*** WARNING"), std::string::npos) << run.out;
    EXPECT_FALSE(fs::exists(copy.dir() / "BEACON.$$$"));
    ASSERT_TRUE(fs::exists(copy.dir() / "BEACON.ZDB")) << run.out;

    const std::string database = slurp(copy.dir() / "BEACON.ZDB");
    const fs::path expected_path = expected_dir / v.expected;
    if (updating())
        spit(expected_path, database);
    const std::string expected = slurp(expected_path);
    ASSERT_FALSE(expected.empty()) << expected_path << " is missing";
    EXPECT_EQ(database.size(), expected.size());
    EXPECT_TRUE(database == expected) << "the database differs from " << expected_path;
    EXPECT_NE(run.out.find("Database is " + std::to_string(expected.size()) + " bytes long\n"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Switches, ExampleDatabase,
                         ::testing::Values(Variant{"plain", {"BEACON"}, "BEACON.ZDB"},
                                           Variant{"compressed", {"BEACON", "C"}, "BEACON-C.ZDB"},
                                           Variant{"observed", {"BEACON", "C"}, "BEACON-C.ZDB", true}),
                         [](const ::testing::TestParamInfo<Variant>& info) { return std::string(info.param.name); });

// Check only: the whole example compiles, the same length is reported as for
// the real database, and the directory is left exactly as it was.
TEST(ExampleCheckOnly, ReportsTheLengthAndWritesNothing) {
    ExampleCopy copy;
    const Outcome run = compile_example(copy, {"BEACON", "N"});
    EXPECT_TRUE(ends_with(run.out, "*** Compilation ends OK\n")) << run.out;
    const auto length = fs::file_size(expected_dir / "BEACON.ZDB");
    EXPECT_NE(run.out.find("Database is " + std::to_string(length) + " bytes long\n"), std::string::npos) << run.out;
    std::size_t files = 0;
    for (const auto& entry : fs::directory_iterator(copy.dir())) {
        EXPECT_EQ(entry.path().extension(), ".SCE") << entry.path();
        ++files;
    }
    EXPECT_EQ(files, 3u);
}

}  // namespace
