// Connections between locations and the definitions of objects.
#pragma once

#include <cstdint>

namespace zel {

struct Compilation;

std::uint32_t compile_connections(Compilation& c);
std::uint32_t compile_objects(Compilation& c);

}  // namespace zel
