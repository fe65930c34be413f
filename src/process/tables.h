// The process tables: entries of conditions and actions and their indexes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zel {

struct Compilation;

constexpr int max_tables = 255;
constexpr std::size_t entry_record_size = 4;

struct ProcessTables {
    int highest = 2;                        // highest table number required
    int current = 0;                        // table being compiled
    std::uint32_t tablepos[max_tables] = {};
    std::size_t idxsize = 0;                // bytes in the entry index
    std::uint32_t okcount = 0;              // entries compiled without error
    int hdrmarker = 0;                      // the header line is still current
};

std::uint32_t compile_process(Compilation& c);
bool compile_entry(Compilation& c);
bool vetca(Compilation& c);

}  // namespace zel
