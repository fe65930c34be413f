// The compilation behind `zeltool check` and `zeltool build`: the library's
// compiler, its console kept to itself, its diagnostics passed on as it
// reports them.
#pragma once

#include <functional>
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

// Asked once, when the first source file does not begin with /CTL (error 41
// comes before any section was found), with that file's name as found: true
// when another adventure is to be reported on instead, so that the
// diagnostics of this compilation are dropped from then on.
using WrongStart = std::function<bool(const std::string& first_file)>;

// Compiles the adventure named by arguments[0] with the switches that follow
// over `files`, and passes every diagnostic to `listener` as the compiler
// reports it, with its notes, at the lines and columns an editor shows, and
// a warning for every line the compiler splits; result.sources grows as the
// source files are opened. Nothing of the compilation is kept that grows
// with the number of diagnostics.
void run_compilation(const std::vector<std::string>& arguments, FileSystem& files, DiagnosticListener& listener,
                     CheckResult& result, const WrongStart& wrong_start = {});

// The same as with switch N: nothing is written, created or deleted through
// `files`, whatever the switches say.
void check_compilation(const std::vector<std::string>& arguments, FileSystem& files, DiagnosticListener& listener,
                       CheckResult& result, const WrongStart& wrong_start = {});

}  // namespace zel::tool
