// zelc: compiles an adventure source into its database.
#include <csignal>
#include <string>
#include <vector>

#include "core/posix_platform.h"
#include "driver/compile.h"

int main(int argc, char** argv) {
    // A write past the file size limit fails, as on a full disk (error 38),
    // instead of ending the process.
    std::signal(SIGXFSZ, SIG_IGN);
    std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    zel::StdConsole console;
    zel::PosixFileSystem files;
    return zel::compile(arguments, console, files);
}
