#include "lsp/server.h"

#include <csignal>
#include <iostream>

#include "lsp/features.h"
#include "lsp/methods.h"
#include "lsp/transport.h"

namespace zel::lsp {

namespace {

// How much input is read ahead of the message being handled: enough to
// coalesce a burst of changes and to see a cancellation of a request that
// waits, little enough to keep memory bounded.
constexpr std::size_t most_queued = 64;
constexpr std::size_t most_queued_bytes = 32u << 20;

const Method* method_named(std::span<const Method> methods, const std::string& name) {
    for (const Method& method : methods)
        if (method.name == name)
            return &method;
    return nullptr;
}

}  // namespace

Server::Server(Send send, bool use_disk)
    : send_(std::move(send)), workspace_([this](const std::string& body) {
          if (send_)
              send_(body);
      }) {
    workspace_.use_disk = use_disk;
}

void Server::send(const json& message) {
    if (send_)
        send_(serialize(message, workspace_.encoding));
}

void Server::receive(const std::string& body) {
    Incoming incoming;
    incoming.valid = parse_message(body, incoming.message, incoming.failure);
    const Message& m = incoming.message;
    if (incoming.valid && m.type == Message::Type::notification && m.method == "$/cancelRequest" &&
        m.params.is_object() && m.params.contains("id"))
        cancelled_.insert(m.params["id"].dump());
    incoming.bytes = body.size();
    queued_bytes_ += body.size();
    queue_.push_back(std::move(incoming));
}

void Server::reject(int code, const std::string& why) { send(error_response(nullptr, code, why)); }

void Server::step() {
    if (queue_.empty())
        return;
    const Incoming incoming = std::move(queue_.front());
    queue_.pop_front();
    queued_bytes_ -= incoming.bytes;
    handle(incoming);
}

void Server::idle(const std::function<bool()>& input_waiting) {
    if (!initialized_ || shut_down_ || exited_)
        return;
    workspace_.compile_pending();
    // The compiler's diagnostics are out; lint's findings follow unless
    // more input has come meanwhile (then they would be of an old text).
    if (!input_waiting || !input_waiting())
        workspace_.lint_pending();
}

void Server::drain() {
    while (!queue_.empty() && !exited_)
        step();
    idle();
}

int Server::run(std::istream& in, std::ostream& out) {
    Transport transport(in, out);
    Send before = std::move(send_);
    send_ = [&transport](const std::string& body) { transport.write(body); };
    // One message read into the queue; false at the end of the input.
    // Framing faults are answered at once.
    auto read_one = [&] {
        std::string body;
        switch (transport.read(body)) {
        case Transport::Read::end: return false;
        case Transport::Read::bad_header:
            reject(error::parse_error, "a message header without Content-Length");
            break;
        case Transport::Read::too_large:
            reject(error::invalid_request, "the message is too large");
            break;
        case Transport::Read::message: receive(body); break;
        }
        return true;
    };
    while (!exited_ && out.good()) {
        if (queue_.empty() && !read_one())
            break;
        while (queue_.size() < most_queued && queued_bytes_ < most_queued_bytes && transport.more_waiting() &&
               read_one()) {
        }
        step();
        // Nothing more waits: bring the diagnostics up to date.
        if (queue_.empty() && !transport.more_waiting())
            idle([&transport] { return transport.more_waiting(); });
    }
    send_ = std::move(before);
    return status();
}

void Server::handle(const Incoming& incoming) {
    if (!incoming.valid) {
        if (!incoming.failure.is_null())
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
    try {
        if (m.method == "initialize") {
            send(result_response(m.id, initialize(m.params)));
        } else if (m.method == "shutdown") {
            shut_down_ = true;
            send(result_response(m.id, nullptr));
        } else if (const Method* method = method_named(request_methods(), m.method)) {
            send(result_response(m.id, method->handle(workspace_, m.params)));
        } else {
            send(error_response(m.id, error::method_not_found, "no such method: " + m.method));
        }
    } catch (const json::exception& e) {
        send(error_response(m.id, error::invalid_params, std::string("invalid params: ") + e.what()));
    } catch (const RequestFailed& e) {
        send(error_response(m.id, error::request_failed, e.what()));
    } catch (const std::exception& e) {
        send(error_response(m.id, error::internal_error, e.what()));
    }
}

json Server::initialize(const json& params) {
    initialized_ = true;
    take_client_capabilities(workspace_, params);
    return json{{"capabilities", server_capabilities(workspace_)},
                {"serverInfo", {{"name", "zeltool"}, {"version", "2.3"}}}};
}

// Notifications get no answer, not even when they fail.
void Server::handle_notification(const Message& m) {
    if (m.method == "exit") {
        exited_ = true;
        return;
    }
    if (m.method == "$/cancelRequest") {
        if (m.params.is_object() && m.params.contains("id"))
            cancelled_.erase(m.params["id"].dump());
        return;
    }
    if (!initialized_ || shut_down_)
        return;
    const Method* method = method_named(notification_methods(), m.method);
    if (!method)
        return;
    try {
        method->handle(workspace_, m.params);
        if (m.repaired && m.params.contains("textDocument"))
            warn_unreadable(m.params["textDocument"].value("uri", ""));
    } catch (const std::exception& e) {
        std::cerr << "zeltool lsp: " << m.method << ": " << e.what() << "\n";
    }
}

// A text that held halves of surrogate pairs was read with U+FFFD in their
// place: its diagnostics are of that text, not quite the editor's.
void Server::warn_unreadable(const std::string& uri) {
    constexpr int warning = 2;
    send(notification("window/showMessage",
                      {{"type", warning},
                       {"message", "zeltool: " + uri +
                                       " holds half of a UTF-16 surrogate pair, which no source file can hold; "
                                       "the server reads it as U+FFFD"}}));
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
