// The conditions and actions of the process language: their opcodes and
// the kinds of their parameters.
#pragma once

#include <cstdint>

#include "format/format.h"

namespace zel {

enum ParamKind : int {
    kind_none = 0,
    kind_object = 1,
    kind_location = 2,
    kind_message = 3,
    kind_sysmess = 4,
    kind_process = 5,
    kind_percent = 6,
    kind_flag = 7,
    kind_value = 8,
    kind_locword = 10,
    kind_adverb = 11,
    kind_noun = 12,
    kind_adjective = 13,
    kind_preposition = 14,
    kind_reserved = 99,
};

// The word type a parameter of a kind takes, or -1 for a kind of no word.
constexpr int word_type_of_param(int param_kind) {
    switch (param_kind) {
    case kind_adverb: return adverb;
    case kind_noun: return noun;
    case kind_adjective: return adjective;
    case kind_preposition: return preposition;
    default: return -1;
    }
}

struct OpcodeRow {
    const char* name;
    std::int8_t kind1;
    std::int8_t kind2;
};

constexpr int opcode_count = 108;
extern const OpcodeRow opcode_table[opcode_count];

// Opcodes whose location parameter must name a container (PUTIN, TAKEOUT,
// AUTOP, AUTOT), and those whose flag parameter may not be flag 38.
bool names_container(int opcode);
bool refuses_flag38(int opcode);

// Opcode named by a word read seven wide, or -1 when no row has that name.
int find_opcode(const char* word);

}  // namespace zel
