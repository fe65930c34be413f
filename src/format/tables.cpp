// The fixed tables of the format: word type keywords and compression tokens.
#include "format/format.h"

namespace zel {

const char* const word_type_keywords[7] = {"VERB ", "ADVER", "NOUN ", "ADJEC", "PREPO", "CONJU", "PRONO"};
const char* const word_type_names[7] = {"VERB", "ADVERB", "NOUN", "ADJECTIVE", "PREPOSITION", "CONJUNCTION", "PRONOUN"};

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

}  // namespace zel
