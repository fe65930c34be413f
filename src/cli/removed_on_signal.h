// Files that a signal must not leave behind: the temporary database of a
// build, the new texts of an edit before they replace the sources, which
// would otherwise stay in the author's folder when the command is
// interrupted, killed or stopped by a broken pipe.
#pragma once

#include <sys/types.h>

#include <string>

namespace zel::tool {

// Creates the file (it must not exist yet) with the mode given (less the
// umask) and, with the signals held in between, has it removed should a
// signal end the process before keep_on_signal. Returns the descriptor,
// open for writing, or -1 with errno set. Up to most_removed files at a
// time are removed on a signal; one more is created all the same, unguarded.
//
// Handled is every signal that ends a process and that the process does not
// already ignore or handle (nohup's SIGHUP, a sanitizer's SIGSEGV): the
// handler removes the files and ends the process by the same signal, with
// nothing but calls that are safe in a signal handler.
int create_removed_on_signal(const std::string& path, mode_t mode = 0666);
constexpr int most_removed = 64;

// The file has been renamed or removed: a signal leaves it alone from now on.
void keep_on_signal(const std::string& path);

}  // namespace zel::tool
