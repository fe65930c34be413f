// The language server of `zeltool lsp`, driven by the page's worker: the
// protocol's message bodies in; each message the server sends handed on as
// soon as it is written, so that the compiler's diagnostics go out before
// lint's findings are worked out.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace zel::web {

using Send = std::function<void(const std::string& body)>;

// Hands the messages to the server, which handles them and then brings its
// diagnostics up to date; what it sends goes to `send`, in order.
void serve(const std::vector<std::string>& messages, const Send& send);

}  // namespace zel::web
