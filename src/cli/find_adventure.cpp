#include "cli/find_adventure.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <vector>

#include "core/ascii.h"
#include "index/chain.h"

namespace zel::tool {

std::vector<std::string> adventure_names(const std::string& directory, const std::string& except) {
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(directory.empty() ? "." : directory, ec)) {
        const std::filesystem::path& path = entry.path();
        const std::string stem = path.stem().string();
        const bool usable = stem.size() <= 8 && !stem.empty() &&
                            std::all_of(stem.begin(), stem.end(), [](unsigned char ch) { return std::isalnum(ch); });
        if (ascii_upper(path.extension().string()) == ".SCE" && usable && ascii_upper(path.filename().string()) != ascii_upper(except))
            names.insert(ascii_upper(stem));
    }
    return {names.begin(), names.end()};
}

namespace {

// A link misspelt for the file: the one candidate whose chain stops at it.
std::optional<std::string> misspelt_for(const ChainSearch& search, const std::string& target, std::ostream& err) {
    if (search.misspelt.empty()) {
        err << "zeltool: " << target << " does not begin with /CTL, and no .SCE file beside it links to it\n";
        return std::string();
    }
    if (search.misspelt.size() > 1) {
        err << "zeltool: " << target << " does not begin with /CTL, and the chains of several adventures stop at a "
            << "link misspelt for it:";
        for (const MisspeltLink& link : search.misspelt)
            err << ' ' << link.adventure << ".SCE";
        err << "; name one of them\n";
        return std::nullopt;
    }
    const MisspeltLink& link = search.misspelt.front();
    const std::string missing = link.error.message.substr(0, link.error.message.find(' '));
    err << "zeltool: " << target << " does not begin with /CTL; using " << link.adventure << ".SCE, whose /LNK chain "
        << "stops at " << missing << ", not found: a misspelling of " << target << "?\n";
    return link.adventure;
}

}  // namespace

std::optional<std::string> adventure_of(FileSystem& files, const std::string& directory, const std::string& target,
                                        std::ostream& err) {
    const ChainSearch search = search_chains(files, target, adventure_names(directory, target));
    const std::vector<std::string>& found = search.reaching;
    if (found.size() == 1) {
        err << "zeltool: " << target << " does not begin with /CTL; using " << found.front()
            << ".SCE, whose /LNK chain reaches it\n";
        return found.front();
    }
    if (found.empty())
        return misspelt_for(search, target, err);
    err << "zeltool: " << target << " is reached from several adventures:";
    for (const std::string& name : found)
        err << ' ' << name << ".SCE";
    err << "; name one of them\n";
    return std::nullopt;
}

}  // namespace zel::tool
