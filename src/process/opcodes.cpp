#include "process/opcodes.h"

#include <cstring>

#include "driver/compilation.h"

namespace zel {

// Row number = opcode. Reserved rows have names with a blank, which no
// source word can hold, and the kinds 99.
const OpcodeRow opcode_table[opcode_count] = {
    {"AT", 2, 0},       {"NOTAT", 2, 0},    {"ATGT", 2, 0},     {"ATLT", 2, 0},
    {"PRESENT", 1, 0},  {"ABSENT", 1, 0},   {"WORN", 1, 0},     {"NOTWORN", 1, 0},
    {"CARRIED", 1, 0},  {"NOTCARR", 1, 0},  {"CHANCE", 6, 0},   {"ZERO", 7, 0},
    {"NOTZERO", 7, 0},  {"EQ", 7, 8},       {"GT", 7, 8},       {"LT", 7, 8},
    {"ADJECT1", 13, 0}, {"ADVERB", 11, 0},  {"INVEN", 0, 0},    {"DESC", 0, 0},
    {"QUIT", 0, 0},     {"END", 0, 0},      {"DONE", 0, 0},     {"OK", 0, 0},
    {"ANYKEY", 0, 0},   {"SAVE", 0, 0},     {"LOAD", 0, 0},     {"TURNS", 0, 0},
    {"SCORE", 0, 0},    {"CLS", 0, 0},      {"DROPALL", 0, 0},  {"AUTOG", 0, 0},
    {"AUTOD", 0, 0},    {"AUTOW", 0, 0},    {"AUTOR", 0, 0},    {"PAUSE", 8, 0},
    {"TIMEOUT", 0, 0},  {"GOTO", 2, 0},     {"MESSAGE", 3, 0},  {"REMOVE", 1, 0},
    {"GET", 1, 0},      {"DROP", 1, 0},     {"WEAR", 1, 0},     {"DESTROY", 1, 0},
    {"CREATE", 1, 0},   {"SWAP", 1, 1},     {"PLACE", 1, 10},   {"SET", 7, 0},
    {"CLEAR", 7, 0},    {"PLUS", 7, 8},     {"MINUS", 7, 8},    {"LET", 7, 8},
    {"NEWLINE", 0, 0},  {"PRINT", 7, 0},    {"SYSMESS", 4, 0},  {"ISAT", 1, 10},
    {"COPYOF", 1, 7},   {"COPYOO", 1, 1},   {"COPYFO", 7, 1},   {"COPYFF", 7, 7},
    {"LISTOBJ", 0, 0},  {"EXTERN", 8, 0},   {"RAMSAVE", 0, 0},  {"RAMLOAD", 7, 0},
    {"BELL", 0, 0},     {"65 _", 99, 99},   {"66 _", 99, 99},   {"67 _", 99, 99},
    {"PREP", 14, 0},    {"NOUN2", 12, 0},   {"ADJECT2", 13, 0}, {"ADD", 7, 7},
    {"SUB", 7, 7},      {"PARSE", 0, 0},    {"LISTAT", 10, 0},  {"PROCESS", 5, 0},
    {"SAME", 7, 7},     {"MES", 3, 0},      {"78 _", 99, 99},   {"NOTEQ", 7, 8},
    {"NOTSAME", 7, 7},  {"MODE", 8, 0},     {"82 _", 99, 99},   {"TIME", 8, 8},
    {"84 _", 99, 99},   {"DOALL", 10, 0},   {"PROMPT", 4, 0},   {"87 _", 99, 99},
    {"ISNOTAT", 1, 10}, {"WEIGH", 1, 7},    {"PUTIN", 1, 2},    {"TAKEOUT", 1, 2},
    {"NEWTEXT", 0, 0},  {"ABILITY", 8, 8},  {"WEIGHT", 7, 0},   {"RANDOM", 7, 0},
    {"96 _", 99, 99},   {"97 _", 99, 99},   {"98 _", 99, 99},   {"99 _", 99, 99},
    {"WHATO", 0, 0},    {"RESET", 2, 0},    {"PUTO", 10, 0},    {"NOTDONE", 0, 0},
    {"AUTOP", 2, 0},    {"AUTOT", 2, 0},    {"MOVE", 7, 0},     {"07 _", 99, 99},
};

namespace {

enum Opcode : int {
    op_set = 47,
    op_let = 51,
    op_weigh = 89,
    op_putin = 90,
    op_takeout = 91,
    op_weight = 94,
    op_random = 95,
    op_autop = 104,
    op_autot = 105,
};

constexpr int no_flag38 = 38;  // the flag that some actions may not name

// A kind read as a number: its errors and the values it accepts.
struct NumberKind {
    int notfound;
    int toobig;  // 0: no range error
    std::uint32_t low;
    std::uint32_t high;  // exclusive
};

NumberKind number_kind(const Compilation& c, int kind) {
    const Driver& d = c.driver;
    switch (kind) {
    case kind_object: return {15, 16, 0, d.nobjects};
    case kind_location: return {7, 8, 0, d.nlocations};
    case kind_message: return {17, 18, 0, d.nmess};
    case kind_sysmess: return {11, 20, 0, d.nsysmess};
    case kind_process: return {47, 48, 2, 255};
    case kind_percent: return {12, 13, 1, 100};
    case kind_flag: return {19, 0, 0, 256};
    default: return {21, 0, 0, 256};  // kind_value
    }
}

bool fail(Compilation& c, int error) {
    pline1(c, error);
    return false;
}

bool number_param(Compilation& c, int kind, int opcode) {
    const NumberKind k = number_kind(c, kind);
    if (readnum(c) != 0)
        return fail(c, k.notfound);
    const std::uint32_t value = static_cast<std::uint32_t>(c.scanner.numval);
    if (value < k.low || value >= k.high)
        return fail(c, k.toobig);
    if (kind == kind_location && names_container(opcode) &&
        (value >= c.driver.nobjects || (c.world.objattr[value] & container_bit) == 0))
        return fail(c, 49);
    if (kind == kind_flag && refuses_flag38(opcode) && value == no_flag38)
        return fail(c, 39);
    wrb(c, value);
    if (kind == kind_process && static_cast<int>(value) > c.process.highest)
        c.process.highest = static_cast<int>(value);
    return true;
}

bool location_param(Compilation& c) {
    if (readloc(c) != 0)
        return fail(c, 7);
    const std::int32_t value = c.scanner.numval;
    if (static_cast<std::uint32_t>(value) >= c.driver.nlocations && value < loc_notcreated)
        return fail(c, 8);
    wrb(c, static_cast<unsigned>(value));
    return true;
}

template <int type>
bool word_param(Compilation& c, const char* kind) {
    const int number = vocab_operand(c, kind, [](int t, int) { return t == type; });
    if (number < 0)
        return false;
    wrb(c, static_cast<unsigned>(number));
    return true;
}

}  // namespace

bool names_container(int opcode) {
    return opcode == op_putin || opcode == op_takeout || opcode == op_autop || opcode == op_autot;
}

bool refuses_flag38(int opcode) {
    return opcode == op_set || opcode == op_let || opcode == op_weigh || opcode == op_weight ||
           opcode == op_random;
}

int find_opcode(const char* word) {
    char name[8];
    std::size_t len = 0;
    while (len < 7 && word[len] != ' ' && word[len] != '\0') {
        name[len] = word[len];
        ++len;
    }
    name[len] = '\0';
    for (int op = 0; op < opcode_count; ++op)
        if (opcode_table[op].name[0] == name[0] && std::strcmp(opcode_table[op].name, name) == 0)
            return op;
    return -1;
}

bool compile_param(Compilation& c, int kind, int opcode) {
    switch (kind) {
    case kind_object:
    case kind_location:
    case kind_message:
    case kind_sysmess:
    case kind_process:
    case kind_percent:
    case kind_flag:
    case kind_value: return number_param(c, kind, opcode);
    case kind_locword: return location_param(c);
    case kind_adverb: return word_param<adverb>(c, "n adverb");
    case kind_noun: return word_param<noun>(c, " noun");
    case kind_adjective: return word_param<adjective>(c, "n adjective");
    case kind_preposition: return word_param<preposition>(c, " preposition");
    default: cerror(c, static_cast<unsigned>(kind), "vetca");
    }
}

}  // namespace zel
