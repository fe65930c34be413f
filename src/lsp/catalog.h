// What the features ask of an analysis again and again, worked out once per
// analysis on first use (Analysis::catalog): the items by number, and each
// file's tokens in source order with what each names, so that semantic
// tokens, inlay hints and highlights walk one file's list instead of every
// reference of the chain.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "index/source_index.h"

namespace zel::lsp {

struct Token {
    enum class What : std::uint8_t {
        header,   // a section header's word ("/MTX")
        item,     // "/n" of a text, of a location's exits or of an object: defines key
        note,     // what the author wrote after an item's number
        word,     // a vocabulary word, on its /VOC line (a definition) or where it is used
        condact,  // the name of a condition or action
        number,   // a number that names key: a parameter, an exit's destination, a table's number
        keyword,  // a location code written as a word (HERE) or the null word; key.number is its code
    };
    Span at;
    What what = What::number;
    ItemKey key;
    bool definition = false;
    bool written = false;  // a flag that its condition or action stores into
    int opcode = -1;       // of a condition or action's name and parameters
};

class Catalog {
public:
    explicit Catalog(const SourceIndex& index);

    // The text, location line and object line of a number; null when the
    // adventure has none.
    const TextDef* text(Kind kind, int number) const;
    const ConnectionDef* connections(int location) const;
    const ObjectDef* object(int number) const;
    // How many texts of a kind the adventure has, and entries a table.
    int count(Kind kind) const;
    int entries(int table) const;

    // The tokens of a file in source order, none overlapping another (found
    // on the first call for the file).
    std::span<const Token> tokens(int file) const;
    // Those on the compiler lines first to last of a file.
    std::span<const Token> tokens(int file, unsigned first, unsigned last) const;

private:
    static constexpr std::size_t numbers = 256;
    using ByNumber = std::array<const TextDef*, numbers>;
    std::array<ByNumber, 4> texts_{};  // system messages, messages, objects, locations
    std::array<const ConnectionDef*, numbers> connections_{};
    std::array<const ObjectDef*, numbers> objects_{};
    std::array<int, 4> counts_{};
    std::array<int, numbers> entries_{};
    const SourceIndex& index_;
    mutable std::vector<std::optional<std::vector<Token>>> files_;
};

// Whether a condition or action stores into its flag parameter, as its name
// says: SET, CLEAR, LET, PLUS, MINUS, WEIGHT and RANDOM their flag, COPYOF,
// COPYFF and WEIGH their second parameter.
bool writes_flag(int opcode, int param);

}  // namespace zel::lsp
