// The functions the page calls in the WebAssembly module. A call takes a
// bundle (web/bundle.h) in the module's memory and returns another, preceded
// by its length in four bytes, which the caller frees with zel_free.
#include <emscripten.h>

#include <cstdlib>
#include <cstring>

#include "web/calls.h"
#include "web/lsp_bridge.h"

// Hands a message of the language server to the worker.
EM_JS(void, zel_lsp_sent, (const char* body, std::size_t size), {
    Module["onLspMessage"](HEAPU8.slice(body, body + size));
});

namespace {

void send_on(const std::string& body) { zel_lsp_sent(body.data(), body.size()); }

unsigned char* answer_of(const zel::web::Bundle& bundle) {
    const std::string answer = bundle.bytes();
    auto* out = static_cast<unsigned char*>(std::malloc(answer.size() + 4));
    const auto length = static_cast<std::uint32_t>(answer.size());
    std::memcpy(out, &length, 4);  // WebAssembly is little-endian
    std::memcpy(out + 4, answer.data(), answer.size());
    return out;
}

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE unsigned char* zel_alloc(std::size_t size) {
    return static_cast<unsigned char*>(std::malloc(size == 0 ? 1 : size));
}

EMSCRIPTEN_KEEPALIVE void zel_free(unsigned char* bytes) { std::free(bytes); }

EMSCRIPTEN_KEEPALIVE unsigned char* zel_call(const unsigned char* request, std::size_t size) {
    return answer_of(zel::web::call(zel::web::Bundle(request, size)));
}

// The language server: a bundle of entries "message" in; each message the
// server sends goes to the module's onLspMessage(bytes) at once. The
// compiler's diagnostics come with the messages' answers; lint's findings
// when the worker calls zel_lsp_idle, once nothing more has come.
EMSCRIPTEN_KEEPALIVE void zel_lsp(const unsigned char* request, std::size_t size) {
    zel::web::serve(zel::web::Bundle(request, size).all("message"), send_on);
}

EMSCRIPTEN_KEEPALIVE void zel_lsp_idle() { zel::web::follow_up(send_on); }

}
