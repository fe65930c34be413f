// zelc: compiles an adventure source into its database.
#include <string>
#include <vector>

#include "core/posix_platform.h"
#include "driver/compile.h"

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    zel::StdConsole console;
    zel::PosixFileSystem files;
    return zel::compile(arguments, console, files);
}
