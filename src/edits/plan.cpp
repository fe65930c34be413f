#include <algorithm>
#include <array>

#include "edits/builder.h"
#include "edits/edits.h"

namespace zel::edits {

namespace {

struct KindName {
    Kind kind;
    const char* command;  // as the commands spell it
    const char* words;
    const char* plural;
};

constexpr std::array<KindName, 6> kind_names{{
    {Kind::sysmess, "sysmess", "system message", "system messages"},
    {Kind::message, "message", "message", "messages"},
    {Kind::object, "object", "object", "objects"},
    {Kind::location, "location", "location", "locations"},
    {Kind::process, "table", "table", "tables"},
    {Kind::flag, "flag", "flag", "flags"},
}};

}  // namespace

std::optional<Kind> kind_named(std::string_view name) {
    for (const KindName& k : kind_names)
        if (name == k.command)
            return k.kind;
    return std::nullopt;
}

std::string kind_words(Kind kind, bool plural) {
    for (const KindName& k : kind_names)
        if (k.kind == kind)
            return plural ? k.plural : k.words;
    return plural ? "items" : "item";
}

std::vector<std::string> apply(const Plan& plan, const std::vector<std::string>& texts) {
    return apply_sorted(plan.replacements, texts);
}

std::vector<int> files_changed(const Plan& plan) {
    std::vector<int> files;
    for (const Replacement& r : plan.replacements)
        if (files.empty() || files.back() != r.file)
            files.push_back(r.file);
    return files;
}

}  // namespace zel::edits
