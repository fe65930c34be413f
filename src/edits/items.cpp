#include "edits/items.h"

#include <algorithm>

#include "format/format.h"

namespace zel::edits {

namespace {

// Tables 0, 1 and 2 are always compiled, and the run-time calls them by
// their numbers.
constexpr int fixed_tables = 3;

// An item's lines can be moved as they are when they lie in one file and
// its first line is a line of its own, not the rest of a longer one.
bool whole(const SourceIndex& index, int file, unsigned first, int last_file) {
    return last_file == file && !index.continues_line(file, first);
}

Part text_part(const SourceIndex& index, Kind kind, const char* section) {
    Part part{section, {}};
    for (const TextDef& t : index.texts())
        if (t.kind == kind)
            part.slots.push_back(Slot{t.number, t.number_at, t.at.file, t.at.line, std::max(t.at.line, t.last_line),
                                      whole(index, t.at.file, t.at.line, t.last_file)});
    return part;
}

Part object_part(const SourceIndex& index) {
    Part part{"/OBJ", {}};
    for (const ObjectDef& o : index.objects())
        part.slots.push_back(
            Slot{o.object, o.number_at, o.at.file, o.at.line, o.at.line, whole(index, o.at.file, o.at.line, o.at.file)});
    return part;
}

Part connection_part(const SourceIndex& index) {
    Part part{"/CON", {}};
    for (const ConnectionDef& c : index.connections())
        part.slots.push_back(Slot{c.location, c.number_at, c.at.file, c.at.line, std::max(c.at.line, c.last_line),
                                  whole(index, c.at.file, c.at.line, c.last_file)});
    return part;
}

// A table runs from its header to the last line of its last entry (an
// indented comment that ends the entry included); what follows, up to the
// next header, lies between tables.
Part table_part(const SourceIndex& index) {
    Part part{"/PRO", {}};
    for (const SectionDef& s : index.sections())
        if (s.header == "/PRO")
            part.slots.push_back(
                Slot{s.number, s.number_at, s.at.file, s.at.line, s.at.line, whole(index, s.at.file, s.at.line, s.at.file)});
    for (const EntryDef& e : index.entries()) {
        if (e.table < 0 || static_cast<std::size_t>(e.table) >= part.slots.size())
            continue;
        Slot& slot = part.slots[static_cast<std::size_t>(e.table)];
        const bool same_file = e.at.file == slot.file && e.last_file == slot.file;
        slot.whole = slot.whole && same_file;
        if (!same_file)
            continue;
        slot.last = std::max(slot.last, e.last_line);
        if (e.comment.file == slot.file)
            slot.last = std::max(slot.last, e.comment.line);
    }
    return part;
}

}  // namespace

int first_movable(Kind kind) {
    if (kind == Kind::sysmess)
        return static_cast<int>(fewest_sysmess);
    return kind == Kind::process ? fixed_tables : 0;
}

Items items_of(const SourceIndex& index, Kind kind) {
    Items items;
    items.kind = kind;
    items.first_movable = first_movable(kind);
    switch (kind) {
    case Kind::sysmess:
        items.parts = {text_part(index, kind, "/STX")};
        items.limit = static_cast<int>(most_sysmess);
        break;
    case Kind::message:
        items.parts = {text_part(index, kind, "/MTX")};
        items.limit = static_cast<int>(most_messages);
        break;
    case Kind::object:
        items.parts = {text_part(index, kind, "/OTX"), object_part(index)};
        items.limit = static_cast<int>(most_objects);
        break;
    case Kind::location:
        items.parts = {text_part(index, kind, "/LTX"), connection_part(index)};
        items.limit = static_cast<int>(most_locations);
        break;
    case Kind::process:
        items.parts = {table_part(index)};
        items.limit = highest_named_table + 1;
        break;
    default: return items;
    }
    items.count = static_cast<int>(items.parts.front().slots.size());
    return items;
}

std::vector<int> containers(const SourceIndex& index) {
    std::vector<int> found;
    for (const ObjectDef& o : index.objects())
        if (o.container)
            found.push_back(o.object);
    return found;
}

Region region_of(const TextMap& map, const Slot& slot) { return map.lines(slot.file, slot.first, slot.last); }

}  // namespace zel::edits
