// The language server: reads messages, hands each to the handler of its
// method, and writes the responses and notifications.
#pragma once

#include <deque>
#include <istream>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "lsp/protocol.h"
#include "lsp/transport.h"
#include "lsp/workspace.h"

namespace zel::lsp {

class Server {
public:
    Server();

    // Serves the messages of `in` until the exit notification or the end of
    // the input. Returns the exit status: 0 after shutdown and exit, 1 when
    // the input ended or exit came without shutdown. A server can run over
    // several inputs one after the other.
    int run(std::istream& in, std::ostream& out);

private:
    using Handler = json (Server::*)(const json& params);

    // One message read, checked and waiting to be handled.
    struct Incoming {
        bool valid = false;
        Message message;
        json failure;
        std::size_t bytes = 0;
    };

    bool read_ahead(Transport& transport, bool wait);
    void handle(const Incoming& incoming);
    void handle_request(const Message& message);
    void handle_notification(const Message& message);
    void send(const json& message);

    // Lifecycle.
    json initialize(const json& params);
    json shutdown(const json& params);
    json initialized(const json& params);
    json cancel(const json& params);
    // Document synchronisation.
    json did_open(const json& params);
    json did_change(const json& params);
    json did_close(const json& params);
    json did_save(const json& params);
    // Features.
    json on_hover(const json& params);
    json on_definition(const json& params);
    json on_references(const json& params);
    json on_document_symbol(const json& params);
    json on_folding_range(const json& params);
    json on_completion(const json& params);
    json on_code_action(const json& params);

    std::map<std::string, Handler> requests_, notifications_;
    Workspace workspace_;
    Transport* transport_ = nullptr;
    std::deque<Incoming> queue_;
    std::size_t queued_bytes_ = 0;
    std::set<std::string> cancelled_;  // ids (as JSON text) of requests waiting in the queue
    bool initialized_ = false, shut_down_ = false, exited_ = false;
};

// `zeltool lsp`: the server over standard input and `out`.
int run_server(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace zel::lsp
