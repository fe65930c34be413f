// The checks behind lint(), one group each; every one appends the findings
// of the codes that are on (most findings of a code that is off would be
// written only to be dropped), and lint() filters what comments silence.
#pragma once

#include <string>
#include <vector>

#include "analysis/figures.h"
#include "analysis/lint.h"
#include "analysis/world.h"

namespace zel::analysis {

// A finding of a code, with the code's severity.
Finding finding(Code code, const Span& at, std::string message);

// unreachable-location, dead-end, self-exit, one-way-exit
void check_map(const World& world, const Selection& on, std::vector<Finding>& out);
// unused-location, unused-message, unused-object, unused-word, lone-flag
void check_usage(const SourceIndex& index, const World& world, const Selection& on, std::vector<Finding>& out);
// limit-*
void check_limits(const SourceIndex& index, const Figures& figures, std::vector<Finding>& out);

// "location 4 (cliff path)"
std::string location_title(const World& world, int n);

}  // namespace zel::analysis
