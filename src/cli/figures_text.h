// zeltool stats's figures as it prints them: as text for people, or as JSON.
#pragma once

#include <ostream>
#include <string>

#include "analysis/figures.h"

namespace zel::tool {

// `what` names the adventure or database on the first line.
void write_figures(const std::string& what, const analysis::Figures& f, std::ostream& out);
void write_figures_json(const std::string& what, const analysis::Figures& f, std::ostream& out);

}  // namespace zel::tool
