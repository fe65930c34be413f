// A plan in the making: tokens that change, and whole lines that are put
// elsewhere, removed or added. Lines that move take the changes of their
// tokens with them.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "edits/source_text.h"

namespace zel::edits {

class Builder {
public:
    explicit Builder(const TextMap& map) : map_(map) {}

    // A token becomes another text; a reference counts in the summary.
    void token(const Span& at, std::string text, bool reference);
    // A number's token becomes another number, as wide as before when it
    // was written with leading zeros.
    void number(const Span& at, int number, bool reference);

    // A region's lines with the changes of their tokens, ending in a line
    // break.
    std::string content(const Region& r) const;
    // The lines of a region become others (ending in a line break).
    void put(const Region& r, std::string lines);
    // The lines of a region go; `moved` when they are put back elsewhere.
    void remove(const Region& r, bool moved);
    // New lines (ending in a line break) before or after a region's lines;
    // returns a mark for a remark about them.
    std::size_t insert_before(const Region& r, std::string lines);
    std::size_t insert_after(const Region& r, std::string lines);
    // What the author must still do about the lines of a mark.
    void todo(std::size_t mark, std::string text) { todos_.push_back({mark, std::move(text)}); }

    // A line whose length the changes would take to the compiler's line
    // length or beyond (or from there), which would cut it differently.
    std::optional<Refusal> long_lines() const;

    // The plan: the summary, then "; N references in M files" (`uses` for
    // the noun instead, when given).
    Outcome finish(const std::string& summary, const char* uses = "reference") const;

private:
    struct Block {
        Replacement r;
        std::size_t skip = 0;  // where its first new line starts in its text
    };
    struct Token {
        Replacement r;
        bool reference = false;
    };
    struct Gone {
        Region region;
        bool moved = false;
    };
    bool inside_gone(const Replacement& r, bool dropped_only) const;
    std::vector<Replacement> tokens_within(const Region& r) const;

    const TextMap& map_;
    std::vector<Token> tokens_;
    std::vector<Block> blocks_;
    std::vector<Gone> gone_;
    std::vector<std::pair<std::size_t, std::string>> todos_;
};

// The texts of a list of replacements sorted as a plan holds them.
std::vector<std::string> apply_sorted(const std::vector<Replacement>& sorted, const std::vector<std::string>& texts);

}  // namespace zel::edits
