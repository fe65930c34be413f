// A session with the language server as a table of steps: the messages
// sent, driven in-process through string streams, and a part of what comes
// back.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "lsp/server.h"

namespace zel::lsp {

inline std::string frame(const std::string& body) {
    return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

inline std::vector<json> messages_in(const std::string& output) {
    std::vector<json> found;
    for (std::size_t at = 0; at < output.size();) {
        const std::size_t body = output.find("\r\n\r\n", at) + 4;
        const std::size_t length = std::stoul(output.substr(at + 16, body - at - 20));
        found.push_back(json::parse(output.substr(body, length)));
        at = body + length;
    }
    return found;
}

struct Step {
    const char* what;
    std::vector<std::string> send;  // message bodies, or raw bytes after "RAW"
    std::string pick;               // the response "id:N", the diagnostics "uri:NAME" (the last of
                                    // them; "every-uri:NAME" every one), a notification "method:NAME",
                                    // the "last" message, or "none"
    std::string pointer;            // into the message picked
    std::string expected;           // a part of the value there (placeholders filled in), or "!" and a part it lacks
};

inline std::string request(int id, const std::string& method, const std::string& params) {
    return R"({"jsonrpc":"2.0","id":)" + std::to_string(id) + R"(,"method":")" + method + R"(","params":)" + params + "}";
}
inline std::string notice(const std::string& method, const std::string& params) {
    return R"({"jsonrpc":"2.0","method":")" + method + R"(","params":)" + params + "}";
}

// Each step's messages sent to the server, and what it answers checked;
// `fill` fills in the placeholders of bodies and expected parts.
inline void run_session(Server& server, std::span<const Step> session,
                        const std::function<std::string(const std::string&)>& fill) {
    std::vector<json> output;
    for (const Step& step : session) {
        SCOPED_TRACE(step.what);
        std::string input;
        for (const std::string& body : step.send)
            input += step.send.front() == "RAW" ? (body == "RAW" ? "" : body) : frame(fill(body));
        if (!step.send.empty()) {
            std::istringstream in(input);
            std::ostringstream out;
            server.run(in, out);
            output = messages_in(out.str());
        }
        if (step.pick == "none") {
            EXPECT_TRUE(output.empty());
            continue;
        }
        const json* picked = nullptr;
        for (const json& m : output) {
            const bool id = step.pick.rfind("id:", 0) == 0 && m.contains("id") && m["id"].dump() == step.pick.substr(3);
            const bool uri = step.pick.rfind("uri:", 0) == 0 && m.value("method", "") == "textDocument/publishDiagnostics" &&
                             m["params"]["uri"].get<std::string>().ends_with(step.pick.substr(4));
            const bool method = step.pick.rfind("method:", 0) == 0 && m.value("method", "") == step.pick.substr(7);
            const bool every = step.pick.rfind("every-uri:", 0) == 0 && m.value("method", "") == "textDocument/publishDiagnostics" &&
                               m["params"]["uri"].get<std::string>().ends_with(step.pick.substr(10));
            if (every) {
                EXPECT_NE(m.at(json::json_pointer(step.pointer)).dump().find(fill(step.expected)), std::string::npos) << m.dump();
            }
            if (id || uri || method || every || step.pick == "last")
                picked = &m;
        }
        ASSERT_NE(picked, nullptr) << step.pick;
        ASSERT_TRUE(picked->contains(json::json_pointer(step.pointer))) << picked->dump();
        const std::string value = picked->at(json::json_pointer(step.pointer)).dump();
        if (step.expected.starts_with("!"))
            EXPECT_EQ(value.find(fill(step.expected.substr(1))), std::string::npos) << value;
        else
            EXPECT_NE(value.find(fill(step.expected)), std::string::npos) << picked->dump();
    }
}

}  // namespace zel::lsp
