#include "edits/rules.h"

#include <algorithm>

#include "format/format.h"
#include "format/opcodes.h"

namespace zel::edits {

namespace {

std::string range(int first, int last) {
    return first == last ? std::to_string(first) : std::to_string(first) + " to " + std::to_string(last);
}

}  // namespace

Refusal refusal(std::string reason, std::vector<Remark> places) { return Refusal{std::move(reason), std::move(places)}; }

std::optional<Refusal> compiled_cleanly(const Sources& sources) {
    const SourceIndex& index = sources.index;
    const std::size_t errors = index.errors();  // the index keeps only the first diagnostics
    const Diagnostic* first = nullptr;
    for (const Diagnostic& d : index.diagnostics())
        if (d.severity == Diagnostic::Severity::error && first == nullptr)
            first = &d;
    if (errors != 0) {
        if (first == nullptr)
            return refusal("the source has errors; correct them first");
        Place at{first->file_index, 0, 0};
        if (first->has_line && first->file_index >= 0)
            at = Place{first->file_index, index.editor_line(first->file_index, first->line),
                       index.editor_column(first->file_index, first->line,
                                           static_cast<unsigned>(std::max(first->column, 1)))};
        return refusal("the source has " + std::to_string(errors) + (errors == 1 ? " error" : " errors") +
                           ", and an edit could miss a reference in a line the compiler could not read; "
                           "correct it first",
                       {Remark{at, "error " + std::to_string(first->number) + ": " + first->message}});
    }
    if (index.files().empty() || sources.texts.size() != index.files().size())
        return refusal("the texts of the source files are not those the compiler read");
    if (index.sections().empty() || index.sections().back().header != "/PRO")
        return refusal("the compilation did not reach the process tables");
    return std::nullopt;
}

std::optional<Refusal> movable(const Items& items, int number) {
    const std::string kinds = kind_words(items.kind, true);
    if (number < 0 || number >= items.count)
        return refusal("there is no " + kind_words(items.kind) + " " + std::to_string(number) + ": the " + kinds +
                       " are " + range(0, items.count - 1));
    if (number < items.first_movable)
        return refusal(kinds + " " + range(0, items.first_movable - 1) +
                       " are the run-time's own numbers and never move");
    return std::nullopt;
}

std::optional<Refusal> insertable(const Items& items, int at) {
    const std::string kinds = kind_words(items.kind, true);
    if (items.count >= items.limit)
        return refusal("there are " + std::to_string(items.count) + " " + kinds +
                       " already, as many as a database can hold");
    if (at < items.first_movable || at > items.count)
        return refusal("a new " + kind_words(items.kind) + " can be numbered " + range(items.first_movable, items.count) +
                       (items.first_movable > 0 ? " (" + kinds + " " + range(0, items.first_movable - 1) +
                                                      " are the run-time's own)"
                                                : ""));
    return std::nullopt;
}

std::optional<Refusal> text_lines(const std::string& text, std::vector<std::string>& lines) {
    lines.clear();
    if (text.empty())
        return std::nullopt;
    std::size_t at = 0;
    for (;;) {
        const std::size_t lf = text.find('\n', at);
        std::string line = text.substr(at, lf == std::string::npos ? std::string::npos : lf - at);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && (line[0] == '/' || line[0] == ';'))
            return refusal(std::string("a line of the text may not begin with ") +
                           (line[0] == '/' ? "'/', which begins an item or a section"
                                           : "';', which makes it a comment"));
        if (line.size() >= line_room)
            return refusal("a line of the text is " + std::to_string(line.size()) +
                           " characters long; the compiler reads a line in pieces of " + std::to_string(line_room));
        lines.push_back(std::move(line));
        if (lf == std::string::npos)
            return std::nullopt;
        at = lf + 1;
    }
}

std::optional<Refusal> tables_still_read(const SourceIndex& index, const std::vector<int>& to, int count) {
    std::vector<int> names(static_cast<std::size_t>(std::max(count, 0)), -1);  // the highest table each one names
    const auto mapped = [&](int table) {
        return table >= 0 && static_cast<std::size_t>(table) < to.size() ? to[static_cast<std::size_t>(table)] : table;
    };
    for (const Reference& r : index.references()) {
        if (r.kind != Kind::process)
            continue;
        const int table = mapped(r.table), named = mapped(r.number);
        if (table >= 0 && table < count)
            names[static_cast<std::size_t>(table)] = std::max(names[static_cast<std::size_t>(table)], named);
    }
    int highest = 2;  // tables 0 to 2 are always read
    for (int t = 0; t < count; ++t) {
        if (t > highest)
            return refusal("table " + std::to_string(t) +
                           " would no longer be read: the compiler reads a table only when a PROCESS in an "
                           "earlier one names it or a later one");
        highest = std::max(highest, names[static_cast<std::size_t>(t)]);
    }
    return std::nullopt;
}

std::string use_words(const SourceIndex& index, const Reference& r) {
    if (r.opcode >= 0 && r.opcode < opcode_count)
        return std::string(opcode_table[r.opcode].name) + " in table " + std::to_string(r.table);
    const int section = index.section_at(r.at);
    const std::string header = section >= 0 ? index.sections()[static_cast<std::size_t>(section)].header : "";
    if (header == "/CON")
        return "an exit";
    if (header == "/OBJ")
        return "an object's start";
    return "a use";
}

std::vector<Remark> uses_of(const TextMap& map, Kind kind, int number) {
    std::vector<Remark> found;
    for (const Reference& r : map.index().references())
        if (r.kind == kind && r.number == number)
            found.push_back(Remark{map.place(r.at), use_words(map.index(), r) + " names " + kind_words(kind) + " " +
                                                        std::to_string(number)});
    return found;
}

}  // namespace zel::edits
