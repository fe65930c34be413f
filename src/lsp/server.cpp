#include "lsp/server.h"

#include <csignal>
#include <iostream>

namespace zel::lsp {

namespace {

// How much input is read ahead of the message being handled: enough to
// coalesce a burst of changes and to see a cancellation of a request that
// waits, little enough to keep memory bounded.
constexpr std::size_t most_queued = 64;
constexpr std::size_t most_queued_bytes = 32u << 20;

}  // namespace

Server::Server()
    : requests_{{"initialize", &Server::initialize},
                {"shutdown", &Server::shutdown},
                {"textDocument/hover", &Server::on_hover},
                {"textDocument/definition", &Server::on_definition},
                {"textDocument/references", &Server::on_references},
                {"textDocument/documentSymbol", &Server::on_document_symbol},
                {"textDocument/foldingRange", &Server::on_folding_range},
                {"textDocument/completion", &Server::on_completion},
                {"textDocument/codeAction", &Server::on_code_action}},
      notifications_{{"initialized", &Server::initialized},
                     {"$/cancelRequest", &Server::cancel},
                     {"textDocument/didOpen", &Server::did_open},
                     {"textDocument/didChange", &Server::did_change},
                     {"textDocument/didClose", &Server::did_close},
                     {"textDocument/didSave", &Server::did_save}},
      workspace_([this](json params) { send(notification("textDocument/publishDiagnostics", std::move(params))); }) {}

void Server::send(const json& message) {
    if (transport_)
        transport_->write(serialize(message));
}

// Reads one message into the queue, waiting for it when `wait` is set;
// false at the end of the input. Framing faults are answered at once.
bool Server::read_ahead(Transport& transport, bool wait) {
    if (!wait && !transport.more_waiting())
        return false;
    std::string body;
    for (;;) {
        switch (transport.read(body)) {
        case Transport::Read::end: return false;
        case Transport::Read::bad_header:
            send(error_response(nullptr, error::parse_error, "a message header without Content-Length"));
            break;
        case Transport::Read::too_large:
            send(error_response(nullptr, error::invalid_request, "the message is too large"));
            break;
        case Transport::Read::message: {
            Incoming incoming;
            incoming.valid = parse_message(body, incoming.message, incoming.failure);
            const Message& m = incoming.message;
            if (incoming.valid && m.type == Message::Type::notification && m.method == "$/cancelRequest" &&
                m.params.is_object() && m.params.contains("id"))
                cancelled_.insert(m.params["id"].dump());
            incoming.bytes = body.size();
            queued_bytes_ += body.size();
            queue_.push_back(std::move(incoming));
            return true;
        }
        }
        if (!wait && !transport.more_waiting())
            return false;
    }
}

int Server::run(std::istream& in, std::ostream& out) {
    Transport transport(in, out);
    transport_ = &transport;
    while (!exited_ && out.good()) {
        if (queue_.empty() && !read_ahead(transport, true))
            break;
        while (queue_.size() < most_queued && queued_bytes_ < most_queued_bytes && read_ahead(transport, false)) {
        }
        const Incoming incoming = std::move(queue_.front());
        queue_.pop_front();
        queued_bytes_ -= incoming.bytes;
        handle(incoming);
        // Nothing more waits: bring the diagnostics up to date.
        if (queue_.empty() && !transport.more_waiting() && !exited_)
            workspace_.compile_pending();
        // Still nothing: lint's findings follow the compiler's diagnostics.
        if (queue_.empty() && !transport.more_waiting() && !exited_)
            workspace_.lint_pending();
    }
    transport_ = nullptr;
    return exited_ && shut_down_ ? 0 : 1;
}

void Server::handle(const Incoming& incoming) {
    if (!incoming.valid) {
        send(incoming.failure);
        return;
    }
    const Message& m = incoming.message;
    if (m.type == Message::Type::request)
        handle_request(m);
    else if (m.type == Message::Type::notification)
        handle_notification(m);
    // Responses: the server sends no requests, so there is nothing to match.
}

void Server::handle_request(const Message& m) {
    if (cancelled_.erase(m.id.dump()) != 0) {
        send(error_response(m.id, error::request_cancelled, "cancelled"));
        return;
    }
    if (!initialized_ && m.method != "initialize") {
        send(error_response(m.id, error::server_not_initialized, "the server has not been initialized"));
        return;
    }
    if (m.method == "initialize" && initialized_) {
        send(error_response(m.id, error::invalid_request, "the server is already initialized"));
        return;
    }
    if (shut_down_) {
        send(error_response(m.id, error::invalid_request, "the server has been shut down"));
        return;
    }
    const auto handler = requests_.find(m.method);
    if (handler == requests_.end()) {
        send(error_response(m.id, error::method_not_found, "no such method: " + m.method));
        return;
    }
    try {
        send(result_response(m.id, (this->*handler->second)(m.params)));
    } catch (const json::exception& e) {
        send(error_response(m.id, error::invalid_params, std::string("invalid params: ") + e.what()));
    } catch (const std::exception& e) {
        send(error_response(m.id, error::internal_error, e.what()));
    }
}

// Notifications get no answer, not even when they fail.
void Server::handle_notification(const Message& m) {
    if (m.method == "exit") {
        exited_ = true;
        return;
    }
    if (m.method == "$/cancelRequest") {
        cancel(m.params);
        return;
    }
    if (!initialized_ || shut_down_)
        return;
    const auto handler = notifications_.find(m.method);
    if (handler == notifications_.end())
        return;
    try {
        (this->*handler->second)(m.params);
    } catch (const std::exception& e) {
        std::cerr << "zeltool lsp: " << m.method << ": " << e.what() << "\n";
    }
}

int run_server(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    for (const std::string& arg : args)
        if (arg != "--stdio") {
            err << "zeltool lsp: unknown argument " << arg << "\nusage: zeltool lsp [--stdio]\n";
            return 2;
        }
    // Buffered standard input: input that has arrived can then be seen
    // waiting (to coalesce changes and see cancellations), and reading a
    // large message does not go through stdio a character at a time.
    std::ios::sync_with_stdio(false);
    // A client that has gone away makes writes fail, not the server die.
    std::signal(SIGPIPE, SIG_IGN);
    Server server;
    return server.run(std::cin, out);
}

}  // namespace zel::lsp
