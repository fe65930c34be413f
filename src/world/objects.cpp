#include "core/compilation.h"
#include "database/writer.h"
#include "diagnostics/diagnostics.h"
#include "format/format.h"
#include "source/reader.h"
#include "source/scanner.h"
#include "source/spans.h"
#include "vocabulary/vocabulary.h"
#include "world/world.h"

namespace zel {

namespace {

// Reads a one-letter indicator two wide: "Y" (true) or the null word
// character (false). Returns -1 when it is neither.
int indicator(Compilation& c) {
    const Scanner& s = c.scanner;
    if (readword(c, 2) != 0 || s.wordbuf[1] != ' ')
        return -1;
    if (s.wordbuf[0] == 'Y')
        return 1;
    if (static_cast<unsigned char>(s.wordbuf[0]) == c.driver.nullchr)
        return 0;
    return -1;
}

ObjectDef start_object_def(const Compilation& c) {
    ObjectDef def;
    def.object = static_cast<int>(c.reader.nitems);
    def.number_at = token_span(c);
    def.at = item_span(c);
    def.line = line_span(c);
    return def;
}

// The noun or adjective that vocab_operand has just accepted.
void note_object_word(Compilation& c, int& field, int number) {
    field = number;
    note_word(c, number);
}

// One object line after its number; stops at the first fault it reports.
// With an observer, def is filled field by field as they are accepted.
void object_line(Compilation& c, unsigned object, ObjectDef* def) {
    Scanner& s = c.scanner;
    const Driver& d = c.driver;
    if (readloc(c) != 0) {
        pline1(c, 7);
        return;
    }
    const std::int32_t location = s.numval;
    if (static_cast<std::uint32_t>(location) >= d.nlocations && location != loc_notcreated &&
        location != loc_worn && location != loc_carried) {
        pline1(c, 8);
        return;
    }
    c.world.objloc[object] = static_cast<std::uint8_t>(location);
    if (def) {
        def->location = location;
        if (static_cast<std::uint32_t>(location) < d.nlocations)
            note_reference(c, Kind::location, location, token_span(c));
    }
    if (readnum(c) != 0) {
        pline1(c, 43);
        return;
    }
    if (s.numval > 63) {
        pline1(c, 51);
        return;
    }
    unsigned value = static_cast<unsigned>(s.numval);
    if (def)
        def->weight = s.numval;
    const int container = indicator(c);
    if (container < 0) {
        pline1(c, 52);
        return;
    }
    if (container)
        value += container_bit;
    if (def)
        def->container = container != 0;
    if (value > 63 && object >= d.nlocations) {
        pline1(c, 40);
        return;
    }
    const int wearable = indicator(c);
    if (wearable < 0) {
        pline1(c, 50);
        return;
    }
    if (wearable)
        value += wearable_bit;
    if (def)
        def->wearable = wearable != 0;
    c.world.objattr[object] = static_cast<std::uint8_t>(value);
    if (value < wearable_bit && location == loc_worn) {
        pline1(c, 26);
        return;
    }
    const int nounword = vocab_operand(c, " noun", [](int type, int) { return type == noun; });
    if (nounword < 0)
        return;
    if (def)
        note_object_word(c, def->noun, nounword);
    const int adjectiveword =
        vocab_operand(c, "n adjective", [](int type, int) { return type == adjective; });
    if (adjectiveword < 0)
        return;
    if (def)
        note_object_word(c, def->adjective, adjectiveword);
    if (adjectiveword < 255 && nounword == 255) {
        pline1(c, 45);
        return;
    }
    if (lineend(c) == 0) {
        pline1(c, 3);
        return;
    }
    putb(c, static_cast<unsigned>(nounword));
    putb(c, static_cast<unsigned>(adjectiveword));
}

}  // namespace

std::uint32_t compile_objects(Compilation& c) {
    Reader& r = c.reader;
    const std::uint32_t objects = c.driver.nobjects;
    findsec(c, "/OBJ", 0);
    rdline(c);
    while (!r.hdrflag && r.nitems < objects) {
        if (!itemline(c)) {
            pline1(c, 23);
            break;
        }
        std::optional<ObjectDef> def;
        const std::uint32_t errors = c.diag.errors;
        if (c.observer)
            def = start_object_def(c);
        object_line(c, r.nitems, def ? &*def : nullptr);
        if (def) {
            def->accepted = c.diag.errors == errors;
            c.observer->object_defined(*def);
        }
        rdline(c);
        ++r.nitems;
    }
    if (!r.hdrflag && r.nitems == objects) {
        pline1(c, 9);
        return 0;
    }
    say(c, "Entries for %u objects processed\n", r.nitems);
    if (!(r.hdrflag && r.nitems == objects)) {
        perr1(c, 33);
        return 0;
    }
    c.driver.objattrpos = c.writer.dbpos;
    for (unsigned n = 0; n < r.nitems; ++n)
        putb(c, c.world.objattr[n]);
    const std::uint32_t result = c.writer.dbpos;
    for (unsigned n = 0; n < r.nitems; ++n)
        putb(c, c.world.objloc[n]);
    putb(c, end_of_list);
    return result;
}

}  // namespace zel
