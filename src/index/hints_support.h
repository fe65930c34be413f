// What the files of the notes share: adding a note, and reading the
// offending token from the line a diagnostic carries.
#pragma once

#include <algorithm>
#include <string>

#include "core/observer.h"

namespace zel::hints {

inline bool letter_or_digit(char ch) {
    return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9');
}

inline char upper(char ch) { return (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch; }

inline void add_note(Diagnostic& d, const Span& at, std::string message) {
    d.notes.push_back(Note{at, std::move(message)});
}

inline Span columns(const Diagnostic& d, int begin, int end) {
    return Span{d.file_index, d.line, static_cast<unsigned>(begin), static_cast<unsigned>(end)};
}

// The offending token as written; empty when the diagnostic points at none.
inline std::string token_of(const Diagnostic& d) {
    if (!d.has_line || !d.has_text || d.column <= 0 || d.end_column <= d.column)
        return {};
    return d.text.substr(static_cast<std::size_t>(d.column - 1), static_cast<std::size_t>(d.end_column - d.column));
}

// The letters and digits a token begins with, upper-cased.
inline std::string leading_word(const std::string& token) {
    std::string word;
    for (std::size_t i = 0; i < token.size() && letter_or_digit(token[i]); ++i)
        word += upper(token[i]);
    return word;
}

inline bool all_digits(const std::string& token) {
    return !token.empty() && std::all_of(token.begin(), token.end(), [](char ch) { return ch >= '0' && ch <= '9'; });
}

}  // namespace zel::hints
