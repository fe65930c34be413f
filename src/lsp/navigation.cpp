// Definition and references: from a number or word to where it is defined
// and to everything that uses it, across the chain.
#include "lsp/features.h"

namespace zel::lsp {

namespace {

std::optional<ItemKey> key_at(const Analysis& analysis, int file, const Position& at, Encoding encoding) {
    return analysis.index.key_of(analysis.hit_at(file, at, encoding));
}

}  // namespace

json definition(const Analysis& analysis, int file, const Position& at, Encoding encoding) {
    const auto key = key_at(analysis, file, at, encoding);
    if (!key)
        return nullptr;
    json found = json::array();
    for (const Span& span : analysis.index.definitions(*key))
        found.push_back(analysis.location(span, encoding));
    return found.empty() ? json(nullptr) : found;
}

json references(const Analysis& analysis, int file, const Position& at, bool with_declaration, Encoding encoding) {
    const auto key = key_at(analysis, file, at, encoding);
    if (!key)
        return nullptr;
    json found = json::array();
    if (with_declaration)
        for (const Span& span : analysis.index.definitions(*key))
            found.push_back(analysis.location(span, encoding));
    for (const Reference* r : analysis.index.references_to(*key))
        found.push_back(analysis.location(r->at, encoding));
    return found;
}

}  // namespace zel::lsp
