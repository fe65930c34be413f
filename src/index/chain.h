// Which adventure a source file belongs to, when it does not start one
// itself but is a later file of another's /LNK chain.
#pragma once

#include <string>
#include <vector>

#include "core/platform.h"

namespace zel {

// The adventures among `candidates` (names as zelc takes them) whose chain
// of source files reaches the file found as `target`. Each candidate is
// compiled in memory with switch N, so nothing is written.
std::vector<std::string> adventures_reaching(FileSystem& files, const std::string& target,
                                             const std::vector<std::string>& candidates);

}  // namespace zel
