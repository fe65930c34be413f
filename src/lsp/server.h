// The language server: takes message bodies, hands each to the handler of
// its method, and sends the responses and notifications. It knows nothing
// of streams: `run` serves it over a pair of byte streams (zeltool lsp), a
// web page's worker or a fuzzer feed it bodies and drain it themselves.
#pragma once

#include <deque>
#include <functional>
#include <istream>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "lsp/protocol.h"
#include "lsp/workspace.h"

namespace zel::lsp {

class Server {
public:
    // Sends one message body; framing it is the caller's business.
    using Send = std::function<void(const std::string& body)>;

    // Without the disk, only the documents the client opens exist.
    explicit Server(Send send = nullptr, bool use_disk = true);

    void set_send(Send send) { send_ = std::move(send); }

    // One message body as it came. It waits in the queue until `step`; a
    // cancellation is seen at once, so that a request waiting behind it is
    // answered as cancelled.
    void receive(const std::string& body);
    // A fault of the framing around a body: answered at once.
    void reject(int code, const std::string& why);
    // How much waits to be handled.
    std::size_t waiting() const { return queue_.size(); }
    std::size_t waiting_bytes() const { return queued_bytes_; }
    // Handles the oldest message waiting, if any.
    void step();
    // Nothing waits: brings the diagnostics of every changed adventure up to
    // date, the compiler's first, then lint's unless `input_waiting` says
    // that more input has come. Nothing is sent after shutdown.
    void idle(const std::function<bool()>& input_waiting = nullptr);
    // Handles everything waiting, then idles.
    void drain();

    bool exited() const { return exited_; }
    // The exit status: 0 after shutdown and exit, 1 otherwise.
    int status() const { return exited_ && shut_down_ ? 0 : 1; }

    // Serves the Content-Length framed messages of `in` until the exit
    // notification or the end of the input, and returns the exit status. A
    // server can run over several inputs one after the other.
    int run(std::istream& in, std::ostream& out);

private:
    // One message read, checked and waiting to be handled.
    struct Incoming {
        bool valid = false;
        Message message;
        json failure;
        std::size_t bytes = 0;
    };

    void handle(const Incoming& incoming);
    void handle_request(const Message& message);
    void handle_notification(const Message& message);
    void send(const json& message);
    void warn_unreadable(const std::string& uri);
    json initialize(const json& params);

    Send send_;
    Workspace workspace_;
    std::deque<Incoming> queue_;
    std::size_t queued_bytes_ = 0;
    std::set<std::string> cancelled_;  // ids (as JSON text) of requests waiting in the queue
    bool initialized_ = false, shut_down_ = false, exited_ = false;
};

// `zeltool lsp`: the server over standard input and `out`.
int run_server(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace zel::lsp
