// Text compression with the fixed table of 128 tokens.
#pragma once

#include <cstdint>

namespace zel {

struct Compilation;

constexpr int token_count = 128;
constexpr int token_code_base = 128;     // token i is stored as the code 128 + i
constexpr int token_block_size = 309;    // 255, then the 308 token characters

extern const char* const token_table[token_count];

struct Tokens {
    std::uint32_t toklen[token_count] = {};
    std::uint32_t tokuse[token_count] = {};
    std::int32_t saving = 0;  // bytes saved, less the token table block
};

void write_token_table(Compilation& c);
// Replaces tokens in the text being assembled, in place in the output buffer.
void substitute_tokens(Compilation& c);
void print_token_stats(Compilation& c);

}  // namespace zel
