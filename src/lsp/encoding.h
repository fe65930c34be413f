// How the server and its client count and carry the characters of a text.
#pragma once

#include <string>
#include <string_view>

namespace zel::lsp {

// utf16 and utf8: positions in the code units the client chose; texts are
// UTF-8 both ways. bytes: the client's texts hold one character per byte of
// the source (U+0000 to U+00FF, as a web page shows a file of bytes), so a
// position counts bytes while the client counts UTF-16 units of such a text,
// and each character of a text that reaches or leaves the server is one
// byte of the source.
enum class Encoding { utf16, utf8, bytes };

// The source bytes of a text the client sent: in bytes, each character up to
// U+00FF becomes its byte (a character beyond keeps its UTF-8 bytes).
std::string text_from_client(std::string text, Encoding encoding);

// The text that shows source bytes to the client: in bytes, each byte from
// 0x80 becomes the character of that value, in UTF-8.
std::string text_for_client(std::string text, Encoding encoding);

}  // namespace zel::lsp
