// The language server of `zeltool lsp`, driven by the page's worker: the
// protocol's message bodies in, the server's answers and notifications out.
#pragma once

#include <string>
#include <vector>

namespace zel::web {

// Hands the messages to the server, lets it handle them and bring its
// diagnostics up to date, and returns what it sent, in order.
std::vector<std::string> serve(const std::vector<std::string>& messages);

}  // namespace zel::web
