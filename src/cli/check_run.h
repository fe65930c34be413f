// The compilation behind `zeltool check` and `zeltool build`: the library's
// compiler, its console kept to itself, its diagnostics passed on as it
// reports them.
#pragma once

#include <string>
#include <vector>

#include "core/observer.h"
#include "core/platform.h"

namespace zel::tool {

struct CheckResult {
    unsigned errors = 0;
    unsigned warnings = 0;
    std::string summary;          // the compiler's summary line, without line break; empty when none
    std::string internal_error;   // the compiler's internal-error line, when it ended with one
    std::vector<std::string> sources;  // every source file opened so far, as found, in order
    int status = 0;               // the compiler's exit status
};

// Compiles the adventure named by arguments[0] with the switches that follow
// over `files`, and passes every diagnostic to `listener` as the compiler
// reports it; result.sources grows as the source files are opened. Nothing
// of the compilation is kept that grows with the number of diagnostics.
void run_compilation(const std::vector<std::string>& arguments, FileSystem& files, DiagnosticListener& listener,
                     CheckResult& result);

// The same as with switch N: nothing is written, created or deleted through
// `files`, whatever the switches say.
void check_compilation(const std::vector<std::string>& arguments, FileSystem& files, DiagnosticListener& listener,
                       CheckResult& result);

}  // namespace zel::tool
