// Latency of the language server as an editor sees it: starts `zeltool lsp`
// on a pipe, opens the largest valid adventure (workload a) and makes a few
// hundred edits of it, each followed by a hover. Prints the median and the
// 95th percentile of change-to-diagnostics (from the first byte of a
// didChange to the publishDiagnostics of its version) and of hover (from
// request to response), and the server's resident memory early in the run
// and at its end, which should stay flat.
//
//   zel_lsp_latency ZELTOOL SOURCE.SCE [EDITS]
//
// Each edit changes the number after one of the source's MESSAGE actions,
// every other time to a message that does not exist (an error), so that
// the diagnostics change at every step.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace {

using json = nlohmann::json;
using Clock = std::chrono::steady_clock;

class Child {
public:
    Child(const std::string& program) {
        int to[2], from[2];
        if (::pipe(to) != 0 || ::pipe(from) != 0)
            throw std::runtime_error("pipe");
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(to[0], 0);
            ::dup2(from[1], 1);
            ::close(to[1]);
            ::close(from[0]);
            ::execl(program.c_str(), program.c_str(), "lsp", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(to[0]);
        ::close(from[1]);
        in_ = to[1];
        out_ = from[0];
    }
    ~Child() {
        ::close(in_);
        ::close(out_);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }

    void send(const std::string& body) {
        const std::string frame = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
        for (std::size_t at = 0; at < frame.size();) {
            const ssize_t n = ::write(in_, frame.data() + at, frame.size() - at);
            if (n <= 0)
                throw std::runtime_error("the server stopped reading");
            at += static_cast<std::size_t>(n);
        }
    }

    json receive() {
        std::string header;
        while (header.find("\r\n\r\n") == std::string::npos)
            header += next();
        const std::size_t length = std::stoul(header.substr(header.find(':') + 1));
        std::string body;
        while (body.size() < length)
            body += next();
        return json::parse(body);
    }

    long rss_kb(const char* field) const {
        std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind(field, 0) == 0)
                return std::stol(line.substr(std::string(field).size()));
        return -1;
    }

private:
    char next() {
        if (at_ == got_) {
            const ssize_t n = ::read(out_, buffer_, sizeof buffer_);
            if (n <= 0)
                throw std::runtime_error("the server ended");
            got_ = static_cast<std::size_t>(n);
            at_ = 0;
        }
        return buffer_[at_++];
    }

    pid_t pid_ = -1;
    int in_ = -1, out_ = -1;
    char buffer_[1 << 16];
    std::size_t at_ = 0, got_ = 0;
};

std::string message(const std::string& method, json params, int id = -1) {
    json m{{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}};
    if (id >= 0)
        m["id"] = id;
    return m.dump();
}

// Waits for the diagnostics of a version of the document.
void await_diagnostics(Child& server, int version) {
    for (;;) {
        const json m = server.receive();
        if (m.value("method", "") == "textDocument/publishDiagnostics" && m["params"].value("version", -1) == version)
            return;
    }
}

json await_response(Child& server, int id) {
    for (;;) {
        json m = server.receive();
        if (m.contains("id") && m["id"] == id)
            return m;
    }
}

struct Edit {
    std::string text;
    unsigned line, character;  // of the number changed
};

// The lines "MESSAGE n" of the source, and the edits of their numbers.
std::vector<Edit> edits_of(const std::string& source, int count) {
    std::vector<std::size_t> places;
    for (std::size_t at = source.find(" MESSAGE "); at != std::string::npos; at = source.find(" MESSAGE ", at + 1))
        places.push_back(at + 9);
    if (places.empty())
        throw std::runtime_error("no MESSAGE action in the source");
    std::vector<Edit> edits;
    for (int i = 0; i < count; ++i) {
        const std::size_t at = places[static_cast<std::size_t>(i * 7) % places.size()];
        const std::size_t end = source.find_first_not_of("0123456789", at);
        std::string text = source;
        text.replace(at, end - at, i % 2 ? "250" : std::to_string(i % 200));
        const std::size_t line_start = source.rfind('\n', at) + 1;
        edits.push_back({std::move(text), static_cast<unsigned>(std::count(source.begin(), source.begin() + at, '\n')),
                         static_cast<unsigned>(at - line_start)});
    }
    return edits;
}

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const std::size_t k = std::min(values.size() - 1, static_cast<std::size_t>(p * (values.size() - 1) + 0.5));
    return values[k];
}

double ms_since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: zel_lsp_latency ZELTOOL SOURCE.SCE [EDITS]\n";
        return 2;
    }
    char* absolute = ::realpath(argv[2], nullptr);
    if (!absolute) {
        std::cerr << "zel_lsp_latency: cannot find " << argv[2] << "\n";
        return 1;
    }
    const std::string path = absolute;
    std::free(absolute);
    std::ifstream file(path, std::ios::binary);
    std::stringstream read;
    read << file.rdbuf();
    const std::string source = read.str();
    const int count = argc > 3 ? std::stoi(argv[3]) : 300;
    const std::string uri = "file://" + path;
    const std::vector<Edit> edits = edits_of(source, count);

    Child server(argv[1]);
    server.send(message("initialize", {{"capabilities", json::object()}}, 0));
    await_response(server, 0);
    server.send(message("initialized", json::object()));
    server.send(message("textDocument/didOpen",
                        {{"textDocument", {{"uri", uri}, {"languageId", "zel"}, {"version", 1}, {"text", source}}}}));
    await_diagnostics(server, 1);

    std::vector<double> change, hover;
    long early_rss = -1;
    for (int i = 0; i < count; ++i) {
        const Edit& edit = edits[static_cast<std::size_t>(i)];
        const std::string change_message = message(
            "textDocument/didChange",
            {{"textDocument", {{"uri", uri}, {"version", i + 2}}}, {"contentChanges", {{{"text", edit.text}}}}});
        const std::string hover_message = message(
            "textDocument/hover",
            {{"textDocument", {{"uri", uri}}}, {"position", {{"line", edit.line}, {"character", edit.character}}}},
            i + 1);
        Clock::time_point start = Clock::now();
        server.send(change_message);
        await_diagnostics(server, i + 2);
        change.push_back(ms_since(start));
        start = Clock::now();
        server.send(hover_message);
        await_response(server, i + 1);
        hover.push_back(ms_since(start));
        if (i == std::min(count - 1, 9))
            early_rss = server.rss_kb("VmRSS:");
    }
    std::printf("%d edits of %s (%zu bytes); times in milliseconds\n", count, path.c_str(), source.size());
    std::printf("%-22s %8s %8s %8s\n", "", "median", "p95", "max");
    std::printf("%-22s %8.2f %8.2f %8.2f\n", "change to diagnostics", percentile(change, 0.5),
                percentile(change, 0.95), percentile(change, 1.0));
    std::printf("%-22s %8.2f %8.2f %8.2f\n", "hover", percentile(hover, 0.5), percentile(hover, 0.95),
                percentile(hover, 1.0));
    std::printf("server RSS: %ld KB after 10 edits, %ld KB at the end (peak %ld KB)\n", early_rss,
                server.rss_kb("VmRSS:"), server.rss_kb("VmHWM:"));
    server.send(message("shutdown", nullptr, count + 1));
    await_response(server, count + 1);
    server.send(message("exit", nullptr));
    return 0;
}
