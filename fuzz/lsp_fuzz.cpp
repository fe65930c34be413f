// Fuzz target for the language server: a whole session in-process, from
// the bytes on its standard input to what it writes back.
//
// An input that starts with "RAW\n" is the byte stream itself, framing and
// all. Any other input is a list of message bodies separated by lines
// "@@@"; each is framed with its Content-Length and sent after an
// initialize request, so that the fuzzer spends its time on the messages
// rather than on the framing. Documents named "mem:/..." exist only in
// the editor, so nothing on disk is touched.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>

#include "lsp/server.h"

namespace {

constexpr std::string_view raw = "RAW\n";
constexpr std::string_view separator = "\n@@@\n";

void put_framed(std::string& stream, std::string_view body) {
    stream += "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
    stream += body;
}

std::string stream_from(std::string_view input) {
    if (input.substr(0, raw.size()) == raw)
        return std::string(input.substr(raw.size()));
    std::string stream;
    put_framed(stream, R"({"jsonrpc":"2.0","id":0,"method":"initialize","params":{"capabilities":{}}})");
    for (;;) {
        const std::size_t end = input.find(separator);
        put_framed(stream, input.substr(0, end));
        if (end == std::string_view::npos)
            break;
        input.remove_prefix(end + separator.size());
    }
    return stream;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(stream_from(std::string_view(reinterpret_cast<const char*>(data), size)));
    std::ostringstream out;
    zel::lsp::Server server;
    server.run(in, out);
    return 0;
}
