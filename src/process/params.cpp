#include "process/params.h"

#include "core/compilation.h"
#include "database/writer.h"
#include "diagnostics/diagnostics.h"
#include "format/format.h"
#include "format/opcodes.h"
#include "source/scanner.h"
#include "vocabulary/vocabulary.h"

namespace zel {

namespace {

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
