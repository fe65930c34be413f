// A plan as a unified diff. The changed lines come from the replacements
// themselves, so no two texts are compared: each run of lines that the
// replacements touch is one change, shown with three lines around it.
#include <algorithm>

#include "edits/builder.h"
#include "edits/edits.h"

namespace zel::edits {

namespace {

constexpr std::size_t context = 3;

// The lines of a text, each with its line feed (the last one may lack it).
std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t lf = text.find('\n', at);
        const std::size_t end = lf == std::string::npos ? text.size() : lf + 1;
        lines.push_back(text.substr(at, end - at));
        at = end;
    }
    return lines;
}

// Lines [first, last) of the old text become `lines`.
struct Change {
    std::size_t first = 0, last = 0;
    std::vector<std::string> lines;
};

class Lines {
public:
    explicit Lines(const std::string& text) : text_(text) {
        for (std::size_t at = 0; at < text.size();) {
            starts_.push_back(at);
            const std::size_t lf = text.find('\n', at);
            at = lf == std::string::npos ? text.size() : lf + 1;
        }
    }
    std::size_t count() const { return starts_.size(); }
    std::size_t start(std::size_t line) const { return line < starts_.size() ? starts_[line] : text_.size(); }
    std::size_t line_of(std::size_t offset) const {
        return static_cast<std::size_t>(std::upper_bound(starts_.begin(), starts_.end(), offset) - starts_.begin()) - 1;
    }
    // The line an offset lies in, or `count()` at the end of the text.
    std::size_t line_at(std::size_t offset) const { return offset >= text_.size() ? count() : line_of(offset); }
    bool starts_line(std::size_t offset) const {
        return offset >= text_.size() || starts_[line_of(offset)] == offset;
    }

private:
    const std::string& text_;
    std::vector<std::size_t> starts_;
};

std::vector<Change> changes_of(const std::string& text, const std::vector<const Replacement*>& replacements) {
    const Lines lines(text);
    std::vector<Change> changes;
    std::vector<std::vector<const Replacement*>> members;
    for (const Replacement* r : replacements) {
        const bool whole_lines_added = r->length == 0 && lines.starts_line(r->offset) &&
                                       (r->text.empty() || r->text.back() == '\n');
        std::size_t first = lines.line_at(r->offset);
        if (first == lines.count() && !text.empty() && text.back() != '\n')
            first = lines.count() - 1;  // after a last line without a line feed, which gets one
        const std::size_t last =
            whole_lines_added ? first : std::max(first + 1, lines.line_at(r->offset + std::max<std::size_t>(r->length, 1) - 1) + 1);
        if (!changes.empty() && first < changes.back().last) {
            changes.back().last = std::max(changes.back().last, last);
            members.back().push_back(r);
            continue;
        }
        changes.push_back(Change{first, std::min(last, std::max(lines.count(), first)), {}});
        members.push_back({r});
    }
    for (std::size_t i = 0; i < changes.size(); ++i) {
        Change& c = changes[i];
        std::size_t at = lines.start(c.first);
        std::string result;
        for (const Replacement* r : members[i]) {
            result.append(text, at, r->offset - at);
            result += r->text;
            at = r->offset + r->length;
        }
        result.append(text, at, lines.start(c.last) - at);
        c.lines = split_lines(result);
    }
    return changes;
}

void put_line(std::string& out, char mark, const std::string& line) {
    out += mark;
    out += line;
    if (line.empty() || line.back() != '\n')
        out += "\n\\ No newline at end of file\n";
}

std::string range(std::size_t first, std::size_t count) {
    return std::to_string(count == 0 ? first : first + 1) + "," + std::to_string(count);
}

void put_hunks(std::string& out, const std::vector<std::string>& old_lines, const std::vector<Change>& changes) {
    long shift = 0;  // new line number minus old, before the change at hand
    for (std::size_t i = 0; i < changes.size();) {
        std::size_t j = i;
        while (j + 1 < changes.size() && changes[j + 1].first <= changes[j].last + 2 * context)
            ++j;
        const std::size_t first = changes[i].first > context ? changes[i].first - context : 0;
        const std::size_t last = std::min(old_lines.size(), changes[j].last + context);
        std::string body;
        std::size_t old_count = 0, new_count = 0;
        std::size_t line = first;
        const long shift_before = shift;
        for (std::size_t k = i; k <= j; ++k) {
            for (; line < changes[k].first; ++line, ++old_count, ++new_count)
                put_line(body, ' ', old_lines[line]);
            for (; line < changes[k].last; ++line, ++old_count)
                put_line(body, '-', old_lines[line]);
            for (const std::string& added : changes[k].lines)
                put_line(body, '+', added);
            new_count += changes[k].lines.size();
            shift += static_cast<long>(changes[k].lines.size()) - static_cast<long>(changes[k].last - changes[k].first);
        }
        for (; line < last; ++line, ++old_count, ++new_count)
            put_line(body, ' ', old_lines[line]);
        const std::size_t new_first = static_cast<std::size_t>(static_cast<long>(first) + shift_before);
        out += "@@ -" + range(first, old_count) + " +" + range(new_first, new_count) + " @@\n" + body;
        i = j + 1;
    }
}

}  // namespace

std::string unified_diff(const Plan& plan, const std::vector<std::string>& texts, const std::vector<std::string>& names) {
    std::string out;
    for (const int file : files_changed(plan)) {
        if (file < 0 || static_cast<std::size_t>(file) >= texts.size())
            continue;
        std::vector<const Replacement*> mine;
        for (const Replacement& r : plan.replacements)
            if (r.file == file)
                mine.push_back(&r);
        const std::string& text = texts[static_cast<std::size_t>(file)];
        const std::string name = static_cast<std::size_t>(file) < names.size() ? names[static_cast<std::size_t>(file)] : "";
        out += "--- a/" + name + "\n+++ b/" + name + "\n";
        put_hunks(out, split_lines(text), changes_of(text, mine));
    }
    return out;
}

}  // namespace zel::edits
