// Parameters of conditions and actions: read, checked and emitted.
#pragma once

namespace zel {

struct Compilation;

// Reads, checks and emits one parameter of the given kind for an opcode;
// false after reporting its error.
bool compile_param(Compilation& c, int kind, int opcode);

}  // namespace zel
