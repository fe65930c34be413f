// zeltool: looks inside compiled adventure databases, checks and builds
// sources.
#include <csignal>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/standard_output.h"
#ifdef ZELTOOL_LSP
#include "lsp/server.h"
#endif

namespace {

#ifdef ZELTOOL_LSP
const auto run_server = zel::lsp::run_server;
#else
int run_server(const std::vector<std::string>&, std::ostream&, std::ostream& err) {
    err << "zeltool: this zeltool was built without its language server; install the JSON library "
           "(nlohmann-json3-dev) and build it again\n";
    return 1;
}
#endif

constexpr int status_failed = 1;
constexpr int status_usage = 2;

using Command = int (*)(const std::vector<std::string>&, std::ostream&, std::ostream&);

Command command_named(const std::string& name) {
    static const std::pair<const char*, Command> commands[] = {
        {"build", zel::tool::run_build}, {"check", zel::tool::run_check},         {"dump", zel::tool::run_dump},
        {"map", zel::tool::run_map},     {"decompile", zel::tool::run_decompile}, {"lint", zel::tool::run_lint},
        {"stats", zel::tool::run_stats},
        {"renumber", zel::tool::run_renumber}, {"insert", zel::tool::run_insert},
        {"delete", zel::tool::run_delete},     {"rename", zel::tool::run_rename},
        {"new", zel::tool::run_new},
        {"lsp", run_server},
    };
    for (const auto& [command_name, run] : commands)
        if (name == command_name)
            return run;
    return nullptr;
}

bool asks_for_help(const std::vector<std::string>& args) {
    for (const std::string& arg : args)
        if (arg == "--help" || arg == "-h")
            return true;
    return false;
}

int usage_error(std::ostream& err, const std::string& complaint) {
    if (!complaint.empty())
        err << "zeltool: " << complaint << "\n";
    zel::tool::print_usage(err, "");
    return status_usage;
}

int run(std::vector<std::string> args, std::ostream& out, std::ostream& err) {
    if (args.empty())
        return usage_error(err, "");
    const std::string first = args.front();
    args.erase(args.begin());
    if (first == "--version" && args.empty()) {
        out << "zeltool " ZELC_VERSION "\n";
        return 0;
    }
    if (first == "help" || first == "--help" || first == "-h") {
        if (args.size() > 1 || (args.size() == 1 && !zel::tool::is_command(args[0])))
            return usage_error(err, "help takes one command name");
        zel::tool::print_usage(out, args.empty() ? "" : args[0]);
        return 0;
    }
    const Command command = command_named(first);
    if (!command)
        return usage_error(err, (first.rfind("-", 0) == 0 ? "unknown option " : "unknown command ") + first);
    if (asks_for_help(args)) {
        zel::tool::print_usage(out, first);
        return 0;
    }
    return command(args, out, err);
}

}  // namespace

int main(int argc, char** argv) {
    // A write past the file size limit fails, as on a full disk, instead of
    // ending the process (and leaving a build's temporary file behind).
    std::signal(SIGXFSZ, SIG_IGN);
    zel::tool::StandardOutput output;
    std::ostream out(&output);
    const int status = run(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc), out, std::cerr);
    out.flush();
    if (output.error() != 0) {
        std::cerr << "zeltool: cannot write standard output: " << std::strerror(output.error()) << "\n";
        return status_failed;
    }
    return status;
}
