#include "web/lsp_bridge.h"

namespace zel::web {

namespace {

lsp::Server& server() {
    static lsp::Server server(nullptr, false);
    return server;
}

}  // namespace

void serve(const std::vector<std::string>& messages, const lsp::Server::Send& send) {
    lsp::Server& s = server();
    s.set_send(send);
    // Everything that came together is queued before any of it is handled,
    // so that a cancellation is seen and a burst of changes compiled once.
    for (const std::string& body : messages)
        s.receive(body);
    while (s.waiting() != 0 && !s.exited())
        s.step();
    // As if more input waited: lint waits for follow_up.
    s.idle([] { return true; });
}

void follow_up(const lsp::Server::Send& send) {
    server().set_send(send);
    server().idle();
}

}  // namespace zel::web
