#include "web/lsp_bridge.h"

namespace zel::web {

void serve(const std::vector<std::string>& messages, const lsp::Server::Send& send) {
    static lsp::Server server(nullptr, false);
    server.set_send(send);
    // Everything that came together is queued before any of it is handled,
    // so that a cancellation is seen and a burst of changes compiled once.
    for (const std::string& body : messages)
        server.receive(body);
    server.drain();
}

}  // namespace zel::web
