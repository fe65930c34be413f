// JSON-RPC 2.0 as the language server protocol uses it: requests,
// notifications and responses, and the error codes of both.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "lsp/encoding.h"

namespace zel::lsp {

using json = nlohmann::json;

namespace error {
constexpr int parse_error = -32700;
constexpr int invalid_request = -32600;
constexpr int method_not_found = -32601;
constexpr int invalid_params = -32602;
constexpr int internal_error = -32603;
constexpr int server_not_initialized = -32002;
constexpr int request_cancelled = -32800;
constexpr int request_failed = -32803;
}  // namespace error

// A message that has passed the JSON-RPC checks.
struct Message {
    enum class Type { request, notification, response } type = Type::notification;
    json id;             // requests and responses
    std::string method;  // requests and notifications
    json params;         // null when absent
    bool repaired = false;  // it held halves of surrogate pairs, read as U+FFFD
};

// How deeply the arrays and objects of a message may nest.
constexpr int deepest_message = 64;

// Reads a message body. On failure `failure` holds the error response to
// send (with a null id when the id could not be read; null when nothing is
// to be sent) and the result is false.
bool parse_message(const std::string& body, Message& message, json& failure);

json result_response(const json& id, json result);
json error_response(const json& id, int code, const std::string& message);
json notification(const std::string& method, json params);

// The text of a message. Strings that are not valid UTF-8 (texts of a
// source in a one-byte character set) have their bad bytes replaced, so that
// writing never fails; for a client of Encoding::bytes every string is first
// made the text that shows its bytes.
std::string serialize(const json& message, Encoding encoding = Encoding::utf16);

}  // namespace zel::lsp
