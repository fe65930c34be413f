#include "lsp/parameters.h"

#include "core/ascii.h"
#include "format/format.h"
#include "format/opcodes.h"
#include "lsp/catalog.h"
#include "lsp/describe.h"
#include "lsp/typed_line.h"

namespace zel::lsp {

namespace {

// "message 0 to 11", or that the adventure has none.
std::string numbers(const std::string& what, const std::string& plural, int count) {
    if (count <= 0)
        return "a " + what + ": this adventure has no " + plural;
    return what + " 0 to " + std::to_string(count - 1);
}

std::string containers(const SourceIndex& index) {
    std::string list;
    for (const ObjectDef& o : index.objects())
        if (o.container)
            list += (list.empty() ? "" : ", ") + std::to_string(o.object);
    return list.empty() ? "no object of this adventure is a container" : "a container: object " + list;
}

std::string words_of(const SourceIndex& index, int type, const std::string& null) {
    int count = 0;
    for (const WordDef& w : index.words())
        count += w.type == type ? 1 : 0;
    std::string text(type == adverb || type == adjective ? "an " : "a ");
    text.append(ascii_lower(type_name(type))).append(" of the vocabulary (").append(std::to_string(count)).append(")");
    return null.empty() ? text : text.append(", or ").append(null).append(" for no word");
}

int tables(const SourceIndex& index) {
    int count = 0;
    for (const SectionDef& s : index.sections())
        count += s.header == "/PRO" ? 1 : 0;
    return count;
}

}  // namespace

std::string allowed_values(const Analysis& analysis, int kind, int opcode) {
    const Catalog& catalog = analysis.catalog();
    const SourceIndex& index = analysis.index;
    switch (kind) {
    case kind_object: return numbers("object", "objects", catalog.count(Kind::object));
    case kind_location: {
        const std::string locations = numbers("location", "locations", catalog.count(Kind::location));
        return names_container(opcode) ? locations + ", and " + containers(index) : locations;
    }
    case kind_locword: {
        const std::string null = null_word(analysis);
        return numbers("location", "locations", catalog.count(Kind::location)) + ", or HERE, CARRIED, WORN" +
               (null.empty() ? "" : ", " + null + " (not created)");
    }
    case kind_message: return numbers("message", "messages", catalog.count(Kind::message));
    case kind_sysmess: return numbers("system message", "system messages", catalog.count(Kind::sysmess));
    case kind_process: {
        const std::string range = "process table 2 to " + std::to_string(highest_named_table);
        const int present = tables(index);
        return present > 0 ? range + "; this adventure has tables 0 to " + std::to_string(present - 1) : range;
    }
    case kind_percent: return "percentage 1 to 99";
    case kind_flag: return refuses_flag38(opcode) ? "flag 0 to 255, not 38" : "flag 0 to 255";
    case kind_value: return "value 0 to 255";
    case kind_adverb: return words_of(index, adverb, null_word(analysis));
    case kind_noun: return words_of(index, noun, null_word(analysis));
    case kind_adjective: return words_of(index, adjective, null_word(analysis));
    case kind_preposition: return words_of(index, preposition, null_word(analysis));
    default: return {};
    }
}

}  // namespace zel::lsp
