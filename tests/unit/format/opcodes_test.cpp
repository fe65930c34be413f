#include <gtest/gtest.h>

#include <string>

#include "format/opcodes.h"

namespace zel {
namespace {

// A word as readword leaves it seven wide: blank-filled.
std::string seven(std::string word) {
    word.resize(7, ' ');
    return word;
}

TEST(FindOpcode, EveryNamedRowIsFoundByItsNameOnly) {
    for (int op = 0; op < opcode_count; ++op) {
        const std::string name = opcode_table[op].name;
        if (opcode_table[op].kind1 == kind_reserved) {
            EXPECT_EQ(find_opcode(seven(name).c_str()), -1) << name;
            EXPECT_EQ(find_opcode(seven(name.substr(0, name.find(' '))).c_str()), -1) << name;
            continue;
        }
        EXPECT_EQ(find_opcode(seven(name).c_str()), op) << name;
        if (opcode_table[op].kind1 == kind_none) {  // the second kind is read only after the first
            EXPECT_EQ(opcode_table[op].kind2, kind_none) << name;
        }
        EXPECT_EQ(find_opcode(name.c_str()), op) << name;  // cut at its NUL
        if (name.size() < 7) {
            EXPECT_EQ(find_opcode(seven(name + "X").c_str()), -1) << name;
        }
        EXPECT_NE(find_opcode(seven(name.substr(0, name.size() - 1)).c_str()), op) << name;
    }
    EXPECT_EQ(find_opcode(seven("").c_str()), -1);
    EXPECT_EQ(find_opcode(seven("at").c_str()), -1);  // readword has upper-cased every letter
}

}  // namespace
}  // namespace zel
