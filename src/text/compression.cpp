#include "text/compression.h"

#include <cstring>

#include "driver/compilation.h"

namespace zel {

const char* const token_table[token_count] = {
    " the ", " you ", " are ", "ing ", " to ", " and", " is ", "You ",
    "and ", "The ", "n't ", " of ", " you", "ing", "ed ", " a ",
    " op", "ith", "out", "ent", " to", " in", "all", " th",
    " it", "ter", "ave", " be", "ver", "her", "and", "ear",
    "You", " on", "en ", "ose", "no", "ic", "ap", " b",
    "gh", "  ", "ad", "is", " c", "ir", "ay", "ur",
    "un", "oo", " d", "lo", "ro", "ac", "se", "ri",
    "li", "ti", "om", "bl", "ck", "I ", "ed", "ee",
    " f", "ha", "pe", "e ", "t ", "in", "s ", "th",
    ", ", "er", "d ", "on", "to", "an", "ar", "en",
    "ou", "or", "st", ". ", "ow", "le", "at", "al",
    "re", "y ", "ch", "am", "el", " w", "as", "es",
    "it", " s", "ll", "do", "op", "sh", "me", "he",
    "bo", "hi", "ca", "pl", "il", "cl", " a", "of",
    " h", "tt", "mo", "ke", "ve", "so", "e.", "d.",
    "t.", "vi", "ly", "id", "sc", " p", "em", "r ",
};

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

// Each token in table order takes, left to right, every place where it
// matches letters that no earlier token has taken; a match becomes the
// token's code and the text closes up behind it. One pass per token copies
// the text down over itself (the write position never passes the read
// position), which gives the same text as moving the rest down after every
// match, without the repeated moves.
void substitute_tokens(Compilation& c) {
    Tokens& t = c.tokens;
    unsigned char* text = c.work() + c.writer.txtstart;
    std::size_t length = c.writer.bufptr - c.writer.txtstart;  // terminator included
    for (int i = 0; i < token_count; ++i) {
        const unsigned char* token = reinterpret_cast<const unsigned char*>(token_table[i]);
        const std::size_t len = t.toklen[i];
        std::size_t from = 0, to = 0;
        while (from + len <= length - 1) {
            if (text[from] == token[0] && text[from + 1] == token[1] &&
                (len == 2 || std::memcmp(text + from + 2, token + 2, len - 2) == 0)) {
                ++t.tokuse[i];
                text[to++] = static_cast<unsigned char>(token_code_base + i);
                from += len;
            } else {
                text[to++] = text[from++];
            }
        }
        if (from == to)
            continue;
        std::memmove(text + to, text + from, length - from);
        const std::size_t saved = from - to;
        length -= saved;
        c.writer.bufptr -= saved;
        t.saving += static_cast<std::int32_t>(saved);
    }
}

void print_token_stats(Compilation& c) {
    for (int i = 0; i < token_count; ++i)
        say(c, "Token '%s'\tused%5u times\n", token_table[i], c.tokens.tokuse[i]);
}

}  // namespace zel
