// A file that a signal must not leave behind: the temporary database of a
// build, which would otherwise stay in the author's folder when the build is
// interrupted, killed or stopped by a broken pipe.
#pragma once

#include <string>

namespace zel::tool {

// Creates the file (it must not exist yet) and, with the signals held in
// between, has it removed should a signal end the process before
// keep_on_signal. Returns the descriptor, open for writing, or -1 with errno
// set. One file at a time.
//
// Handled is every signal that ends a process and that the process does not
// already ignore or handle (nohup's SIGHUP, a sanitizer's SIGSEGV): the
// handler removes the file and ends the process by the same signal, with
// nothing but calls that are safe in a signal handler.
int create_removed_on_signal(const std::string& path);

// The file has been renamed or removed: a signal leaves it alone from now on.
void keep_on_signal();

}  // namespace zel::tool
