// zeltool map: the connections of a database as a Graphviz graph, written as
// DOT or rendered by the dot program.
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

#include "cli/commands.h"
#include "inspect/database_tools.h"

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

// A temporary file holding the graph; removed when it goes.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& contents) {
        std::string pattern = (std::filesystem::temp_directory_path() / "zeltool-map-XXXXXX").string();
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

int run_map(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string path, format;
    bool usage = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-T" && i + 1 < args.size())
            format = args[++i];
        else if (args[i].rfind("-T", 0) == 0 && args[i].size() > 2)
            format = args[i].substr(2);
        else if (path.empty() && !args[i].empty() && args[i][0] != '-')
            path = args[i];
        else
            usage = true;
    }
    if (usage || path.empty() || (!format.empty() && !valid_format(format))) {
        print_usage(err, "map");
        return status_usage;
    }
    const std::optional<Database> db = load_database(path, err);
    if (!db)
        return status_failed;
    std::ostringstream graph;
    std::string name = std::filesystem::path(path).filename().string();
    write_map(*db, name.substr(0, name.find('.')), graph);
    if (format.empty()) {
        out << graph.str();
        return status_ok;
    }
    return render(graph.str(), format, out, err);
}

}  // namespace zel::tool
