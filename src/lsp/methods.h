// The methods the server answers besides its lifecycle (initialize,
// shutdown, exit, $/cancelRequest): one function each, of the workspace and
// the message's params, returning the result of a request (a notification's
// is dropped). A new feature is a function here and a row of the tables in
// methods.cpp.
#pragma once

#include <span>
#include <string_view>

#include "lsp/protocol.h"
#include "lsp/workspace.h"

namespace zel::lsp {

using Handler = json (*)(Workspace& workspace, const json& params);

struct Method {
    std::string_view name;
    Handler handle;
};

std::span<const Method> request_methods();
std::span<const Method> notification_methods();

// What the server offers, for the answer to initialize.
json server_capabilities(const Workspace& workspace);
// Takes what the client said of itself in initialize.
void take_client_capabilities(Workspace& workspace, const json& params);

}  // namespace zel::lsp
