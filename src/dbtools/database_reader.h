// Reads a compiled adventure database into a structure, checking every
// position and every list against the bytes that are really there. The
// reader follows the positions of the header wherever they point; whether
// the blocks lie where the compiler would put them is a separate question
// (layout_problem), which only the decompiler needs answered.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>
#include "format/format.h"

namespace zel::tool {

using Bytes = std::vector<unsigned char>;

struct Header {
    unsigned format = 0;
    unsigned char nullchr = 0;
    unsigned nobjects = 0, nlocations = 0, nmess = 0, nsysmess = 0, nprocess = 0;
    unsigned tokenpos = 0, propos = 0, otxpos = 0, ltxpos = 0, mtxpos = 0, stxpos = 0;
    unsigned conpos = 0, vocabpos = 0, objlocpos = 0, objwordpos = 0, objattrpos = 0;
    unsigned length = 0;
};

struct VocabWord {
    std::string word;  // five characters, decoded, blank-padded
    unsigned number = 0;
    unsigned type = 0;
};

// One text as stored, decoded (255 minus each byte), without its terminator:
// token codes stay codes; expand() turns them into letters.
struct Text {
    unsigned pos = 0;
    Bytes bytes;
};

enum class Section { stx, mtx, otx, ltx };
constexpr int section_count = 4;
// The header field that holds the offset table of a text section.
unsigned& section_field(Header& h, Section s);
const char* section_header(Section s);  // "/STX" ...
const char* section_title(Section s);   // "system messages" ...

struct Exit {
    unsigned word = 0;
    unsigned destination = 0;
};

struct Location {
    unsigned pos = 0;  // of the exit list
    std::vector<Exit> exits;
};

struct Object {
    unsigned noun = 255, adjective = 255, attributes = 0, location = 0;
};

// The parameters of a condition or action: no opcode takes more than two,
// so they are held in place rather than each list on the heap (a database
// has thousands).
class Params {
public:
    static constexpr std::size_t most = 2;
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    unsigned operator[](std::size_t i) const { return values_[i]; }
    // A third parameter is dropped; no opcode has one.
    void push_back(unsigned value) {
        if (size_ < most)
            values_[size_++] = value;
    }

private:
    std::array<unsigned, most> values_{};
    std::size_t size_ = 0;
};

struct Action {
    unsigned opcode = 0;
    Params params;
};

struct Entry {
    unsigned verb = 255, noun = 255;
    unsigned pos = 0;  // of the first opcode
    unsigned end = 0;  // just past the closing 255
    std::vector<Action> actions;
};

struct ProcessTable {
    unsigned pos = 0;  // of the entry index
    std::vector<Entry> entries;
};

struct Database {
    Bytes bytes;
    Header header;
    std::vector<VocabWord> vocabulary;
    std::optional<std::vector<std::string>> tokens;  // present when compressed
    std::array<std::vector<Text>, section_count> texts;
    std::vector<Location> locations;
    std::vector<Object> objects;
    std::vector<ProcessTable> tables;

    const std::vector<Text>& section(Section s) const { return texts[static_cast<int>(s)]; }
    // The text with its token codes replaced by the tokens of this database.
    std::string expand(const Text& text) const;
    // The longest word of the vocabulary with this number whose type
    // accepts() allows, the first of equally long ones; empty when there is
    // none.
    std::string word_for(unsigned number, bool (*accepts)(unsigned type, unsigned number)) const;

    // For word_for: the longest word of each number and type, found on first use.
    struct LongestWord {
        std::string word;
        std::size_t index = 0;  // in the vocabulary
    };
    static constexpr unsigned word_type_count = 7;
    mutable std::vector<LongestWord> longest_words_;
};

// Reads a database; on failure returns nothing and puts the reason in error.
std::optional<Database> read_database(Bytes bytes, std::string& error);

// The first place where the database differs from the layout the compiler
// writes (blocks in order, back to back, lists in item order), or nothing.
std::optional<std::string> layout_problem(const Database& db);

// The item of the database that holds this offset, for messages.
std::string describe_offset(const Database& db, unsigned offset);

bool is_movement_word(unsigned type, unsigned number);  // exits and entry verbs

// Reads a whole file; false with a message when it cannot be read.
bool read_file(const std::string& path, Bytes& bytes, std::string& error);

}  // namespace zel::tool
