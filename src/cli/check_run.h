// The compilation behind `zeltool check`: the library's compiler, run as with
// switch N, its console kept to itself and its diagnostics collected.
#pragma once

#include <string>
#include <vector>

#include "core/observer.h"
#include "core/platform.h"

namespace zel::tool {

struct CheckResult {
    // In the order the compiler reported them, each with its notes, at the
    // lines and columns an editor shows; with a warning of check's own for
    // every line the compiler splits.
    std::vector<Diagnostic> diagnostics;
    unsigned errors = 0;
    unsigned warnings = 0;
    std::string summary;          // the compiler's summary line, without line break; empty when none
    std::string internal_error;   // the compiler's internal-error line, when it ended with one
    std::vector<std::string> sources;  // every source file opened, as found, in order
    int status = 0;               // the compiler's exit status
    bool starts_adventure = false;  // the first source file begins with /CTL
};

// Compiles the adventure named by arguments[0] with the switches that follow,
// switch N among them, over the source files of `files`. Nothing is written,
// created or deleted through `files`.
CheckResult check_compilation(const std::vector<std::string>& arguments, FileSystem& files);

}  // namespace zel::tool
