// Text compression with the fixed table of 128 tokens.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zel {

struct Compilation;

void write_token_table(Compilation& c);
// Replaces tokens in the text being assembled, in place in the output buffer.
void substitute_tokens(Compilation& c);
void print_token_stats(Compilation& c);

}  // namespace zel
