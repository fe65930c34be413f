// The control line and the vocabulary section.
#pragma once

#include <cstdint>

namespace zel {

struct Compilation;

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
