#include "index/chain.h"

#include <algorithm>

#include "core/ascii.h"
#include "core/memory_files.h"
#include "driver/compile.h"
#include "index/hints.h"
#include "index/source_index.h"

namespace zel {

namespace {

constexpr int source_not_found = 37;  // "%s not found"

// The index of a candidate, which keeps of the diagnostics only the error
// 37 that stops its chain.
class ChainIndex : public SourceIndex {
public:
    ChainIndex() : SourceIndex(false) {}
    void report(const Diagnostic& d) override {
        if (d.number == source_not_found)
            stop = d;
    }
    std::optional<Diagnostic> stop;
};

// The name of the file a link did not find, without ".SCE": empty for any
// other diagnostic, and for the adventure's own source (no file is open).
std::string missing_link_name(const Diagnostic& d) {
    static const std::string ending = ".SCE not found";
    if (d.number != source_not_found || d.file.empty() || !d.message.ends_with(ending))
        return {};
    return d.message.substr(0, d.message.size() - ending.size());
}

}  // namespace

ChainSearch search_chains(FileSystem& files, const std::string& target, const std::vector<std::string>& candidates) {
    ChainSearch found;
    // A link is misspelt for the file searched when that is the nearest of
    // the folder's names to it (the file searched first, so that it wins
    // ties).
    const std::string meant = ascii_upper(target.size() > 4 ? target.substr(0, target.size() - 4) : target);
    std::vector<std::string> names{meant};
    names.insert(names.end(), candidates.begin(), candidates.end());
    for (const std::string& name : candidates) {
        NullConsole console;
        ChainIndex index;
        compile({name, "N"}, console, files, &index);
        const std::vector<SourceFile>& chain = index.files();
        if (std::any_of(chain.begin() + (chain.empty() ? 0 : 1), chain.end(),
                        [&](const SourceFile& f) { return f.found == target; }))
            found.reaching.push_back(name);
        else if (const std::optional<Note> note = index.stop ? misspelt_link(*index.stop, names) : std::nullopt;
                 note && note->message == "did you mean " + meant + "?")
            found.misspelt.push_back({name, *index.stop});
    }
    return found;
}

std::optional<Note> misspelt_link(const Diagnostic& d, const std::vector<std::string>& names) {
    const std::string missing = missing_link_name(d);
    if (missing.empty())
        return std::nullopt;
    const std::size_t limit = missing.size() >= 6 ? 2 : 1;
    std::optional<std::string> nearest;
    std::size_t distance = limit + 1;
    for (const std::string& name : names) {
        const std::string candidate = ascii_upper(name);
        const std::size_t apart = edit_distance(missing, candidate);
        if (apart > 0 && apart < distance) {
            distance = apart;
            nearest = candidate;
        }
    }
    if (!nearest)
        return std::nullopt;
    // The name on the link line, after "/LNK" and blanks.
    Note note{Span{d.file_index, d.line, 0, 0}, "did you mean " + *nearest + "?"};
    const std::size_t begin = d.has_text ? d.text.find_first_not_of(" \t", 4) : std::string::npos;
    if (begin != std::string::npos) {
        const std::size_t end = std::min(d.text.find_first_of(" \t;", begin), d.text.size());
        note.at.begin = static_cast<unsigned>(begin + 1);
        note.at.end = static_cast<unsigned>(end + 1);
    }
    return note;
}

}  // namespace zel
