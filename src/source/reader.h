// Source reader: delivers the adventure source one significant line at a
// time, across the files that link lines chain together.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "core/platform.h"

namespace zel {

struct Compilation;

void srcopen(Compilation& c, const std::string& name);
void rdline(Compilation& c);
void findsec(Compilation& c, const char* name, int number);
void srcclose(Compilation& c);
// Tells the observer, if any, the last line read of the file still open when
// the compilation ends before the end of its source.
void note_open_file_end(Compilation& c);

}  // namespace zel
