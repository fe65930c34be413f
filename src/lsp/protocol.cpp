#include "lsp/protocol.h"

#include <algorithm>

namespace zel::lsp {

namespace {

bool valid_id(const json& id) { return id.is_string() || id.is_number_integer() || id.is_number_unsigned(); }

bool fail(json& failure, const json& id, int code, const std::string& text) {
    failure = error_response(id, code, text);
    return false;
}

// How deeply the arrays and objects of a body nest, counted without
// parsing it, up to one past `most`.
int nesting(const std::string& body, int most) {
    int depth = 0, deepest = 0;
    bool in_string = false;
    for (std::size_t i = 0; i < body.size() && deepest <= most; ++i) {
        const char c = body[i];
        if (in_string) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                in_string = false;
        } else if (c == '"') {
            in_string = true;
        } else if (c == '[' || c == '{') {
            deepest = std::max(deepest, ++depth);
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return deepest;
}

// The code unit of an escape "\\uXXXX" at `at`, or -1.
long escaped_unit(const std::string& body, std::size_t at) {
    if (at + 6 > body.size() || body[at] != '\\' || body[at + 1] != 'u')
        return -1;
    long unit = 0;
    for (std::size_t i = at + 2; i < at + 6; ++i) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(body[i])));
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (digit < 0)
            return -1;
        unit = unit * 16 + digit;
    }
    return unit;
}

bool high_surrogate(long unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool low_surrogate(long unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The body with every escaped surrogate that is not half of a pair written
// as U+FFFD (one UTF-16 unit, as the surrogate was, so that the editor's
// columns stay in step); false when it has none.
bool replace_lone_surrogates(std::string& body) {
    bool replaced = false;
    for (std::size_t at = body.find('\\'); at != std::string::npos; at = body.find('\\', at)) {
        const long unit = escaped_unit(body, at);
        if (unit < 0) {
            at += 2;  // an escape of another kind
            continue;
        }
        if (high_surrogate(unit) && low_surrogate(escaped_unit(body, at + 6))) {
            at += 12;
            continue;
        }
        if (high_surrogate(unit) || low_surrogate(unit)) {
            body.replace(at, 6, "\\ufffd");
            replaced = true;
        }
        at += 6;
    }
    return replaced;
}

// The id and the method of a message too deep to be held, read as the
// parser passes its values by, without keeping any of them but these two.
class Outline : public json::json_sax_t {
public:
    json id;
    bool has_method = false;

    bool null() override { return scalar(nullptr); }
    bool boolean(bool) override { return scalar(nullptr); }
    bool number_integer(number_integer_t n) override { return scalar(n); }
    bool number_unsigned(number_unsigned_t n) override { return scalar(n); }
    bool number_float(number_float_t, const string_t&) override { return scalar(nullptr); }
    bool string(string_t& s) override { return scalar(s); }
    bool binary(binary_t&) override { return scalar(nullptr); }
    bool start_object(std::size_t) override { return open(); }
    bool end_object() override { return close(); }
    bool start_array(std::size_t) override { return open(); }
    bool end_array() override { return close(); }
    bool key(string_t& k) override {
        key_ = depth_ == 1 ? k : string_t();
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const json::exception&) override { return false; }

private:
    bool scalar(json value) {
        if (depth_ == 1 && key_ == "id" && (value.is_string() || value.is_number_integer() || value.is_number_unsigned()))
            id = std::move(value);
        else if (depth_ == 1 && key_ == "method" && value.is_string())
            has_method = true;
        key_.clear();
        return true;
    }
    bool open() {
        ++depth_;
        key_.clear();
        return true;
    }
    bool close() {
        --depth_;
        return true;
    }

    int depth_ = 0;
    string_t key_;
};

}  // namespace

bool parse_message(const std::string& body, Message& message, json& failure) {
    // Copying, printing and freeing a value recurse once per level: a
    // message nested deeper than any client's is refused unread.
    if (nesting(body, deepest_message) > deepest_message) {
        Outline outline;
        json::sax_parse(body, &outline, json::input_format_t::json, false);
        const std::string why = "the message nests deeper than " + std::to_string(deepest_message) + " levels";
        if (!outline.has_method || !outline.id.is_null())
            return fail(failure, outline.id, error::invalid_request, why);
        failure = nullptr;  // a notification gets no answer
        return false;
    }
    json j = json::parse(body, nullptr, false);
    if (j.is_discarded()) {
        // A text the editor holds as UTF-16 may have half a surrogate
        // pair, which no UTF-8 text can hold.
        std::string repaired = body;
        if (replace_lone_surrogates(repaired))
            j = json::parse(repaired, nullptr, false);
        if (j.is_discarded())
            return fail(failure, nullptr, error::parse_error, "the message is not JSON");
        message.repaired = true;
    }
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

namespace {

// Every string of a value made the text that shows its bytes, in place.
void show_bytes(json& value) {
    if (value.is_string())
        value = text_for_client(value.get<std::string>(), Encoding::bytes);
    else if (value.is_structured())
        for (json& member : value)
            show_bytes(member);
}

}  // namespace

std::string serialize(const json& message, Encoding encoding) {
    if (encoding != Encoding::bytes)
        return message.dump(-1, ' ', false, json::error_handler_t::replace);
    json shown = message;
    show_bytes(shown);
    return shown.dump(-1, ' ', false, json::error_handler_t::replace);
}

}  // namespace zel::lsp
