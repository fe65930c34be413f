// Case in ASCII only: the language, its keywords and its file names know no
// other letters.
#pragma once

#include <string>

namespace zel {

inline char ascii_upper(char ch) { return (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch; }
inline char ascii_lower(char ch) { return (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch - 'A' + 'a') : ch; }

inline std::string ascii_upper(std::string s) {
    for (char& ch : s)
        ch = ascii_upper(ch);
    return s;
}

inline std::string ascii_lower(std::string s) {
    for (char& ch : s)
        ch = ascii_lower(ch);
    return s;
}

}  // namespace zel
