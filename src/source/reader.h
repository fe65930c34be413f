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

}  // namespace zel
