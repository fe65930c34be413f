#include "web/lsp_bridge.h"

#include <sstream>

#include "lsp/server.h"

namespace zel::web {

namespace {

const std::string length_header = "Content-Length: ";
const std::string header_end = "\r\n\r\n";

// The bodies of the messages framed in a stream the server wrote.
std::vector<std::string> unframed(const std::string& stream) {
    std::vector<std::string> bodies;
    for (std::size_t at = stream.find(length_header); at != std::string::npos; at = stream.find(length_header, at)) {
        const std::size_t length = std::stoul(stream.substr(at + length_header.size(), 12));
        const std::size_t body = stream.find(header_end, at);
        if (body == std::string::npos)
            break;
        bodies.push_back(stream.substr(body + header_end.size(), length));
        at = body + header_end.size() + length;
    }
    return bodies;
}

}  // namespace

// The server reads a stream until it ends and then brings everything up to
// date; it keeps its state from one stream to the next.
std::vector<std::string> serve(const std::vector<std::string>& messages) {
    static lsp::Server server;
    std::string framed;
    for (const std::string& body : messages)
        framed += length_header + std::to_string(body.size()) + header_end + body;
    std::istringstream in(framed);
    std::ostringstream out;
    server.run(in, out);
    return unframed(out.str());
}

}  // namespace zel::web
