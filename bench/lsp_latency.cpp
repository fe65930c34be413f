// Latency of the language server as an editor sees it: starts `zeltool lsp`
// on a pipe, opens the largest valid adventure (workload a) and makes a few
// hundred edits of it, each followed by a hover; then types a line a letter
// at a time and takes it back. Prints the median and the 95th percentile of
// change to compiler diagnostics (from the first byte of a didChange to the
// first publishDiagnostics of its version), of change to complete
// diagnostics (to the last publication of that version, lint's findings
// included, once the server has been silent for a while), and of hover
// (from request to response), and of each request kind of the editor's
// features once the server is idle again (from request to the last byte of
// the response: definition, inlay hints and semantic tokens of a screen of
// 60 lines around the edit and of the whole file, signature help, document
// highlight, completion, code actions, workspace symbols), and the server's
// resident memory early in the run and at its end, which should stay flat.
//
//   zel_lsp_latency ZELTOOL SOURCE.SCE [EDITS]
//
// Each edit changes the number after one of the source's MESSAGE actions,
// every other time to a message that does not exist (an error), else to
// another message (so that lint's findings change), and is sent as the
// change of a range, as editors do when the server asks for changes. The
// other requests are made at the number changed, in an order that turns
// with every edit, so that each kind is sometimes the first to ask of a new
// analysis.
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
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

    void send(const std::string& body) {
        const std::string frame = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
        for (std::size_t at = 0; at < frame.size();) {
            const ssize_t n = ::write(in_, frame.data() + at, frame.size() - at);
            if (n <= 0)
                throw std::runtime_error("the server stopped reading");
            at += static_cast<std::size_t>(n);
        }
    }

    // Whether a message begins within `ms` milliseconds.
    bool waiting(int ms) {
        if (at_ < got_)
            return true;
        pollfd fd{out_, POLLIN, 0};
        return ::poll(&fd, 1, ms) > 0;
    }

    // The next message's body.
    std::string receive() {
        std::string header;
        while (header.find("\r\n\r\n") == std::string::npos)
            header += next();
        const std::size_t length = std::stoul(header.substr(header.find(':') + 1));
        std::string body;
        while (body.size() < length)
            body += next();
        return body;
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

// Whether a body is the publication of the diagnostics of a version: read
// from the members before the list, which the server writes first, so that
// the time measured is not the time to parse a long list.
bool diagnostics_of(const std::string& body, int version) {
    const std::size_t list = body.find("\"diagnostics\":");
    const std::string head = body.substr(0, list);
    return head.find("\"textDocument/publishDiagnostics\"") != std::string::npos &&
           head.find("\"version\":" + std::to_string(version) + ",") != std::string::npos;
}

// Waits for the diagnostics of a version of the document: the time to the
// first publication, and to the last before the server falls silent.
struct Arrival {
    double first = 0, last = 0;
};

Arrival await_diagnostics(Child& server, int version, Clock::time_point start) {
    constexpr int silence_ms = 40;
    Arrival arrival;
    while (!diagnostics_of(server.receive(), version)) {
    }
    arrival.first = arrival.last = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    while (server.waiting(silence_ms))
        if (diagnostics_of(server.receive(), version))
            arrival.last = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    return arrival;
}

// The response to a request; `arrived` is when its last byte was read,
// before it is parsed.
json await_response(Child& server, int id, Clock::time_point* arrived = nullptr) {
    for (;;) {
        const std::string body = server.receive();
        if (arrived)
            *arrived = Clock::now();
        if (body.find("\"id\":" + std::to_string(id)) == std::string::npos)
            continue;
        json m = json::parse(body);
        if (m.contains("id") && m["id"] == id)
            return m;
    }
}

struct Edit {
    std::string text;             // the number written
    unsigned line, character;     // of the number changed
    unsigned length;              // of the number it replaces
};

// The lines "MESSAGE n" of the source, and the edits of their numbers.
std::vector<Edit> edits_of(const std::string& source, int count) {
    std::vector<std::size_t> places;
    for (std::size_t at = source.find(" MESSAGE "); at != std::string::npos; at = source.find(" MESSAGE ", at + 1))
        places.push_back(at + 9);
    if (places.empty())
        throw std::runtime_error("no MESSAGE action in the source");
    // Each edit changes the number of one action, and the next puts it back.
    std::vector<Edit> edits;
    for (int i = 0; i < count; i += 2) {
        const std::size_t at = places[static_cast<std::size_t>(i / 2 * 7) % places.size()];
        const std::size_t end = source.find_first_not_of("0123456789", at);
        const std::size_t line_start = source.rfind('\n', at) + 1;
        const auto line = static_cast<unsigned>(std::count(source.begin(), source.begin() + static_cast<long>(at), '\n'));
        const auto character = static_cast<unsigned>(at - line_start);
        const std::string written = (i / 2) % 2 ? "250" : std::to_string((i / 2) % 200);
        edits.push_back({written, line, character, static_cast<unsigned>(end - at)});
        edits.push_back({source.substr(at, end - at), line, character, static_cast<unsigned>(written.size())});
    }
    edits.resize(static_cast<std::size_t>(count));
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

json at_edit(const Edit& e, int) { return json{{"position", position_of(e)}}; }

const std::vector<Request> requests = {
    {"definition", "textDocument/definition", at_edit},
    {"inlay hints (screen)", "textDocument/inlayHint", [](const Edit& e, int) { return json{{"range", range_of(e, false)}}; }},
    {"inlay hints (file)", "textDocument/inlayHint", [](const Edit& e, int) { return json{{"range", range_of(e, true)}}; }},
    {"semantic tokens (screen)", "textDocument/semanticTokens/range",
     [](const Edit& e, int) { return json{{"range", range_of(e, false)}}; }},
    {"semantic tokens (file)", "textDocument/semanticTokens/full", [](const Edit&, int) { return json::object(); }},
    {"signature help", "textDocument/signatureHelp", at_edit},
    {"document highlight", "textDocument/documentHighlight", at_edit},
    {"completion", "textDocument/completion", at_edit},
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
    await_diagnostics(server, 1, Clock::now());

    int version = 1;
    // A change of `length` characters at a place to `text`; the times to its
    // diagnostics.
    auto change = [&](unsigned line, unsigned character, unsigned length, const std::string& text) {
        const json range{{"start", {{"line", line}, {"character", character}}},
                         {"end", {{"line", line}, {"character", character + length}}}};
        const std::string body = message(
            "textDocument/didChange",
            {{"textDocument", {{"uri", uri}, {"version", ++version}}}, {"contentChanges", {{{"range", range}, {"text", text}}}}});
        const Clock::time_point start = Clock::now();
        server.send(body);
        return await_diagnostics(server, version, start);
    };
    std::vector<double> compiled, complete, hover;
    std::vector<std::vector<double>> times(requests.size());
    int next_id = count + 2;
    auto take = [&](const Arrival& arrival) {
        compiled.push_back(arrival.first);
        complete.push_back(arrival.last);
    };
    long early_rss = -1;
    for (int i = 0; i < count; ++i) {
        const Edit& edit = edits[static_cast<std::size_t>(i)];
        take(change(edit.line, edit.character, edit.length, edit.text));
        const std::string hover_message = message(
            "textDocument/hover",
            {{"textDocument", {{"uri", uri}}}, {"position", {{"line", edit.line}, {"character", edit.character}}}},
            i + 1);
        const Clock::time_point start = Clock::now();
        server.send(hover_message);
        await_response(server, i + 1);
        hover.push_back(ms_since(start));
        for (std::size_t k = 0; k < requests.size(); ++k) {
            const std::size_t r = (k + static_cast<std::size_t>(i)) % requests.size();
            json params = requests[r].params(edit, i);
            params["textDocument"] = {{"uri", uri}};
            const std::string body = message(requests[r].method, std::move(params), next_id);
            Clock::time_point arrived;
            const Clock::time_point asked = Clock::now();
            server.send(body);
            await_response(server, next_id++, &arrived);
            times[r].push_back(std::chrono::duration<double, std::milli>(arrived - asked).count());
        }
        if (i == std::min(count - 1, 9))
            early_rss = server.rss_kb("VmRSS:");
    }

    // A line typed a letter at a time after the first MESSAGE action's line,
    // then taken back a letter at a time.
    const std::size_t typed_after = source.find('\n', source.find(" MESSAGE "));
    const auto typed_line = static_cast<unsigned>(std::count(source.begin(), source.begin() + static_cast<long>(typed_after), '\n'));
    const unsigned typed_at = static_cast<unsigned>(typed_after - source.rfind('\n', typed_after - 1) - 1);
    const std::string typed = "\n MESSAGE 7";
    std::vector<double> typing_compiled, typing_complete;
    take(change(typed_line, typed_at, 0, "\n"));
    for (std::size_t k = 1; k < typed.size(); ++k)
        take(change(typed_line + 1, static_cast<unsigned>(k - 1), 0, typed.substr(k, 1)));
    for (std::size_t k = typed.size() - 1; k >= 1; --k)
        take(change(typed_line + 1, static_cast<unsigned>(k - 1), 1, ""));
    const std::size_t typed_changes = 2 * typed.size() - 1;
    typing_compiled.assign(compiled.end() - static_cast<long>(typed_changes), compiled.end());
    typing_complete.assign(complete.end() - static_cast<long>(typed_changes), complete.end());
    compiled.resize(compiled.size() - typed_changes);
    complete.resize(complete.size() - typed_changes);

    std::printf("%d edits of %s (%zu bytes), and %zu keystrokes; times in milliseconds\n", count, path.c_str(),
                source.size(), typed_changes);
    std::printf("%-32s %8s %8s %8s\n", "", "median", "p95", "max");
    auto row = [](const char* what, const std::vector<double>& times) {
        std::printf("%-32s %8.2f %8.2f %8.2f\n", what, percentile(times, 0.5), percentile(times, 0.95),
                    percentile(times, 1.0));
    };
    row("change to compiler diagnostics", compiled);
    row("change to complete diagnostics", complete);
    row("keystroke to compiler diagnostics", typing_compiled);
    row("keystroke to complete diagnostics", typing_complete);
    row("hover", hover);
    for (std::size_t r = 0; r < requests.size(); ++r)
        row(requests[r].name, times[r]);
    std::printf("server RSS: %ld KB after 10 edits, %ld KB at the end (peak %ld KB)\n", early_rss,
                server.rss_kb("VmRSS:"), server.rss_kb("VmHWM:"));
    server.send(message("shutdown", nullptr, count + 1));
    await_response(server, count + 1);
    server.send(message("exit", nullptr));
    return 0;
}
