// Latency of the language server as an editor sees it: starts `zeltool lsp`
// on a pipe, opens the largest valid adventure (workload a) and makes a few
// hundred edits of it, each followed by a hover and, once the server is
// idle again, by one request of every other kind. Prints the median and the
// 95th percentile of change-to-diagnostics (from the first byte of a
// didChange to the publishDiagnostics of its version), of hover (from
// request to response, sent as soon as the diagnostics are in, so that it
// may wait for lint) and of each kind again once the server is idle (from
// request to the last byte of its response), and the server's resident
// memory early in the run and at its end, which should stay flat.
//
//   zel_lsp_latency ZELTOOL SOURCE.SCE [EDITS]
//
// Each edit changes the number after one of the source's MESSAGE actions,
// every other time to a message that does not exist (an error), so that
// the diagnostics change at every step. The other requests are made at that
// number (a range: the 60 lines around it, as an editor's screen, or the
// whole file), in an order that turns with every edit, so that each kind is
// sometimes the first to ask of a new analysis.
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
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

    // Writes a message, reading what the server writes meanwhile (a large
    // publication of lint's findings) so that neither side waits for the
    // other forever.
    void send(const std::string& body) {
        const std::string frame = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
        for (std::size_t at = 0; at < frame.size();) {
            pollfd fds[2] = {{in_, POLLOUT, 0}, {out_, POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0)
                throw std::runtime_error("poll");
            if (fds[1].revents & (POLLIN | POLLHUP))
                read_ahead();
            if (!(fds[0].revents & (POLLOUT | POLLERR | POLLHUP)))
                continue;
            const ssize_t n = ::write(in_, frame.data() + at, std::min<std::size_t>(frame.size() - at, 1 << 16));
            if (n <= 0)
                throw std::runtime_error("the server stopped reading");
            at += static_cast<std::size_t>(n);
        }
    }

    // A message; `arrived` is when its last byte was read, before it is parsed.
    json receive(Clock::time_point* arrived = nullptr) {
        std::string header;
        while (header.find("\r\n\r\n") == std::string::npos)
            header += next();
        const std::size_t length = std::stoul(header.substr(header.find(':') + 1));
        std::string body;
        body.reserve(length);
        while (body.size() < length) {
            if (at_ == got_)
                body += next();
            const std::size_t n = std::min(length - body.size(), got_ - at_);
            body.append(buffer_.data() + at_, n);
            at_ += n;
        }
        if (arrived)
            *arrived = Clock::now();
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
    // Reads what the server has written into the buffer, behind what is
    // still unread there.
    void read_ahead() {
        if (at_ > 0) {
            std::memmove(buffer_.data(), buffer_.data() + at_, got_ - at_);
            got_ -= at_;
            at_ = 0;
        }
        if (buffer_.size() - got_ < (1 << 16))
            buffer_.resize(buffer_.size() * 2);
        const ssize_t n = ::read(out_, buffer_.data() + got_, buffer_.size() - got_);
        if (n <= 0)
            throw std::runtime_error("the server ended");
        got_ += static_cast<std::size_t>(n);
    }

    char next() {
        if (at_ == got_)
            read_ahead();
        return buffer_[at_++];
    }

    pid_t pid_ = -1;
    int in_ = -1, out_ = -1;
    std::vector<char> buffer_ = std::vector<char>(1 << 17);
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

json await_response(Child& server, int id, Clock::time_point* arrived = nullptr) {
    for (;;) {
        json m = server.receive(arrived);
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

double ms_between(Clock::time_point start, Clock::time_point end) {
    return std::chrono::duration<double, std::milli>(end - start).count();
}

json position_of(const Edit& edit) { return {{"line", edit.line}, {"character", edit.character}}; }

// The 60 lines around an edit, or (whole) the file.
json range_of(const Edit& edit, bool whole) {
    const unsigned first = whole || edit.line < 30 ? 0 : edit.line - 30;
    return {{"start", {{"line", first}, {"character", 0}}},
            {"end", {{"line", whole ? 1000000u : edit.line + 30}, {"character", 0}}}};
}

// A request kind measured after every edit: its method and its params
// beside the document.
struct Request {
    const char* name;
    const char* method;
    std::function<json(const Edit&, int round)> params;
};

const std::vector<Request> requests = {
    {"hover (idle)", "textDocument/hover", [](const Edit& e, int) { return json{{"position", position_of(e)}}; }},
    {"definition", "textDocument/definition", [](const Edit& e, int) { return json{{"position", position_of(e)}}; }},
    {"inlay hints (screen)", "textDocument/inlayHint", [](const Edit& e, int) { return json{{"range", range_of(e, false)}}; }},
    {"inlay hints (file)", "textDocument/inlayHint", [](const Edit& e, int) { return json{{"range", range_of(e, true)}}; }},
    {"semantic tokens (file)", "textDocument/semanticTokens/full", [](const Edit&, int) { return json::object(); }},
    {"semantic tokens (screen)", "textDocument/semanticTokens/range",
     [](const Edit& e, int) { return json{{"range", range_of(e, false)}}; }},
    {"signature help", "textDocument/signatureHelp", [](const Edit& e, int) { return json{{"position", position_of(e)}}; }},
    {"document highlight", "textDocument/documentHighlight",
     [](const Edit& e, int) { return json{{"position", position_of(e)}}; }},
    {"completion", "textDocument/completion", [](const Edit& e, int) { return json{{"position", position_of(e)}}; }},
    {"code action", "textDocument/codeAction",
     [](const Edit& e, int) {
         const json at = position_of(e);
         return json{{"range", {{"start", at}, {"end", at}}}, {"context", {{"diagnostics", json::array()}}}};
     }},
    {"workspace symbols", "workspace/symbol",
     [](const Edit&, int round) {
         static const char* const queries[] = {"", "message 1", "GET", "zq"};
         return json{{"query", queries[round % 4]}};
     }},
};

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
    std::vector<std::vector<double>> times(requests.size());
    long early_rss = -1;
    int id = 1;
    for (int i = 0; i < count; ++i) {
        const Edit& edit = edits[static_cast<std::size_t>(i)];
        const json document{{"uri", uri}};
        const std::string change_message = message(
            "textDocument/didChange",
            {{"textDocument", {{"uri", uri}, {"version", i + 2}}}, {"contentChanges", {{{"text", edit.text}}}}});
        const std::string hover_message =
            message("textDocument/hover", {{"textDocument", document}, {"position", position_of(edit)}}, id);
        Clock::time_point start = Clock::now();
        server.send(change_message);
        await_diagnostics(server, i + 2);
        change.push_back(ms_since(start));
        start = Clock::now();
        server.send(hover_message);
        await_response(server, id++);
        hover.push_back(ms_since(start));
        // Wait until lint is done: an unknown method is answered at once.
        server.send(message("zel/ping", json::object(), id));
        await_response(server, id++);
        for (std::size_t k = 0; k < requests.size(); ++k) {
            const std::size_t r = (k + static_cast<std::size_t>(i)) % requests.size();
            json params = requests[r].params(edit, i);
            params["textDocument"] = document;
            const std::string body = message(requests[r].method, std::move(params), id);
            Clock::time_point arrived;
            start = Clock::now();
            server.send(body);
            await_response(server, id++, &arrived);
            times[r].push_back(ms_between(start, arrived));
        }
        if (i == std::min(count - 1, 9))
            early_rss = server.rss_kb("VmRSS:");
    }
    std::printf("%d edits of %s (%zu bytes); times in milliseconds\n", count, path.c_str(), source.size());
    std::printf("%-26s %8s %8s %8s\n", "", "median", "p95", "max");
    auto row = [](const char* name, const std::vector<double>& values) {
        std::printf("%-26s %8.2f %8.2f %8.2f\n", name, percentile(values, 0.5), percentile(values, 0.95),
                    percentile(values, 1.0));
    };
    row("change to diagnostics", change);
    row("hover", hover);
    for (std::size_t r = 0; r < requests.size(); ++r)
        row(requests[r].name, times[r]);
    std::printf("server RSS: %ld KB after 10 edits, %ld KB at the end (peak %ld KB)\n", early_rss,
                server.rss_kb("VmRSS:"), server.rss_kb("VmHWM:"));
    server.send(message("shutdown", nullptr, id));
    await_response(server, id);
    server.send(message("exit", nullptr));
    return 0;
}
