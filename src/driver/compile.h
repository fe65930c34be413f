// The one entry point of the compiler.
#pragma once

#include <string>
#include <vector>

#include "core/observer.h"
#include "core/platform.h"

namespace zel {

// Compiles the adventure named by arguments[0] with the switches that follow.
// Returns the exit status: 0 after every ordinary or fatal end, the error
// number after an internal error. An observer, when given, is told every
// diagnostic as a structure and everything the compiler reads; the console
// output and the database stay the same.
int compile(const std::vector<std::string>& arguments, Console& console, FileSystem& files,
            Observer* observer = nullptr);

}  // namespace zel
