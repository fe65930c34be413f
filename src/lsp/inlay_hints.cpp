// Inlay hints: after a number that names a text (MESSAGE 12, GOTO 4,
// PLACE 2 ..., an exit's destination, an object's start), the first words of
// that text; after PROCESS 5, the table's entry count; and after the "/n" of
// an /OBJ or /CON line, far from its texts, the object's or the location's
// text. Texts are cut at a word to the width the client set.
#include "format/format.h"
#include "lsp/catalog.h"
#include "lsp/features.h"
#include "lsp/positions.h"

namespace zel::lsp {

namespace {

bool continuation_byte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The text on one line, blanks run together, cut after at most `width`
// characters at the end of a word (within a word only when the first is
// longer), with "…" where something was cut.
std::string first_words(const std::string& text, unsigned width) {
    std::string out;
    std::size_t characters = 0, last_word_end = 0;
    bool cut = false;
    for (const char raw : text) {
        const char c = static_cast<unsigned char>(raw) == paragraph_break ? ' ' : raw;
        if (c == ' ' && (out.empty() || out.back() == ' '))
            continue;
        if (c == ' ')
            last_word_end = out.size();
        if (!continuation_byte(c) && characters == width) {
            cut = true;
            break;
        }
        characters += continuation_byte(c) ? 0 : 1;
        out += c;
    }
    if (cut && last_word_end > 0 && out.back() != ' ')
        out.resize(last_word_end);
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return cut ? out + "\xE2\x80\xA6" : out;
}

// The hint's text for a token, or empty when it gets none.
std::string label_of(const Catalog& catalog, const Token& t, unsigned width) {
    const ItemKey& key = t.key;
    if (t.what == Token::What::item) {
        // Only the items whose texts are in another section.
        const ObjectDef* o = key.kind == Kind::object ? catalog.object(key.number) : nullptr;
        const ConnectionDef* c = key.kind == Kind::location ? catalog.connections(key.number) : nullptr;
        const bool far = (o && o->at.line == t.at.line && o->at.file == t.at.file) ||
                         (c && c->at.line == t.at.line && c->at.file == t.at.file);
        if (!far)
            return {};
    } else if (t.what != Token::What::number || t.definition) {
        return {};
    }
    if (key.kind == Kind::process) {
        const int n = catalog.entries(key.number);
        return std::to_string(n) + (n == 1 ? " entry" : " entries");
    }
    const TextDef* text = catalog.text(key.kind, key.number);
    return text ? first_words(text->text, width) : std::string();
}

}  // namespace

json inlay_hints(const Analysis& analysis, int file, const json& range, unsigned width, Encoding encoding) {
    json hints = json::array();
    if (width == 0)
        return hints;
    auto line_at = [&](const json& at) {
        return analysis.compiler_place(file, {at.at("line").get<unsigned>(), at.at("character").get<unsigned>()}, encoding).line;
    };
    const Catalog& catalog = analysis.catalog();
    LinePositions positions(analysis, file, encoding);
    // Built in place: a whole file's hints are thousands of objects.
    json::array_t list;
    for (const Token& t : catalog.tokens(file, line_at(range.at("start")), line_at(range.at("end")))) {
        std::string label = label_of(catalog, t, width);
        if (label.empty())
            continue;
        const auto [at, length] = positions.of(t.at);
        json::object_t position{{"line", at.line}, {"character", at.character + length}};
        json::object_t hint;
        hint.emplace("position", std::move(position));
        hint.emplace("label", std::move(label));
        hint.emplace("paddingLeft", true);
        list.emplace_back(std::move(hint));
    }
    hints = std::move(list);
    return hints;
}

}  // namespace zel::lsp
