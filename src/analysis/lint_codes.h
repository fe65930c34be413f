// The codes of lint's findings: one table holds each code's name, group,
// severity and whether it is on without being asked for. The command line
// (-W) and the source's own comments (;zel-lint:) switch them by name.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace zel::analysis {

enum class Severity { warning, info };

enum class Code {
    unreachable_location,
    dead_end,
    self_exit,
    one_way_exit,
    unused_location,
    unused_message,
    unused_object,
    unused_word,
    lone_flag,
    limit_vocabulary,
    limit_texts,
    limit_text_room,
    limit_tables,
    limit_entries,
    limit_database,
    lint_comment,
};

struct CodeInfo {
    Code code;
    const char* name;   // as written after -W and in ;zel-lint: comments
    const char* group;  // a name that switches the whole group
    Severity severity;
    bool on_by_default;
    const char* summary;
};

constexpr std::size_t code_count = static_cast<std::size_t>(Code::lint_comment) + 1;
extern const std::array<CodeInfo, code_count> code_table;

const CodeInfo& info(Code code);
const char* severity_name(Severity severity);

// The codes a name stands for: a code, a group, or "all"; empty when the name
// is none of these.
std::vector<Code> codes_named(const std::string& name);

// Which codes are on. Starts from the defaults; switches apply in order.
class Selection {
public:
    Selection();
    bool enabled(Code code) const { return on_[static_cast<std::size_t>(code)]; }
    // Switches every code a name stands for; false when the name is unknown.
    bool set(const std::string& name, bool on);
    // A command-line switch: "-W NAME" arrives as "NAME", "-Wno-NAME" as
    // "no-NAME". False when the name is unknown.
    bool apply(const std::string& option);

private:
    std::array<bool, code_count> on_{};
};

}  // namespace zel::analysis
