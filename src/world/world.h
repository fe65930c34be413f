// Connections between locations and the definitions of objects.
#pragma once

#include <cstdint>

namespace zel {

struct Compilation;

constexpr unsigned container_bit = 64;
constexpr unsigned wearable_bit = 128;
constexpr unsigned end_of_list = 255;

struct World {
    std::uint32_t exitpos[252] = {};  // position of each location's exit list
    std::uint8_t objloc[255] = {};    // initial location of each object
    std::uint8_t objattr[256] = {};   // weight, container and wearable bits
};

std::uint32_t compile_connections(Compilation& c);
std::uint32_t compile_objects(Compilation& c);

}  // namespace zel
