// The process tables: entries of conditions and actions and their indexes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zel {

struct Compilation;

std::uint32_t compile_process(Compilation& c);
bool compile_entry(Compilation& c);
bool vetca(Compilation& c);

}  // namespace zel
