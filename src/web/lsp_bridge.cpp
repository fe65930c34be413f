#include "web/lsp_bridge.h"

#include <sstream>

#include "lsp/server.h"

namespace zel::web {

namespace {

const std::string length_header = "Content-Length: ";
const std::string header_end = "\r\n\r\n";

// The server's output: each message, framed and flushed by the server,
// goes on unframed as soon as it is flushed.
class Sending : public std::stringbuf {
public:
    explicit Sending(const Send& send) : send_(send) {}

protected:
    int sync() override {
        const std::string stream = str();
        std::size_t at = 0;
        for (std::size_t header; (header = stream.find(length_header, at)) != std::string::npos;) {
            const std::size_t body = stream.find(header_end, header);
            if (body == std::string::npos)
                break;
            const std::size_t length = std::stoul(stream.substr(header + length_header.size(), body - header));
            if (stream.size() - (body + header_end.size()) < length)
                break;
            send_(stream.substr(body + header_end.size(), length));
            at = body + header_end.size() + length;
        }
        str(stream.substr(at));
        return 0;
    }

private:
    const Send& send_;
};

}  // namespace

// The server reads a stream until it ends and then brings everything up to
// date; it keeps its state from one stream to the next.
void serve(const std::vector<std::string>& messages, const Send& send) {
    static lsp::Server server;
    std::string framed;
    for (const std::string& body : messages)
        framed += length_header + std::to_string(body.size()) + header_end + body;
    std::istringstream in(framed);
    Sending sending(send);
    std::ostream out(&sending);
    server.run(in, out);
    out.flush();
}

}  // namespace zel::web
