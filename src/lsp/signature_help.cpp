// Signature help on a condition or action line: the name and the kinds of
// its parameters, each with what it may be in this adventure ("object 0 to
// 5"), and the parameter the cursor is at. The line's condition or action
// comes from the index; a line that has not compiled (the entry failed
// before it) is read as completion reads it, by its blank-separated words.
#include "format/opcodes.h"
#include "lsp/catalog.h"
#include "lsp/describe.h"
#include "lsp/features.h"
#include "lsp/parameters.h"
#include "lsp/typed_line.h"

namespace zel::lsp {

namespace {

// The condition or action of a line and the parameter at the cursor.
struct Call {
    int opcode = -1;
    int active = 0;
};

// From the index: the last name on the line that begins before the cursor,
// and how many of its parameters end before it.
Call compiled_call(const Analysis& analysis, const Span& place) {
    Call call;
    for (const Token& t : analysis.catalog().tokens(place.file, place.line, place.line)) {
        if (t.what == Token::What::condact && t.at.begin <= place.begin)
            call = Call{t.opcode, 0};
        else if (call.opcode >= 0 && t.opcode == call.opcode && t.at.end < place.begin)
            ++call.active;
    }
    return call;
}

// From the words typed: an indented line is a name and its parameters, an
// entry's first line two words before them.
Call typed_call(const Analysis& analysis, int file, const Position& at, Encoding encoding) {
    const LinePlace typed = typed_at(analysis, file, at, encoding).place;
    const std::size_t name = typed.indented ? 0 : 2;
    if (typed.in_comment || typed.words.size() <= name)
        return {};
    const int opcode = find_opcode(typed.words[name].substr(0, 7).c_str());
    return Call{opcode, static_cast<int>(typed.words.size() - name - 1)};
}

bool in_process_table(const Analysis& analysis, const Span& place) {
    const int section = analysis.index.section_at(place);
    return section >= 0 && analysis.index.sections()[static_cast<std::size_t>(section)].header == "/PRO";
}

json parameter(const Analysis& analysis, int opcode, int kind, std::size_t from, std::size_t length) {
    return json{{"label", {from, from + length}}, {"documentation", allowed_values(analysis, kind, opcode)}};
}

}  // namespace

json signature_help(const Analysis& analysis, int file, const Position& at, Encoding encoding) {
    const Span place = analysis.compiler_place(file, at, encoding);
    if (!in_process_table(analysis, place))
        return nullptr;
    Call call = compiled_call(analysis, place);
    if (call.opcode < 0)
        call = typed_call(analysis, file, at, encoding);
    if (reserved_opcode(call.opcode))
        return nullptr;
    const OpcodeRow& row = opcode_table[call.opcode];
    const std::string label = signature(call.opcode);
    json parameters = json::array();
    const std::size_t first = std::string(row.name).size() + 1;
    if (row.kind1 != kind_none)
        parameters.push_back(parameter(analysis, call.opcode, row.kind1, first, kind_name(row.kind1).size()));
    if (row.kind1 != kind_none && row.kind2 != kind_none)
        parameters.push_back(parameter(analysis, call.opcode, row.kind2, first + kind_name(row.kind1).size() + 2,
                                       kind_name(row.kind2).size()));
    const int active = parameters.empty() ? 0 : std::min(call.active, static_cast<int>(parameters.size()) - 1);
    json signature{{"label", label}, {"parameters", parameters}, {"activeParameter", active}};
    if (parameters.empty())
        signature["documentation"] = "No parameters.";
    return json{{"signatures", json::array({signature})}, {"activeSignature", 0}, {"activeParameter", active}};
}

}  // namespace zel::lsp
