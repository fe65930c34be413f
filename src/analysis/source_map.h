// The map of an adventure drawn from its source: what the author named each
// location, exits by their whole words, GOTOs, containers, and what lint
// finds unreachable.
#pragma once

#include <string>

#include "analysis/world.h"

namespace zel::analysis {

struct MapOptions {
    std::string name;      // the graph's name: the adventure's
    bool objects = false;  // list the objects that start in each location
};

// A Graphviz DOT graph: a node per location (the start drawn double, the
// unreachable ones shaded), one edge with two heads for a pair of opposite
// exits and one head for a one-way exit, dashed edges for GOTO labelled with
// their entry's words, and each container's inside in a box with its object.
std::string source_map(const SourceIndex& index, const World& world, const MapOptions& options);

}  // namespace zel::analysis
