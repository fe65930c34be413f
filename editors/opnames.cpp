// Prints the name of every condition and action that a source can use, one
// per line in opcode order, for the editor grammars generated from them.
#include <cstdio>

#include "format/opcodes.h"

int main() {
    for (const zel::OpcodeRow& row : zel::opcode_table)
        if (row.kind1 != zel::kind_reserved)  // reserved rows cannot be named in a source
            std::printf("%s\n", row.name);
    return 0;
}
