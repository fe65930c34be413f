#include "edits/builder.h"

#include <algorithm>
#include <set>

#include "format/format.h"

namespace zel::edits {

namespace {

bool earlier(const Replacement& a, const Replacement& b) {
    if (a.file != b.file)
        return a.file < b.file;
    if (a.offset != b.offset)
        return a.offset < b.offset;
    return a.length < b.length;  // what is put before a byte comes before what replaces it
}

std::string without_last_break(std::string lines) {
    if (!lines.empty() && lines.back() == '\n')
        lines.pop_back();
    if (!lines.empty() && lines.back() == '\r')
        lines.pop_back();
    return lines;
}

std::string plural(std::size_t n, const std::string& noun) {
    return std::to_string(n) + " " + noun + (n == 1 ? "" : "s");
}

}  // namespace

void Builder::token(const Span& at, std::string text, bool reference) {
    Replacement r{at.file, map_.offset(at), at.end > at.begin ? at.end - at.begin : 0, std::move(text)};
    tokens_.push_back(Token{std::move(r), reference});
}

void Builder::number(const Span& at, int number, bool reference) {
    std::string text = std::to_string(number);
    const std::string& source = map_.text(at.file);
    const std::size_t from = map_.offset(at), width = at.end - at.begin;
    if (width > text.size() && width > 1 && from < source.size() && source[from] == '0')
        text.insert(0, width - text.size(), '0');
    token(at, std::move(text), reference);
}

std::vector<Replacement> Builder::tokens_within(const Region& r) const {
    std::vector<Replacement> found;
    for (const Token& t : tokens_)
        if (t.r.file == r.file && t.r.offset >= r.begin && t.r.offset < r.end)
            found.push_back(t.r);
    std::stable_sort(found.begin(), found.end(), earlier);
    return found;
}

std::string Builder::content(const Region& r) const {
    const std::string& text = map_.text(r.file);
    std::string lines;
    std::size_t at = r.begin;
    for (const Replacement& t : tokens_within(r)) {
        lines.append(text, at, t.offset - at);
        lines += t.text;
        at = t.offset + t.length;
    }
    lines.append(text, at, r.end - at);
    if (!map_.ends_line(r))
        lines += map_.line_break(r.file);
    return lines;
}

void Builder::put(const Region& r, std::string lines) {
    gone_.push_back(Gone{r, true});
    if (!map_.ends_line(r))
        lines = without_last_break(std::move(lines));
    blocks_.push_back(Block{Replacement{r.file, r.begin, r.end - r.begin, std::move(lines)}, 0});
}

void Builder::remove(const Region& r, bool moved) {
    gone_.push_back(Gone{r, moved});
    Region cut = r;
    // The last line of a text without a line feed: the line break before it
    // goes too, so that the text still ends without one.
    const std::string& text = map_.text(r.file);
    if (!map_.ends_line(r) && cut.begin > 0 && text[cut.begin - 1] == '\n') {
        --cut.begin;
        if (cut.begin > 0 && text[cut.begin - 1] == '\r')
            --cut.begin;
    }
    blocks_.push_back(Block{Replacement{r.file, cut.begin, cut.end - cut.begin, ""}, 0});
}

std::size_t Builder::insert_before(const Region& r, std::string lines) {
    blocks_.push_back(Block{Replacement{r.file, r.begin, 0, std::move(lines)}, 0});
    return blocks_.size() - 1;
}

std::size_t Builder::insert_after(const Region& r, std::string lines) {
    if (map_.ends_line(r)) {
        blocks_.push_back(Block{Replacement{r.file, r.end, 0, std::move(lines)}, 0});
    } else {
        const std::string pause = map_.line_break(r.file);
        blocks_.push_back(Block{Replacement{r.file, r.end, 0, pause + without_last_break(std::move(lines))}, pause.size()});
    }
    return blocks_.size() - 1;
}

bool Builder::inside_gone(const Replacement& r, bool dropped_only) const {
    for (const Gone& g : gone_)
        if ((!dropped_only || !g.moved) && g.region.file == r.file && r.offset >= g.region.begin &&
            r.offset < g.region.end)
            return true;
    return false;
}

std::optional<Refusal> Builder::long_lines() const {
    // What each token adds to its line, by file and line start; then what
    // each line grows by in all.
    std::vector<std::pair<std::pair<int, std::size_t>, long>> growth;
    for (const Token& t : tokens_)
        if (!inside_gone(t.r, true))
            growth.push_back({{t.r.file, map_.line_start_of(t.r.file, t.r.offset)},
                              static_cast<long>(t.r.text.size()) - static_cast<long>(t.r.length)});
    std::sort(growth.begin(), growth.end());
    for (std::size_t i = 0; i < growth.size();) {
        const std::pair<int, std::size_t> line = growth[i].first;
        long grows = 0;
        for (; i < growth.size() && growth[i].first == line; ++i)
            grows += growth[i].second;
        const long before = static_cast<long>(map_.line_length(line.first, line.second));
        const long after = before + grows;
        if (grows != 0 && std::max(before, after) >= static_cast<long>(line_room)) {
            Refusal refusal;
            refusal.reason = "the edit would make a line " + std::to_string(after) +
                             " characters long instead of " + std::to_string(before) +
                             ", and the compiler reads a line in pieces of " + std::to_string(line_room) +
                             " characters; shorten the line first";
            refusal.places.push_back(
                Remark{place_in(map_.text(line.first), line.first, line.second), "this line"});
            return refusal;
        }
    }
    return std::nullopt;
}

Outcome Builder::finish(const std::string& summary, const char* uses) const {
    Plan plan;
    std::size_t references = 0;
    std::set<int> files;
    for (const Token& t : tokens_) {
        if (inside_gone(t.r, false)) {
            if (t.reference && !inside_gone(t.r, true)) {
                ++references;
                files.insert(t.r.file);
            }
            continue;
        }
        if (t.reference) {
            ++references;
            files.insert(t.r.file);
        }
        plan.replacements.push_back(t.r);
    }
    const std::size_t first_block = plan.replacements.size();
    for (const Block& b : blocks_)
        plan.replacements.push_back(b.r);
    // Where each block lands once sorted, for the remarks.
    std::vector<std::size_t> order(plan.replacements.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return earlier(plan.replacements[a], plan.replacements[b]); });
    std::vector<Replacement> sorted;
    for (const std::size_t i : order)
        sorted.push_back(plan.replacements[i]);
    for (std::size_t i = 1; i < sorted.size(); ++i)
        if (sorted[i].file == sorted[i - 1].file && sorted[i].offset < sorted[i - 1].offset + sorted[i - 1].length)
            return Refusal{"the edit's changes overlap (a fault of zeltool): nothing was changed", {}};
    plan.summary = summary;
    if (uses != nullptr && references == 0)
        plan.summary += std::string("; no ") + uses + "s";
    else if (uses != nullptr)
        plan.summary += "; " + plural(references, uses) + " in " + plural(files.size(), "file");
    if (!todos_.empty()) {
        const std::vector<std::string> edited = apply_sorted(sorted, map_.texts());
        for (const auto& [mark, text] : todos_) {
            const Block& block = blocks_[mark];
            long shift = 0;
            for (const std::size_t i : order) {
                if (i == first_block + mark)
                    break;
                const Replacement& r = plan.replacements[i];
                if (r.file == block.r.file)
                    shift += static_cast<long>(r.text.size()) - static_cast<long>(r.length);
            }
            const std::size_t at = static_cast<std::size_t>(static_cast<long>(block.r.offset) + shift) + block.skip;
            plan.todo.push_back(Remark{place_in(edited[static_cast<std::size_t>(block.r.file)], block.r.file, at), text});
        }
    }
    plan.replacements = std::move(sorted);
    return plan;
}

std::vector<std::string> apply_sorted(const std::vector<Replacement>& sorted, const std::vector<std::string>& texts) {
    std::vector<std::string> out;
    out.reserve(texts.size());
    std::size_t next = 0;
    for (std::size_t f = 0; f < texts.size(); ++f) {
        const std::string& text = texts[f];
        std::string edited;
        std::size_t at = 0;
        while (next < sorted.size() && sorted[next].file < static_cast<int>(f))
            ++next;  // a file the texts do not hold
        for (; next < sorted.size() && sorted[next].file == static_cast<int>(f); ++next) {
            const Replacement& r = sorted[next];
            edited.append(text, at, r.offset - at);
            edited += r.text;
            at = r.offset + r.length;
        }
        edited.append(text, at, std::string::npos);
        out.push_back(std::move(edited));
    }
    return out;
}

}  // namespace zel::edits
