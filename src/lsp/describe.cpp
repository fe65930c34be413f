#include "lsp/describe.h"

#include <algorithm>

#include "format/format.h"
#include "format/opcodes.h"

namespace zel::lsp {

std::string kind_name(int kind) {
    switch (kind) {
    case kind_object: return "object";
    case kind_location: return "location";
    case kind_message: return "message";
    case kind_sysmess: return "system message";
    case kind_process: return "process table";
    case kind_percent: return "percentage";
    case kind_flag: return "flag";
    case kind_value: return "value";
    case kind_locword: return "location or keyword";
    case kind_adverb: return "adverb";
    case kind_noun: return "noun";
    case kind_adjective: return "adjective";
    case kind_preposition: return "preposition";
    default: return "reserved";
    }
}

bool reserved_opcode(int opcode) {
    return opcode < 0 || opcode >= opcode_count || opcode_table[opcode].kind1 == kind_reserved;
}

std::string signature(int opcode) {
    if (opcode < 0 || opcode >= opcode_count)
        return {};
    const OpcodeRow& row = opcode_table[opcode];
    std::string text = row.name;
    if (row.kind1 != kind_none)
        text.append(" ").append(kind_name(row.kind1));
    if (row.kind1 != kind_none && row.kind2 != kind_none)
        text.append(", ").append(kind_name(row.kind2));
    return text;
}

std::string readable_text(const TextDef& text) {
    std::string out;
    for (const char c : text.text) {
        if (static_cast<unsigned char>(c) == paragraph_break)
            out += "\n\n";
        else
            out += c;
    }
    return out;
}

std::string preview(const TextDef& text) {
    constexpr std::size_t longest = 60;
    std::string out;
    for (const char c : text.text) {
        if (out.size() >= longest) {
            out += "...";
            break;
        }
        out += static_cast<unsigned char>(c) == paragraph_break ? ' ' : c;
    }
    return out;
}

std::string location_name(int number) {
    switch (number) {
    case loc_notcreated: return "not created (252)";
    case loc_worn: return "WORN (253)";
    case loc_carried: return "CARRIED (254)";
    case loc_here: return "HERE (255)";
    default: return "location " + std::to_string(number);
    }
}

std::string type_name(int type) {
    return type >= 0 && type < 7 ? word_type_names[type] : "word";
}

std::string word_name(const SourceIndex& index, int number, int type) {
    if (number == static_cast<int>(no_word))
        return "no word";
    const auto words = index.words_numbered(number, type);
    return words.empty() ? "word " + std::to_string(number) : words.front()->word;
}

std::string object_summary(const SourceIndex& index, const ObjectDef& o) {
    std::string text = "starts at " + location_name(o.location) + ", weight " + std::to_string(o.weight);
    if (o.container)
        text += ", container";
    if (o.wearable)
        text += ", wearable";
    return text + "; noun " + word_name(index, o.noun, noun) + ", adjective " + word_name(index, o.adjective, adjective);
}

std::string item_name(const ItemKey& key) {
    const std::string n = std::to_string(key.number);
    switch (key.kind) {
    case Kind::word: return type_name(key.type) + " " + n;
    case Kind::sysmess: return "system message " + n;
    case Kind::message: return "message " + n;
    case Kind::object: return "object " + n;
    case Kind::location: return location_name(key.number);
    case Kind::process: return "process table " + n;
    case Kind::flag: return "flag " + n;
    case Kind::value: return "value " + n;
    case Kind::percent: return n + "%";
    }
    return n;
}

std::string numbered(std::string_view prefix, int number, std::string_view note) {
    std::string text(prefix);
    text.append(std::to_string(number));
    if (!note.empty())
        text.append(" ").append(note);
    return text;
}

std::string fence_for(const std::string& text) {
    std::size_t longest = 0, run = 0;
    for (const char c : text) {
        run = c == '`' ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return std::string(std::max<std::size_t>(3, longest + 1), '`');
}

}  // namespace zel::lsp
