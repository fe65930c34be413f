// Replacing the files of a source all at once or not at all: every new text
// is written beside its file first, and the files are renamed over only
// when every new text is written and every file is still what was read.
#pragma once

#include <string>
#include <vector>

namespace zel::tool {

struct FileChange {
    std::string path;
    std::string before;  // what was read, and must still be there
    std::string after;
};

// False, with the reason in `error`, when any file could not be replaced;
// then no temporary file is left, and every file is as it was unless the
// error names it as one that could not be put back after a failed rename.
bool replace_files(const std::vector<FileChange>& changes, std::string& error);

}  // namespace zel::tool
