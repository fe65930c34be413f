#include "lsp/protocol.h"

namespace zel::lsp {

namespace {

bool valid_id(const json& id) { return id.is_string() || id.is_number_integer() || id.is_number_unsigned(); }

bool fail(json& failure, const json& id, int code, const std::string& text) {
    failure = error_response(id, code, text);
    return false;
}

}  // namespace

bool parse_message(const std::string& body, Message& message, json& failure) {
    json j = json::parse(body, nullptr, false);
    if (j.is_discarded())
        return fail(failure, nullptr, error::parse_error, "the message is not JSON");
    if (!j.is_object())
        return fail(failure, nullptr, error::invalid_request, "a message must be a JSON object");
    const json id = j.contains("id") && valid_id(j["id"]) ? j["id"] : json(nullptr);
    if (j.contains("id") && !valid_id(j["id"]) && !j["id"].is_null())
        return fail(failure, nullptr, error::invalid_request, "an id must be a number or a string");
    if (!j.contains("jsonrpc") || j["jsonrpc"] != "2.0")
        return fail(failure, id, error::invalid_request, "jsonrpc must be \"2.0\"");
    // Some clients send "params": null where they mean none.
    if (j.contains("params") && !j["params"].is_object() && !j["params"].is_array() && !j["params"].is_null())
        return fail(failure, id, error::invalid_request, "params must be an object or an array");

    message.id = id;
    message.params = j.contains("params") ? j["params"] : json(nullptr);
    if (j.contains("method")) {
        if (!j["method"].is_string())
            return fail(failure, id, error::invalid_request, "method must be a string");
        message.method = j["method"].get<std::string>();
        message.type = j.contains("id") ? Message::Type::request : Message::Type::notification;
        if (message.type == Message::Type::request && id.is_null())
            return fail(failure, nullptr, error::invalid_request, "a request needs an id");
        return true;
    }
    if (j.contains("result") || j.contains("error")) {
        message.type = Message::Type::response;
        return true;
    }
    return fail(failure, id, error::invalid_request, "neither a request, a notification nor a response");
}

json result_response(const json& id, json result) {
    return json{{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}};
}

json error_response(const json& id, int code, const std::string& message) {
    return json{{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}};
}

json notification(const std::string& method, json params) {
    return json{{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}};
}

std::string serialize(const json& message) {
    return message.dump(-1, ' ', false, json::error_handler_t::replace);
}

}  // namespace zel::lsp
