// Fuzz target for the language server: a whole session in-process, without
// the disk and without streams, as quick as the server itself.
//
// An input that starts with "RAW\n" is the byte stream itself, framing and
// all, served as zeltool lsp serves its standard input. Any other input is
// a list of message bodies separated by lines "@@@", handed to the server
// after an initialize request as a burst of input, which the server then
// works through: a request compiles what it needs, and the idle work at the
// end the rest. Every document, "file:" ones too, exists only in the
// editor.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>

#include "lsp/server.h"

namespace {

constexpr std::string_view raw = "RAW\n";
constexpr std::string_view separator = "\n@@@\n";

void serve_stream(std::string_view input) {
    std::istringstream in{std::string(input)};
    std::ostringstream out;
    zel::lsp::Server server(nullptr, false);
    server.run(in, out);
}

void serve_bodies(std::string_view input) {
    zel::lsp::Server server([](const std::string&) {}, false);
    server.receive(R"({"jsonrpc":"2.0","id":0,"method":"initialize","params":{"capabilities":{}}})");
    for (;;) {
        const std::size_t end = input.find(separator);
        server.receive(std::string(input.substr(0, end)));
        if (end == std::string_view::npos)
            break;
        input.remove_prefix(end + separator.size());
    }
    server.drain();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    if (input.substr(0, raw.size()) == raw)
        serve_stream(input.substr(raw.size()));
    else
        serve_bodies(input);
    return 0;
}
