#include "analysis/lint_codes.h"

namespace zel::analysis {

namespace {

constexpr Severity W = Severity::warning;
constexpr Severity I = Severity::info;

}  // namespace

// The order is that of the enum; the manual page documents every row.
const std::array<CodeInfo, code_count> code_table = {{
    {Code::unreachable_location, "unreachable-location", "map", W, true,
     "no exit and no GOTO leads to the location from the start"},
    {Code::dead_end, "dead-end", "map", I, true, "the location has no exit and no GOTO leads out of it"},
    {Code::self_exit, "self-exit", "map", I, true, "an exit leads back to its own location"},
    {Code::one_way_exit, "one-way-exit", "map", I, false, "no exit of the destination leads back"},
    {Code::unused_location, "unused-location", "unused", W, true,
     "no exit, object, condition or action names the location"},
    {Code::unused_message, "unused-message", "unused", W, true, "no MESSAGE or MES prints the message"},
    {Code::unused_object, "unused-object", "unused", W, true,
     "the object starts not created and no condition or action names it"},
    {Code::unused_word, "unused-word", "unused", I, true,
     "no entry, exit, object or parameter uses the word or a synonym of the same type"},
    {Code::lone_flag, "lone-flag", "flags", I, true, "only one condition or action line uses the flag"},
    {Code::limit_vocabulary, "limit-vocabulary", "limits", W, true, "more than 90% of the 2211 vocabulary entries"},
    {Code::limit_texts, "limit-texts", "limits", W, true, "more than 90% of the texts a section may hold"},
    {Code::limit_text_room, "limit-text-room", "limits", W, true,
     "a text takes more than 90% of the room one text may take"},
    {Code::limit_tables, "limit-tables", "limits", W, true, "more than 90% of the 255 process tables"},
    {Code::limit_entries, "limit-entries", "limits", W, true,
     "a process table's entry index fills more than 90% of its room"},
    {Code::limit_database, "limit-database", "limits", W, true, "the database passes 90% of 65,535 bytes"},
    {Code::lint_comment, "lint-comment", "comments", W, true, "a ;zel-lint: comment that lint cannot follow"},
}};

const CodeInfo& info(Code code) { return code_table[static_cast<std::size_t>(code)]; }

const char* severity_name(Severity severity) { return severity == Severity::warning ? "warning" : "info"; }

std::vector<Code> codes_named(const std::string& name) {
    std::vector<Code> codes;
    for (const CodeInfo& c : code_table)
        if (name == "all" || name == c.name || name == c.group)
            codes.push_back(c.code);
    return codes;
}

Selection::Selection() {
    for (const CodeInfo& c : code_table)
        on_[static_cast<std::size_t>(c.code)] = c.on_by_default;
}

bool Selection::set(const std::string& name, bool on) {
    const std::vector<Code> codes = codes_named(name);
    for (Code c : codes)
        on_[static_cast<std::size_t>(c)] = on;
    return !codes.empty();
}

bool Selection::apply(const std::string& option) {
    if (option.rfind("no-", 0) == 0)
        return set(option.substr(3), false);
    return set(option, true);
}

}  // namespace zel::analysis
