// Document highlight: every place of the open document that names what is
// under the cursor (a word and its synonyms of the same type, a text, an
// object, a location, a process table, a flag), definitions as Write and
// uses as Read, a flag as Write where its line stores into it; on the name
// of a condition or action, every line of the document that uses it.
#include "lsp/catalog.h"
#include "lsp/features.h"

namespace zel::lsp {

namespace {

constexpr int highlight_text = 1, highlight_read = 2, highlight_write = 3;

bool names(const Token& t, const ItemKey& key) {
    if (t.what != Token::What::item && t.what != Token::What::word && t.what != Token::What::number)
        return false;
    if (t.key.kind != key.kind || t.key.number != key.number)
        return false;
    return key.kind != Kind::word || key.type < 0 || t.key.type == key.type;
}

json highlight(const Analysis& analysis, const Token& t, int kind, Encoding encoding) {
    return json{{"range", analysis.range(t.at, encoding)}, {"kind", kind}};
}

}  // namespace

json document_highlights(const Analysis& analysis, int file, const Position& at, Encoding encoding) {
    const Hit hit = analysis.hit_at(file, at, encoding);
    const std::span<const Token> tokens = analysis.catalog().tokens(file);
    json found = json::array();
    if (hit.what == Hit::What::condact) {
        const int opcode = analysis.index.condacts()[hit.index].opcode;
        for (const Token& t : tokens)
            if (t.what == Token::What::condact && t.opcode == opcode)
                found.push_back(highlight(analysis, t, highlight_text, encoding));
        return found;
    }
    const std::optional<ItemKey> key = analysis.index.key_of(hit);
    if (!key)
        return nullptr;
    for (const Token& t : tokens)
        if (names(t, *key))
            found.push_back(highlight(analysis, t, t.definition || t.written ? highlight_write : highlight_read, encoding));
    return found;
}

}  // namespace zel::lsp
