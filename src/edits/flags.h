// Flags are numbered but defined nowhere: renumbering one changes only the
// references to it, into a flag that nothing uses.
#pragma once

#include "edits/edits.h"

namespace zel::edits {

Outcome renumber_flag(const Sources& sources, int from, int to);

}  // namespace zel::edits
