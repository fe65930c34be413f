// What a parameter of a condition or action may be in this adventure, for
// signature help and hover: "object 0 to 5", "flag 0 to 255, not 38".
#pragma once

#include <string>

#include "lsp/analysis.h"

namespace zel::lsp {

std::string allowed_values(const Analysis& analysis, int kind, int opcode);

}  // namespace zel::lsp
