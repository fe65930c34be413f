#include "format/opcodes.h"

#include <array>

namespace zel {

// Row number = opcode. Reserved rows have names with a blank, which no
// source word can hold, and the kinds 99.
constexpr OpcodeRow opcode_table[opcode_count] = {
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

}  // namespace

bool names_container(int opcode) {
    return opcode == op_putin || opcode == op_takeout || opcode == op_autop || opcode == op_autot;
}

bool refuses_flag38(int opcode) {
    return opcode == op_set || opcode == op_let || opcode == op_weigh || opcode == op_weight ||
           opcode == op_random;
}

namespace {

// A name of up to seven characters, cut at its first blank or NUL, as one
// number: two names are equal exactly when their numbers are.
constexpr std::uint64_t name_key(const char* name) {
    std::uint64_t key = 0;
    for (int i = 0; i < 7 && name[i] != ' ' && name[i] != '\0'; ++i)
        key |= static_cast<std::uint64_t>(static_cast<unsigned char>(name[i])) << (8 * i);
    return key;
}

constexpr bool reserved(const OpcodeRow& row) { return row.kind1 == kind_reserved; }

// The opcodes by name, in a table of open addressing made when the program
// is compiled; a reserved row is left out, since no word can name it.
constexpr int slot_count = 256;
constexpr std::size_t slot_of(std::uint64_t key) { return (key * 0x9E3779B97F4A7C15u) >> 56; }

struct Slot {
    std::uint64_t key = 0;  // 0: empty
    int opcode = -1;
};

constexpr std::array<Slot, slot_count> make_slots() {
    std::array<Slot, slot_count> slots{};
    for (int op = 0; op < opcode_count; ++op) {
        if (reserved(opcode_table[op]))
            continue;
        const std::uint64_t key = name_key(opcode_table[op].name);
        std::size_t at = slot_of(key);
        while (slots[at].key != 0 && slots[at].key != key)
            at = (at + 1) % slot_count;
        if (slots[at].key == 0)  // the first row of a name wins, as a search in row order finds it
            slots[at] = {key, op};
    }
    return slots;
}

constexpr std::array<Slot, slot_count> opcode_slots = make_slots();

}  // namespace

int find_opcode(const char* word) {
    const std::uint64_t key = name_key(word);
    if (key == 0)
        return -1;
    for (std::size_t at = slot_of(key);; at = (at + 1) % slot_count) {
        if (opcode_slots[at].key == key)
            return opcode_slots[at].opcode;
        if (opcode_slots[at].key == 0)
            return -1;
    }
}

}  // namespace zel
