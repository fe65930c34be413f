#include "analysis/lint.h"

#include <algorithm>
#include <cstdio>
#include <tuple>

#include "analysis/lint_checks.h"
#include "analysis/suppress.h"

namespace zel::analysis {

namespace {

std::string percent(const Limit& limit) {
    char text[32];
    std::snprintf(text, sizeof text, " (%.1f%%)", limit.percent());
    return text;
}

std::string of(const Limit& limit, const std::string& things) {
    return std::to_string(limit.used) + " of the " + std::to_string(limit.most) + " " + things;
}

const Span* section_span(const SourceIndex& index, const std::string& header, int number = -1) {
    const SectionDef* found = nullptr;
    for (const SectionDef& s : index.sections())
        if (s.header == header && (number < 0 || s.number == number))
            found = &s;  // the last one: for /PRO without a number, the last table
    return found ? &found->at : nullptr;
}

// As an editor counts: a line the compiler split is one line.
void to_editor_position(const SourceIndex& index, Span& at) {
    at.begin = index.editor_column(at.file, at.line, at.begin);
    at.end = index.editor_column(at.file, at.line, at.end);
    at.line = index.editor_line(at.file, at.line);
}

Kind text_kind(int section) {
    static const Kind kinds[] = {Kind::sysmess, Kind::message, Kind::object, Kind::location};
    return kinds[section];
}

Finding limit_finding(const SourceIndex& index, const Limit& l) {
    const Span* at = nullptr;
    Code code = Code::limit_database;
    std::string message;
    switch (l.kind) {
    case LimitKind::vocabulary:
        code = Code::limit_vocabulary;
        at = section_span(index, "/VOC");
        message = "the vocabulary holds " + of(l, "entries it may hold");
        break;
    case LimitKind::texts:
        code = Code::limit_texts;
        at = section_span(index, tool::section_header(static_cast<tool::Section>(l.section)));
        message = std::string(tool::section_header(static_cast<tool::Section>(l.section))) + " holds " +
                  of(l, l.name + " it may hold");
        break;
    case LimitKind::text_room: {
        code = Code::limit_text_room;
        const TextDef* t = l.section >= 0 ? index.text(text_kind(l.section), l.item) : nullptr;
        at = t ? &t->at : nullptr;
        message = l.where + " takes " + of(l, "bytes that one text may take beside this vocabulary");
        break;
    }
    case LimitKind::tables:
        code = Code::limit_tables;
        at = section_span(index, "/PRO");
        message = "the adventure has " + of(l, "process tables there may be");
        break;
    case LimitKind::entries:
        code = Code::limit_entries;
        at = section_span(index, "/PRO", l.item);
        message = l.where + " has " + of(l, "entries its index has room for");
        break;
    case LimitKind::database:
        at = section_span(index, "/CTL");
        message = "the database is " + of(l, "bytes a database may take");
        break;
    }
    return finding(code, at ? *at : Span{}, message + percent(l));
}

}  // namespace

Finding finding(Code code, const Span& at, std::string message) {
    return Finding{code, info(code).severity, at, std::move(message)};
}

void check_limits(const SourceIndex& index, const Figures& figures, std::vector<Finding>& out) {
    for (const Limit& l : figures.limits)
        if (l.near())
            out.push_back(limit_finding(index, l));
}

std::vector<Finding> lint(const SourceIndex& index, const LintOptions& options) {
    const World world = world_of(index, options.start);
    std::vector<Finding> all;
    check_map(world, options.selection, all);
    check_usage(index, world, options.selection, all);
    if (options.figures)
        check_limits(index, *options.figures, all);
    const Suppressions silenced = read_suppressions(index, options.file_texts);
    all.insert(all.end(), silenced.problems.begin(), silenced.problems.end());

    std::vector<Finding> kept;
    for (Finding& f : all)
        if (options.selection.enabled(f.code) && !silenced.covers(f))
            kept.push_back(std::move(f));
    if (options.editor_positions)
        for (Finding& f : kept)
            to_editor_position(index, f.at);
    std::stable_sort(kept.begin(), kept.end(), [](const Finding& a, const Finding& b) {
        return std::tie(a.at.file, a.at.line, a.at.begin) < std::tie(b.at.file, b.at.line, b.at.begin);
    });
    return kept;
}

}  // namespace zel::analysis
