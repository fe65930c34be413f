#include "cli/find_adventure.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <vector>

#include "core/ascii.h"
#include "index/chain.h"

namespace zel::tool {

namespace {

// The adventure names of the .SCE files of a folder (any case), but for the
// one given: names zelc takes whole, at most eight letters and digits.
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

}  // namespace

std::optional<std::string> adventure_of(FileSystem& files, const std::string& directory, const std::string& target,
                                        std::ostream& err) {
    const std::vector<std::string> found = adventures_reaching(files, target, adventure_names(directory, target));
    if (found.size() == 1) {
        err << "zeltool: " << target << " does not begin with /CTL; using " << found.front()
            << ".SCE, whose /LNK chain reaches it\n";
        return found.front();
    }
    if (found.empty()) {
        err << "zeltool: " << target << " does not begin with /CTL, and no .SCE file beside it links to it\n";
        return std::string();
    }
    err << "zeltool: " << target << " is reached from several adventures:";
    for (const std::string& name : found)
        err << ' ' << name << ".SCE";
    err << "; name one of them\n";
    return std::nullopt;
}

}  // namespace zel::tool
