// Words for what the index knows, shared by hover and completion.
#pragma once

#include <string>
#include <string_view>

#include "index/source_index.h"

namespace zel::lsp {

// "object", "location or keyword", "noun", ... for a parameter kind.
std::string kind_name(int kind);
// A condition or action with the kinds of its parameters: "PLACE object,
// location or keyword"; "DESC" for one without.
std::string signature(int opcode);
bool reserved_opcode(int opcode);
// A text as the player reads it: a line break for each empty line.
std::string readable_text(const TextDef& text);
// The start of a text, on one line, for a list.
std::string preview(const TextDef& text);
// A location number, or the name of a location code (HERE, CARRIED, ...).
std::string location_name(int number);
// The first word written for that number and type, or the number.
std::string word_name(const SourceIndex& index, int number, int type);
// An object's /OBJ line in words: "starts at HERE (255), weight 5,
// container; noun LAMP, adjective no word".
std::string object_summary(const SourceIndex& index, const ObjectDef& object);
// The name of a word type ("NOUN"), or "word" when not known.
std::string type_name(int type);
// "message 12", "object 3", "flag 38", ...
std::string item_name(const ItemKey& key);
// prefix, the number, and the note after a blank when there is one:
// "/12 the lamp". (Built by appending: GCC 12 warns falsely about
// "literal" + std::string chains.)
std::string numbered(std::string_view prefix, int number, std::string_view note = {});
// A fence for a code block around text: longer than any run of backquotes
// in it.
std::string fence_for(const std::string& text);

}  // namespace zel::lsp
