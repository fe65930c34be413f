// The source of a new adventure, as "zeltool new" writes it.
#pragma once

#include <string>

namespace zel::tool {

struct NewAdventure {
    std::string name, second_name;  // adventure names: the files are NAME.SCE (and NAME2.SCE)
    std::string main, second;       // their texts; second is empty unless split
};

// `name` is a valid adventure name in upper case. Split, the texts and the
// rest go into a second file linked by /LNK.
NewAdventure new_adventure(const std::string& name, bool split);

}  // namespace zel::tool
