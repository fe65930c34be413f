// Semantic tokens: every token the index knows, typed by what it names, so
// that a theme colours the message of MESSAGE 12 apart from the flag of
// LET 12 3. Standard token types and modifiers only, which every theme knows:
//
//   section headers        keyword
//   process tables         namespace            (/PRO 5, PROCESS 5)
//   messages               string               (system messages: + defaultLibrary)
//   objects                class
//   locations              enumMember           (HERE, CARRIED, WORN: + defaultLibrary)
//   flags                  variable             (+ modification where the line stores into it)
//   values, percentages    number
//   conditions, actions    function + defaultLibrary
//   notes after "/n"       comment + documentation
//   words                  verb method, adverb modifier, noun type, adjective property,
//                          preposition and conjunction operator, pronoun parameter;
//                          the null word keyword + defaultLibrary
//
// Definitions ("/n" items, /VOC words, /PRO headers) carry the modifier
// declaration.
#include "format/format.h"
#include "lsp/catalog.h"
#include "lsp/features.h"
#include "lsp/positions.h"

namespace zel::lsp {

namespace {

enum Type : unsigned {
    t_namespace, t_type, t_class, t_enum_member, t_variable, t_property, t_function, t_method,
    t_keyword, t_comment, t_string, t_number, t_modifier, t_operator, t_parameter,
};
constexpr const char* type_names[] = {"namespace", "type",    "class",   "enumMember", "variable",
                                      "property",  "function", "method", "keyword",    "comment",
                                      "string",    "number",   "modifier", "operator", "parameter"};

enum Modifier : unsigned { m_declaration = 1, m_modification = 2, m_documentation = 4, m_default_library = 8 };
constexpr const char* modifier_names[] = {"declaration", "modification", "documentation", "defaultLibrary"};

unsigned word_type(int type) {
    switch (type) {
    case verb: return t_method;
    case adverb: return t_modifier;
    case adjective: return t_property;
    case preposition:
    case conjunction: return t_operator;
    case pronoun: return t_parameter;
    default: return t_type;
    }
}

unsigned kind_type(Kind kind) {
    switch (kind) {
    case Kind::process: return t_namespace;
    case Kind::sysmess:
    case Kind::message: return t_string;
    case Kind::object: return t_class;
    case Kind::location: return t_enum_member;
    case Kind::flag: return t_variable;
    default: return t_number;
    }
}

// The type and modifiers of a token.
std::pair<unsigned, unsigned> classify(const Token& t) {
    const unsigned declared = t.definition ? unsigned{m_declaration} : 0u;
    switch (t.what) {
    case Token::What::header: return {t_keyword, 0};
    case Token::What::note: return {t_comment, m_documentation};
    case Token::What::condact: return {t_function, m_default_library};
    case Token::What::word: return {word_type(t.key.type), declared};
    case Token::What::keyword:
        return {t.key.kind == Kind::word ? t_keyword : t_enum_member, m_default_library};
    default: break;
    }
    unsigned modifiers = declared;
    if (t.key.kind == Kind::sysmess)
        modifiers |= m_default_library;
    if (t.written)
        modifiers |= m_modification;
    return {kind_type(t.key.kind), modifiers};
}

// The tokens as the protocol's relative integers: line and start as deltas
// from the token before, length, type, modifiers.
json encode(const Analysis& analysis, int file, std::span<const Token> tokens, Encoding encoding) {
    LinePositions positions(analysis, file, encoding);
    // Built in place: a JSON array of some 100,000 numbers is worth not
    // copying.
    json::array_t data;
    data.reserve(tokens.size() * 5);
    Position last;
    for (const Token& t : tokens) {
        const auto [at, length] = positions.of(t.at);
        if (length == 0)
            continue;
        const auto [type, modifiers] = classify(t);
        data.emplace_back(at.line - last.line);
        data.emplace_back(at.line == last.line ? at.character - last.character : at.character);
        data.emplace_back(length);
        data.emplace_back(type);
        data.emplace_back(modifiers);
        last = at;
    }
    json result = json::object();
    result["data"] = std::move(data);
    return result;
}

}  // namespace

json semantic_tokens_legend() {
    return json{{"tokenTypes", type_names}, {"tokenModifiers", modifier_names}};
}

json semantic_tokens(const Analysis& analysis, int file, const json* range, Encoding encoding) {
    const Catalog& catalog = analysis.catalog();
    if (!range)
        return encode(analysis, file, catalog.tokens(file), encoding);
    auto line_at = [&](const json& at) {
        return analysis.compiler_place(file, {at.at("line").get<unsigned>(), at.at("character").get<unsigned>()}, encoding).line;
    };
    return encode(analysis, file, catalog.tokens(file, line_at(range->at("start")), line_at(range->at("end"))), encoding);
}

}  // namespace zel::lsp
