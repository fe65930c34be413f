// Text compression with the fixed table of 128 tokens.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zel {

struct Compilation;

constexpr int token_count = 128;
constexpr int token_code_base = 128;     // token i is stored as the code 128 + i
constexpr int token_block_size = 309;    // 255, then the 308 token characters

extern const char* const token_table[token_count];

constexpr std::size_t longest_text = 16007;  // no text is longer than the work area

struct Tokens {
    std::uint32_t toklen[token_count] = {};
    std::uint32_t tokuse[token_count] = {};
    std::int32_t saving = 0;  // bytes saved, less the token table block

    // Working tables of the substitution, indexed by a position in the text
    // being compressed; all clear between texts. Positions are kept plus 1,
    // so that 0 means none.
    std::uint16_t pairfirst[128 * 128] = {};   // first position of each pair of characters
    std::uint16_t pairnext[longest_text] = {}; // next position holding the same pair
    std::uint8_t taken[longest_text] = {};    // the character went into a token
    std::uint8_t tokenat[longest_text] = {};  // token index + 1 of a token that starts here
};

void write_token_table(Compilation& c);
// Replaces tokens in the text being assembled, in place in the output buffer.
void substitute_tokens(Compilation& c);
void print_token_stats(Compilation& c);

}  // namespace zel
