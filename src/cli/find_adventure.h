// For a command given a source file that does not start an adventure (an
// editor checks the file it shows): the adventure of the same folder whose
// /LNK chain reaches it.
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "core/platform.h"

namespace zel::tool {

// `target` is the file as found, `directory` the folder of `files` on disk
// ("" for here). Says on err what it finds. Returns the adventure name to
// compile instead; "" when none reaches the file (it is compiled as it
// is); nothing when several do, which the caller reports as a failure.
std::optional<std::string> adventure_of(FileSystem& files, const std::string& directory, const std::string& target,
                                        std::ostream& err);

}  // namespace zel::tool
