// zeltool: looks inside compiled adventure databases and checks sources.
#include <iostream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "lsp/server.h"

namespace {

void usage(std::ostream& err) {
    err << "usage: zeltool dump GAME.ZDB\n"
           "       zeltool decompile GAME.ZDB [-o DIR] [-n NAME]\n"
           "       zeltool map GAME.ZDB [-T FORMAT]\n"
           "       zeltool check NAME [N] [C] [T] [--format=json]\n"
           "       zeltool lsp\n";
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (args.empty()) {
        usage(std::cerr);
        return 2;
    }
    const std::string command = args.front();
    args.erase(args.begin());
    if (command == "dump")
        return zel::tool::run_dump(args, std::cout, std::cerr);
    if (command == "decompile")
        return zel::tool::run_decompile(args, std::cout, std::cerr);
    if (command == "map")
        return zel::tool::run_map(args, std::cout, std::cerr);
    if (command == "check")
        return zel::tool::run_check(args, std::cout, std::cerr);
    if (command == "lsp")
        return zel::lsp::run_server(args, std::cin, std::cout, std::cerr);
    usage(std::cerr);
    return 2;
}
