// The control line and the vocabulary section.
#pragma once

#include <cstdint>

namespace zel {

struct Compilation;

constexpr int entry_size = 7;  // vocabulary entry: 5 word bytes, number, type

enum WordType : int {
    verb = 0,
    adverb = 1,
    noun = 2,
    adjective = 3,
    preposition = 4,
    conjunction = 5,
    pronoun = 6,
};

// The type keywords of vocabulary lines, as compared: five characters wide.
extern const char* const word_type_keywords[7];
// Full names of the word types, for listings.
extern const char* const word_type_names[7];

struct Vocabulary {
    std::uint32_t nwords = 0;    // entries in the table
    std::uint32_t capacity = 0;  // most entries the work area can hold
};

// Reads a word operand five wide and looks it up: the null word (255), or
// the number of a vocabulary word whose type and number accepts() allows.
// Reports error 1, 5 or 44 (with the kind text) and returns -1 otherwise.
using WordAccepts = bool (*)(int type, int number);
int vocab_operand(Compilation& c, const char* kind, WordAccepts accepts);

void control_line(Compilation& c);
std::uint32_t compile_vocab(Compilation& c);
void write_vocab_entry(Compilation& c, std::uint32_t index);
int compare_vocab_entries(const void* a, const void* b);

}  // namespace zel
