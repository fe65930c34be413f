// zeltool map: the connections of a database, or the map drawn from a source,
// as a Graphviz graph, written as DOT or rendered by the dot program.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "analysis/source_map.h"
#include "cli/commands.h"
#include "cli/source_arg.h"
#include "dbtools/database_tools.h"

extern char** environ;

namespace zel::tool {

namespace {

// Output formats are names like svg, png or svg:cairo; nothing a program
// could take for an option or a file.
bool valid_format(const std::string& format) {
    return !format.empty() && std::all_of(format.begin(), format.end(), [](char ch) {
        return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch == ':' ||
               ch == '_';
    });
}

// A temporary file holding the graph; removed when it goes. Its path is
// empty when it cannot be made (TMPDIR naming no folder, say).
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& contents) {
        std::error_code ec;
        const std::filesystem::path folder = std::filesystem::temp_directory_path(ec);
        if (ec)
            return;
        std::string pattern = (folder / "zeltool-map-XXXXXX").string();
        const int fd = mkstemp(pattern.data());
        if (fd < 0)
            return;
        close(fd);
        path_ = pattern;
        std::ofstream(path_, std::ios::binary) << contents;
    }
    ~TemporaryFile() {
        if (!path_.empty())
            std::remove(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// Runs dot -TFORMAT on the graph and copies what it prints to out.
int render(const std::string& graph, const std::string& format, std::ostream& out, std::ostream& err) {
    TemporaryFile input(graph);
    if (input.path().empty()) {
        err << "zeltool: cannot create a temporary file for dot\n";
        return status_failed;
    }
    int pipefd[2];
    if (pipe(pipefd) != 0) {
        err << "zeltool: cannot run dot: " << std::strerror(errno) << "\n";
        return status_failed;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipefd[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipefd[0]);
    posix_spawn_file_actions_addclose(&actions, pipefd[1]);
    std::string program = "dot", option = "-T" + format, file = input.path();
    char* argv[] = {program.data(), option.data(), file.data(), nullptr};
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, "dot", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipefd[1]);
    if (spawned != 0) {
        close(pipefd[0]);
        if (spawned == ENOENT)
            err << "zeltool: -T needs the program dot from Graphviz, which is not installed\n";
        else
            err << "zeltool: cannot run dot: " << std::strerror(spawned) << "\n";
        return status_failed;
    }
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(pipefd[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        out.write(buffer, n);
    }
    close(pipefd[0]);
    int wstatus = 0;
    while (waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(wstatus) || WEXITSTATUS(wstatus) != 0) {
        err << "zeltool: dot -T" << format << " failed\n";
        return status_failed;
    }
    return status_ok;
}

}  // namespace

namespace {

struct MapArgs {
    std::string path, format;
    bool objects = false;
    std::optional<int> start;
};

bool parse_map(const std::vector<std::string>& args, MapArgs& a) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const bool has_next = i + 1 < args.size();
        if (args[i] == "-T" && has_next)
            a.format = args[++i];
        else if (args[i].rfind("-T", 0) == 0 && args[i].size() > 2)
            a.format = args[i].substr(2);
        else if (args[i] == "--objects")
            a.objects = true;
        else if ((args[i] == "--start" && has_next) || args[i].rfind("--start=", 0) == 0) {
            a.start = location_number(args[i] == "--start" ? args[++i] : args[i].substr(8));
            if (!a.start)
                return false;
        } else if (a.path.empty() && !args[i].empty() && args[i][0] != '-')
            a.path = args[i];
        else
            return false;
    }
    // The database's map knows no notes, objects or other start.
    const bool source_only = a.objects || a.start;
    return !a.path.empty() && (a.format.empty() || valid_format(a.format)) &&
           !(is_database_path(a.path) && source_only) && (is_database_path(a.path) || source_arg(a.path));
}

// The map drawn from a source; nothing when it does not compile.
std::optional<std::string> source_graph(const MapArgs& a, std::ostream& err, int& status) {
    const SourceArg source = *source_arg(a.path);
    const std::optional<analysis::Compiled> found = compile_source(source, err);
    if (!found) {
        status = status_usage;
        return std::nullopt;
    }
    const analysis::Compiled& compiled = *found;
    if (!compiled.database) {
        status = report_failure("map", source, compiled, false, err, err);
        return std::nullopt;
    }
    const analysis::World world = analysis::world_of(compiled.index, a.start.value_or(0));
    if (world.start >= world.locations) {
        err << "zeltool map: there is no location " << world.start << "\n";
        status = status_usage;
        return std::nullopt;
    }
    return analysis::source_map(compiled.index, world, {source.name, a.objects});
}

}  // namespace

int run_map(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    MapArgs a;
    if (!parse_map(args, a)) {
        print_usage(err, "map");
        return status_usage;
    }
    std::string graph;
    if (is_database_path(a.path)) {
        const std::optional<Database> db = load_database(a.path, err);
        if (!db)
            return status_failed;
        std::ostringstream dot;
        std::string name = std::filesystem::path(a.path).filename().string();
        write_map(*db, name.substr(0, name.find('.')), dot);
        graph = dot.str();
    } else {
        int status = status_ok;
        const std::optional<std::string> drawn = source_graph(a, err, status);
        if (!drawn)
            return status;
        graph = *drawn;
    }
    if (a.format.empty()) {
        out << graph;
        return status_ok;
    }
    return render(graph, a.format, out, err);
}

}  // namespace zel::tool
