// For a command given a source file that does not start an adventure (an
// editor checks the file it shows): the adventure of the same folder whose
// /LNK chain reaches it.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "core/platform.h"

namespace zel::tool {

// `target` is the file as found, `directory` the folder of `files` on disk
// ("" for here). Says on err what it finds. Returns the adventure name to
// compile instead: the one whose chain reaches the file, or else the one
// whose chain stops at a link misspelt for it (error 37 for a name a few
// edits from the file's); "" when there is none (the file is compiled as
// it is); nothing when several are, which the caller reports as a failure.
std::optional<std::string> adventure_of(FileSystem& files, const std::string& directory, const std::string& target,
                                        std::ostream& err);

// The adventure names of the .SCE files of a folder (any case), but for the
// file named `except`: names zelc takes whole, at most eight letters and
// digits, upper case.
std::vector<std::string> adventure_names(const std::string& directory, const std::string& except = {});

}  // namespace zel::tool
