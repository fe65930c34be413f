#include "text/compression.h"

#include <cstring>
#include <memory>

#include "core/compilation.h"
#include "database/writer.h"
#include "diagnostics/diagnostics.h"
#include "format/format.h"

namespace zel {

void write_token_table(Compilation& c) {
    Tokens& t = c.tokens;
    wrb(c, 255);
    for (int i = 0; i < token_count; ++i) {
        const char* token = token_table[i];
        const std::size_t len = std::strlen(token);
        t.toklen[i] = static_cast<std::uint32_t>(len);
        t.tokuse[i] = 0;
        for (std::size_t k = 0; k + 1 < len; ++k)
            wrb(c, static_cast<unsigned char>(token[k]));
        wrb(c, static_cast<unsigned char>(token[len - 1]) + 128u);
    }
}

namespace {

static_assert(workarea_size <= longest_text, "a text in the work area fits the substitution's tables");

// Both characters of a pair that a token can begin with are below 128.
bool pairable(unsigned char a, unsigned char b) { return a < 128 && b < 128; }
std::size_t pair_index(unsigned char a, unsigned char b) { return a * 128u + b; }

// Links every position of the text (up to n, the terminator) to the next
// position that holds the same two characters, in ascending order.
void link_pairs(TokenScratch& t, const unsigned char* text, std::size_t n) {
    for (std::size_t k = n >= 2 ? n - 1 : 0; k-- > 0;) {
        if (!pairable(text[k], text[k + 1]))
            continue;
        std::uint16_t& first = t.pairfirst[pair_index(text[k], text[k + 1])];
        t.pairnext[k] = first;
        first = static_cast<std::uint16_t>(k + 1);
    }
}

void unlink_pairs(TokenScratch& t, const unsigned char* text, std::size_t n) {
    for (std::size_t k = 0; k + 1 < n; ++k)
        if (pairable(text[k], text[k + 1]))
            t.pairfirst[pair_index(text[k], text[k + 1])] = 0;
}

bool any_taken(const TokenScratch& t, std::size_t from, std::size_t length) {
    for (std::size_t k = from; k < from + length; ++k)
        if (t.taken[k])
            return true;
    return false;
}

// Token i takes, left to right, every place where it matches characters
// that no earlier token has taken and that lie before the terminator.
void take_token(Tokens& t, const unsigned char* text, std::size_t n, int i) {
    const unsigned char* token = reinterpret_cast<const unsigned char*>(token_table[i]);
    const std::size_t len = t.toklen[i];
    TokenScratch& s = *t.scratch;
    for (std::size_t next = s.pairfirst[pair_index(token[0], token[1])]; next != 0; next = s.pairnext[next - 1]) {
        const std::size_t k = next - 1;
        if (k + len > n)
            break;
        if (std::memcmp(text + k + 2, token + 2, len - 2) != 0 || any_taken(s, k, len))
            continue;
        std::memset(s.taken + k, 1, len);
        s.tokenat[k] = static_cast<std::uint8_t>(i + 1);
        ++t.tokuse[i];
        t.saving += static_cast<std::int32_t>(len - 1);
    }
}

// Puts each token's code in the place of its characters and closes the text
// up behind it; returns the new length, terminator included.
std::size_t close_up(Tokens& t, unsigned char* text, std::size_t n) {
    TokenScratch& s = *t.scratch;
    std::size_t to = 0;
    for (std::size_t from = 0; from < n;) {
        if (const int at = s.tokenat[from]) {
            const std::size_t len = t.toklen[at - 1];
            text[to++] = static_cast<unsigned char>(token_code_base + at - 1);
            s.tokenat[from] = 0;
            std::memset(s.taken + from, 0, len);
            from += len;
        } else {
            text[to++] = text[from++];
        }
    }
    text[to++] = text[n];
    return to;
}

}  // namespace

// Each token in table order takes, left to right, every place where it
// matches letters that no earlier token has taken; a match becomes the
// token's code and the text closes up behind it. A code never matches, so
// a later token can only match characters that were side by side in the
// text as it came and that no earlier token took. The matches are therefore
// found on the text as it came, through the positions of each pair of
// characters, and the text is closed up once at the end: the same text as
// moving the rest down after every match, in time linear in its length
// instead of one pass over it per token.
void substitute_tokens(Compilation& c) {
    Tokens& t = c.tokens;
    unsigned char* text = c.work() + c.writer.txtstart;
    const std::size_t length = c.writer.bufptr - c.writer.txtstart;  // terminator included
    const std::size_t n = length - 1;
    if (!t.scratch)
        t.scratch = std::make_unique<TokenScratch>();
    link_pairs(*t.scratch, text, n);
    for (int i = 0; i < token_count; ++i)
        take_token(t, text, n, i);
    unlink_pairs(*t.scratch, text, n);  // before close_up changes the pairs
    c.writer.bufptr -= length - close_up(t, text, n);
}

void print_token_stats(Compilation& c) {
    for (int i = 0; i < token_count; ++i)
        say(c, "Token '%s'\tused%5u times\n", token_table[i], c.tokens.tokuse[i]);
}

}  // namespace zel
