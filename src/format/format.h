// The database format and the limits of the language: every constant that
// both the compiler's writers and the tools' readers depend on.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zel {

// The compiler's work area: vocabulary entries, then the output buffer.
constexpr std::size_t workarea_size = 16007;
constexpr std::size_t workarea_threshold = 16000;  // bufend: the buffer is flushed here
constexpr std::size_t line_room = 258;             // characters in one source line piece

constexpr std::uint32_t largest_database = 65535;  // every position is a 16-bit word
constexpr std::size_t header_size = 32;

// Vocabulary entries: five word bytes (complemented), the number, the type.
constexpr int entry_size = 7;
// Most vocabulary entries: the work area less the smallest output buffer.
constexpr std::uint32_t vocab_capacity = (workarea_threshold - 517) / entry_size;

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

constexpr unsigned no_word = 255;      // the null word in every word field
constexpr unsigned end_of_list = 255;  // closes exit lists and object tables

// Texts: how many each section may hold, and the bytes that shape them.
constexpr std::uint32_t most_sysmess = 255, most_messages = 255, most_objects = 255, most_locations = 252;
constexpr std::uint32_t fewest_sysmess = 61;
constexpr unsigned char text_end = 10;         // terminator of every text
constexpr unsigned char paragraph_break = 13;  // one per empty line
constexpr unsigned char join_space = 32;       // between joined lines
// A text is stored complemented: 255 minus each byte.
constexpr unsigned stored_text_end = 255 - text_end;

// Location codes besides plain location numbers.
enum LocationCode : int {
    loc_notcreated = 252,
    loc_worn = 253,
    loc_carried = 254,
    loc_here = 255,
};

// Object attribute bits beside the weight.
constexpr unsigned container_bit = 64;
constexpr unsigned wearable_bit = 128;

// Process tables.
constexpr int max_tables = 255;
constexpr int highest_named_table = 254;  // PROCESS may name 2 to 254
constexpr std::size_t entry_record_size = 4;

// Compression: 128 fixed tokens, stored as the codes 128 to 255.
constexpr int token_count = 128;
constexpr int token_code_base = 128;
constexpr int token_block_size = 309;  // 255, then the 308 token characters
extern const char* const token_table[token_count];

// No text is longer than the work area.
constexpr std::size_t longest_text = workarea_size;

}  // namespace zel
