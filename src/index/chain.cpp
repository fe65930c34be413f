#include "index/chain.h"

#include <algorithm>

#include "core/memory_files.h"
#include "driver/compile.h"
#include "index/source_index.h"

namespace zel {

std::vector<std::string> adventures_reaching(FileSystem& files, const std::string& target,
                                             const std::vector<std::string>& candidates) {
    std::vector<std::string> found;
    for (const std::string& name : candidates) {
        NullConsole console;
        SourceIndex index(false);
        compile({name, "N"}, console, files, &index);
        const std::vector<SourceFile>& chain = index.files();
        if (std::any_of(chain.begin() + (chain.empty() ? 0 : 1), chain.end(),
                        [&](const SourceFile& f) { return f.found == target; }))
            found.push_back(name);
    }
    return found;
}

}  // namespace zel
