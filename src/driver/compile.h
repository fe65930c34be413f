// The one entry point of the compiler.
#pragma once

#include <string>
#include <vector>

#include "core/observer.h"
#include "core/platform.h"

namespace zel {

// Compiles the adventure named by arguments[0] with the switches that follow.
// Returns the exit status: 0 after every ordinary or fatal end, the error
// number after an internal error. A listener, when given, also receives every
// diagnostic as a structure; the console output stays the same.
int compile(const std::vector<std::string>& arguments, Console& console, FileSystem& files,
            DiagnosticListener* listener = nullptr);

}  // namespace zel
