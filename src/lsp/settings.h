// What the client may set, in initialize's initializationOptions and in the
// settings of workspace/didChangeConfiguration, either at the top or under
// "zel" (as an editor that synchronises its section "zel" sends them):
//
//   {"inlayHints": {"width": 40}}   characters of a text an inlay hint shows; 0: none
//
// and, in initializationOptions only,
//
//   {"text": "bytes"}   texts hold one character per byte of the source (see Encoding::bytes)
#pragma once

#include "lsp/protocol.h"

namespace zel::lsp {

struct Settings {
    static constexpr unsigned default_hint_width = 40;
    static constexpr unsigned widest_hint = 200;
    unsigned hint_width = default_hint_width;
};

// Takes what a client sent; anything missing or of the wrong form leaves the
// setting as it was.
void take_settings(Settings& settings, const json& options);

}  // namespace zel::lsp
