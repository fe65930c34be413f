// The language server of `zeltool lsp`, driven by the page's worker: the
// protocol's message bodies in, each message the server sends handed on as
// it is sent. The server reads no disk: the documents the page opens are
// the adventure's files.
#pragma once

#include <string>
#include <vector>

#include "lsp/server.h"

namespace zel::web {

// Hands the messages to the server, which handles them all and then brings
// the compiler's diagnostics up to date; what it sends goes to `send`, in
// order. Lint's findings wait for `follow_up`.
void serve(const std::vector<std::string>& messages, const lsp::Server::Send& send);

// When no message has come since: lint's findings for what changed.
void follow_up(const lsp::Server::Send& send);

}  // namespace zel::web
