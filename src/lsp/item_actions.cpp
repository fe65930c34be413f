// Code actions on a numbered item, where the editor's range begins on its
// lines (a text's "/n" line and its text, a location's /CON lines, an /OBJ
// line, a /PRO header): a new item before or after it, deleting it when
// nothing refers to it, and moving it up or down by one. Each is an edit of
// the edits library across the chain, as insert, delete and renumber make
// them on the command line.
//
// Working out an edit checks it by compiling the edited texts, too much to
// do for every action each time the editor asks which there are: a client
// that can resolve an action gets its edit from codeAction/resolve when it
// is chosen; any other gets the actions that can be made, edits included.
#include "lsp/workspace_edit.h"

namespace zel::lsp {

namespace {

constexpr const char* action_kind = "refactor.rewrite";

enum class Op { insert, remove, move };
constexpr const char* op_names[] = {"insert", "delete", "move"};

struct ItemEdit {
    Op op = Op::move;
    Kind kind = Kind::message;
    int number = 0;  // the item's, or the new item's
    int to = 0;      // the number it moves to
    std::string title;
};

bool within(unsigned line, unsigned first, unsigned last) { return line >= first && line <= last; }

// The last line in its first file of an item that begins on `first` and
// ends on `last` of `last_file`.
unsigned last_here(const SourceIndex& index, int file, unsigned first, unsigned last, int last_file) {
    return last_file == file ? std::max(first, last) : std::max(first, index.last_line(file));
}

std::optional<ItemKey> item_on(const SourceIndex& index, int file, unsigned line) {
    for (const TextDef& t : index.texts())
        if (t.at.file == file && within(line, t.at.line, last_here(index, file, t.at.line, t.last_line, t.last_file)))
            return ItemKey{t.kind, t.number, -1};
    for (const ConnectionDef& c : index.connections())
        if (c.at.file == file && within(line, c.at.line, last_here(index, file, c.at.line, c.last_line, c.last_file)))
            return ItemKey{Kind::location, c.location, -1};
    for (const ObjectDef& o : index.objects())
        if (o.at.file == file && o.at.line == line)
            return ItemKey{Kind::object, o.object, -1};
    for (const SectionDef& s : index.sections())
        if (s.header == "/PRO" && s.at.file == file && s.at.line == line)
            return ItemKey{Kind::process, s.number, -1};
    return std::nullopt;
}

int count_of(const SourceIndex& index, Kind kind) {
    int count = 0;
    if (kind == Kind::process) {
        for (const SectionDef& s : index.sections())
            count += s.header == "/PRO" ? 1 : 0;
        return count;
    }
    for (const TextDef& t : index.texts())
        count += t.kind == kind ? 1 : 0;
    return count;
}

// The edits worth offering on an item: those the rules of the numbers do
// not refuse outright (the library still may, for the rest of its rules).
std::vector<ItemEdit> offered(const SourceIndex& index, const ItemKey& item) {
    const int n = item.number, first = edits::first_movable(item.kind), count = count_of(index, item.kind);
    const std::string what = edits::kind_words(item.kind);
    const auto numbered = [&](int number) { return what + " " + std::to_string(number); };
    std::vector<ItemEdit> found;
    if (n >= first)
        found.push_back({Op::insert, item.kind, n, n, "Insert a new " + numbered(n) + " before this one"});
    // A table after the last would not be read: no PROCESS names it.
    if (n + 1 >= first && !(item.kind == Kind::process && n + 1 == count))
        found.push_back({Op::insert, item.kind, n + 1, n + 1, "Insert a new " + numbered(n + 1) + " after this one"});
    if (n >= first && count > 1 && index.references_to(item).empty())
        found.push_back({Op::remove, item.kind, n, n, "Delete " + numbered(n) + ", which nothing uses"});
    if (n - 1 >= first)
        found.push_back({Op::move, item.kind, n, n - 1, "Move " + numbered(n) + " up, to " + std::to_string(n - 1)});
    if (n >= first && n + 1 < count)
        found.push_back({Op::move, item.kind, n, n + 1, "Move " + numbered(n) + " down, to " + std::to_string(n + 1)});
    return found;
}

edits::Outcome outcome_of(const EditSources& sources, const ItemEdit& e) {
    switch (e.op) {
    case Op::insert: return edits::insert(sources.sources(), e.kind, e.number);
    case Op::remove: return edits::remove(sources.sources(), e.kind, e.number);
    case Op::move: break;
    }
    return edits::renumber(sources.sources(), e.kind, e.number, e.to);
}

json data_of(const ItemEdit& e, const std::string& uri) {
    return json{{"zel", "item"},
                {"uri", uri},
                {"op", op_names[static_cast<int>(e.op)]},
                {"kind", static_cast<int>(e.kind)},
                {"number", e.number},
                {"to", e.to}};
}

ItemEdit edit_in(const json& data) {
    ItemEdit e;
    const std::string op = data.at("op").get<std::string>();
    for (int i = 0; i < 3; ++i)
        if (op == op_names[i])
            e.op = static_cast<Op>(i);
    const int kind = data.at("kind").get<int>();
    if (kind < static_cast<int>(Kind::word) || kind > static_cast<int>(Kind::percent))
        throw RequestFailed("not an action on an item");
    e.kind = static_cast<Kind>(kind);
    e.number = data.at("number").get<int>();
    e.to = data.at("to").get<int>();
    return e;
}

// Whether the client asked for actions of this kind (context.only names
// kinds or their families).
bool wanted(const json& context) {
    if (!context.is_object() || !context.contains("only") || !context["only"].is_array())
        return true;
    const std::string kind = action_kind;
    for (const json& only : context["only"])
        if (only.is_string() && (kind == only.get<std::string>() || kind.rfind(only.get<std::string>() + ".", 0) == 0))
            return true;
    return false;
}

}  // namespace

json item_actions(const Analysis& analysis, int file, const json& range, const json& context,
                  const EditOptions& options) {
    json actions = json::array();
    if (analysis.errors || !wanted(context))
        return actions;
    const Position from{range.at("start").at("line").get<unsigned>(), range.at("start").at("character").get<unsigned>()};
    const std::optional<ItemKey> item =
        item_on(analysis.index, file, analysis.compiler_place(file, from, options.encoding).line);
    if (!item)
        return actions;
    const std::vector<ItemEdit> edits = offered(analysis.index, *item);
    if (options.resolve) {
        for (const ItemEdit& e : edits)
            actions.push_back({{"title", e.title}, {"kind", action_kind}, {"data", data_of(e, analysis.uri(file))}});
        return actions;
    }
    try {
        const EditSources sources(analysis);
        for (const ItemEdit& e : edits) {
            try {
                json edit = workspace_edit(sources, outcome_of(sources, e), options);
                actions.push_back({{"title", e.title}, {"kind", action_kind}, {"edit", std::move(edit)}});
            } catch (const RequestFailed&) {
                // refused: not offered
            }
        }
    } catch (const RequestFailed&) {
        // a file too large to edit: nothing offered
    }
    return actions;
}

std::string item_action_uri(const json& action) {
    if (!action.is_object() || !action.contains("data") || !action["data"].is_object())
        return "";
    const json& data = action["data"];
    return data.value("zel", "") == "item" && data.contains("uri") && data["uri"].is_string()
               ? data["uri"].get<std::string>()
               : "";
}

json resolve_item_action(const Analysis& analysis, json action, const EditOptions& options) {
    const ItemEdit e = edit_in(action.at("data"));
    const EditSources sources(analysis);
    action["edit"] = workspace_edit(sources, outcome_of(sources, e), options);
    return action;
}

}  // namespace zel::lsp
