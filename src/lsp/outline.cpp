// The outline of a file (sections, their items, entries as "VERB NOUN") and
// the ranges an editor can fold (sections, texts, locations, entries).
#include <algorithm>

#include "format/format.h"
#include "lsp/describe.h"
#include "lsp/features.h"

namespace zel::lsp {

namespace {

// Symbol kinds of the protocol.
constexpr int symbol_namespace = 3, symbol_function = 12, symbol_constant = 14, symbol_string = 15,
              symbol_object = 19, symbol_struct = 23;

// Whole compiler lines first to last as an editor's range.
json lines_range(const Analysis& analysis, int file, unsigned first, unsigned last, Encoding encoding) {
    const auto length = static_cast<unsigned>(analysis.line_text(file, last).size());
    json range = analysis.range(Span{file, first, 1, 1}, encoding);
    range["end"] = analysis.range(Span{file, last, length + 1, length + 1}, encoding)["end"];
    return range;
}

json symbol(const std::string& name, const std::string& detail, int kind, json range, json selection) {
    json s{{"name", name.empty() ? "?" : name}, {"kind", kind}, {"range", std::move(range)},
           {"selectionRange", std::move(selection)}};
    if (!detail.empty())
        s["detail"] = detail;
    return s;
}

// The sections of a file with the lines each spans.
struct SectionLines {
    std::size_t section;
    unsigned first, last;
};

std::vector<SectionLines> sections_of(const SourceIndex& index, int file) {
    std::vector<SectionLines> found;
    for (std::size_t i = 0; i < index.sections().size(); ++i)
        if (index.sections()[i].at.file == file)
            found.push_back({i, index.sections()[i].at.line, index.section_end(i)});
    return found;
}

// The section of those that holds a line, or -1.
int holding(const std::vector<SectionLines>& sections, unsigned line) {
    for (std::size_t i = sections.size(); i-- > 0;)
        if (sections[i].first <= line && line <= sections[i].last)
            return static_cast<int>(i);
    return -1;
}

std::string section_name(const SectionDef& s) {
    return s.header == "/PRO" ? numbered("/PRO ", s.number) : s.header;
}

std::string text_name(const TextDef& t) { return numbered("/", t.number, t.note); }

}  // namespace

json document_symbols(const Analysis& analysis, int file, Encoding encoding) {
    const SourceIndex& index = analysis.index;
    const std::vector<SectionLines> sections = sections_of(index, file);
    std::vector<json> children(sections.size(), json::array());
    json loose = json::array();  // items outside every section found
    auto add = [&](const Span& at, json item) {
        const int s = holding(sections, at.line);
        (s < 0 ? loose : children[static_cast<std::size_t>(s)]).push_back(std::move(item));
    };
    for (const WordDef& w : index.words())
        if (w.at.file == file)
            add(w.at, symbol(w.word, numbered("", w.number, type_name(w.type)), symbol_constant,
                             analysis.range(w.line, encoding), analysis.range(w.at, encoding)));
    for (const TextDef& t : index.texts())
        if (t.at.file == file)
            add(t.at, symbol(text_name(t), preview(t), symbol_string,
                             lines_range(analysis, file, t.at.line, std::max(t.at.line, t.last_line), encoding),
                             analysis.range(t.at, encoding)));
    for (const ConnectionDef& c : index.connections())
        if (c.at.file == file)
            add(c.at, symbol(numbered("/", c.location, c.note), "",
                             symbol_struct,
                             lines_range(analysis, file, c.at.line, std::max(c.at.line, c.last_line), encoding),
                             analysis.range(c.at, encoding)));
    for (const ObjectDef& o : index.objects())
        if (o.at.file == file)
            add(o.at, symbol(numbered("/", o.object), object_summary(index, o), symbol_object,
                             analysis.range(o.line, encoding), analysis.range(o.at, encoding)));
    for (const EntryDef& e : index.entries())
        if (e.at.file == file)
            add(e.at, symbol(e.verb_text + " " + e.noun_text, "", symbol_function,
                             lines_range(analysis, file, e.at.line, std::max(e.at.line, e.last_line), encoding),
                             analysis.range(e.at, encoding)));
    json result = json::array();
    for (std::size_t i = 0; i < sections.size(); ++i) {
        const SectionDef& s = index.sections()[sections[i].section];
        json item = symbol(section_name(s), "", symbol_namespace,
                           lines_range(analysis, file, sections[i].first, sections[i].last, encoding),
                           analysis.range(s.at, encoding));
        item["children"] = std::move(children[i]);
        result.push_back(std::move(item));
    }
    for (json& item : loose)
        result.push_back(std::move(item));
    return result;
}

json folding_ranges(const Analysis& analysis, int file) {
    const SourceIndex& index = analysis.index;
    json result = json::array();
    auto fold = [&](unsigned first, unsigned last) {
        const unsigned from = analysis.range(Span{file, first, 1, 1}, Encoding::utf8)["start"]["line"];
        const unsigned to = analysis.range(Span{file, last, 1, 1}, Encoding::utf8)["start"]["line"];
        if (to > from)
            result.push_back(json{{"startLine", from}, {"endLine", to}, {"kind", "region"}});
    };
    for (const SectionLines& s : sections_of(index, file))
        fold(s.first, s.last);
    for (const TextDef& t : index.texts())
        if (t.at.file == file)
            fold(t.at.line, t.last_line);
    for (const ConnectionDef& c : index.connections())
        if (c.at.file == file)
            fold(c.at.line, c.last_line);
    for (const EntryDef& e : index.entries())
        if (e.at.file == file)
            fold(e.at.line, e.last_line);
    return result;
}

}  // namespace zel::lsp
