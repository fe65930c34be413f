// What a tool can learn from a compilation besides its console: every
// diagnostic as a structure, and everything the compiler reads as it reads
// it (files, sections, definitions and references, each with the exact span
// of its token). With no observer attached the compiler does nothing extra;
// the console output and the database are the same either way.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "format/opcodes.h"

namespace zel {

// A token's place: the source file (its index in the order the files were
// opened), the line as the compiler counts it (a line piece of at most 258
// characters counts as a line), and the 1-based columns of its first byte
// and just past its last.
struct Span {
    int file = -1;
    unsigned line = 0;
    unsigned begin = 0;
    unsigned end = 0;
};

// A remark attached to a diagnostic by a tool: where to look and what to do.
// The compiler itself attaches none.
struct Note {
    Span at;
    std::string message;
};

// A diagnostic as a structure, for tools that present diagnostics in their
// own form.
struct Diagnostic {
    enum class Severity { error, warning } severity = Severity::error;
    int number = -1;           // error number; -1 for a warning
    std::string message;       // the message text as printed, without line break
    bool has_line = false;     // reported against a source line
    std::string file;          // source file open at the time, as found (empty before the first)
    unsigned line = 0;         // lineno
    std::string text;          // linebuf
    int column = 0;            // 1-based column of the offending token; 0 when unknown
    int end_column = 0;        // just past the token; equal to column when no token was found
    int file_index = -1;       // Span::file of the source file open at the time
    bool has_text = true;      // text is the text of `line` (a tool that moves a report elsewhere clears it)
    std::vector<Note> notes;   // added by tools
};

// A source file opened by the compiler: the adventure's own source first,
// then each file a /LNK line continues into.
struct SourceFile {
    int index = 0;
    std::string name;   // as formed from the adventure or link name (upper case)
    std::string found;  // the name it was found under
    Span link;          // the /LNK line that leads here (file -1 for the first)
};

// A section header the compiler searched for and found.
struct SectionDef {
    std::string header;  // "/CTL", "/VOC", "/STX", ... "/PRO"
    int number = 0;      // the table number of a /PRO header
    Span at;             // the header line
    Span name;           // the header word ("/PRO", "/Vocabulary"), up to the blank after it
    Span number_at;      // the table number's token of a /PRO header (file -1 for the others)
};

// The kinds of things a source defines or refers to.
enum class Kind {
    word,           // a vocabulary word, by number (with its type)
    sysmess,        // /STX text
    message,        // /MTX text
    object,         // an object: /OTX text and /OBJ line
    location,       // a location: /LTX text and /CON exits
    process,        // a process table
    flag,
    value,
    percent,
};

// What a parameter of a kind (ParamKind) names.
constexpr Kind kind_of_param(int param_kind) {
    switch (param_kind) {
    case kind_object: return Kind::object;
    case kind_location:
    case kind_locword: return Kind::location;
    case kind_message: return Kind::message;
    case kind_sysmess: return Kind::sysmess;
    case kind_process: return Kind::process;
    case kind_percent: return Kind::percent;
    case kind_flag: return Kind::flag;
    case kind_value: return Kind::value;
    default: return Kind::word;
    }
}

// One vocabulary line.
struct WordDef {
    std::string word;      // the word as written (letters and digits, upper case)
    int number = 0;
    int type = 0;          // WordType
    Span at;               // the word's token
    Span line;             // the whole line
};

// One text of /STX, /MTX, /OTX or /LTX.
struct TextDef {
    Kind kind = Kind::message;  // sysmess, message, object or location
    int number = 0;
    Span at;                    // the "/n" line, the number's token
    Span number_at;             // the number alone
    std::string note;           // what the author wrote after the number, trimmed
    Span note_at;               // where the note stands (file -1: no note)
    unsigned last_line = 0;     // last line of the text (its first is at.line + 1)
    int last_file = -1;         // the file of last_line: another than at.file when a /LNK cut the text
    std::string text;           // the text as stored: lines joined by a blank, 13 per empty line
};

// A location's line in /CON.
struct ConnectionDef {
    int location = 0;
    Span at;             // the "/n" line, the number's token
    Span number_at;      // the number alone
    std::string note;
    Span note_at;        // as TextDef::note_at
    unsigned last_line = 0;
    int last_file = -1;  // the file of last_line
};

// An exit line under a location in /CON.
struct ExitDef {
    int location = 0;
    int word = 0;          // movement word number
    std::string text;      // the word as written
    int destination = 0;
    Span word_at, destination_at;
};

// An object line in /OBJ.
struct ObjectDef {
    int object = 0;
    Span at;               // the "/n" token
    Span number_at;        // the number alone
    int location = 0;      // a location number or 252 to 255
    int weight = 0;
    bool container = false, wearable = false;
    int noun = 255, adjective = 255;
    Span line;             // the whole line
    bool accepted = true;  // false when the line had an error: the fields after the fault keep their defaults
};

// An entry of a process table, from its header line to its last line.
struct EntryDef {
    int table = 0;
    int verb = 255, noun = 255;
    std::string verb_text, noun_text;  // as written
    Span at;                // the header line
    unsigned last_line = 0;
    int last_file = -1;     // the file of last_line
    bool accepted = true;   // false when an error dropped the entry
    Span comment;           // an indented comment line that ended the entry, from its ';' (file -1: none)
};

// A condition or action line.
struct CondactDef {
    int table = 0;
    int opcode = 0;
    Span name;              // the name's token
    int params = 0;         // how many were read successfully
    int kind[2] = {0, 0};   // ParamKind of each
    int value[2] = {0, 0};
    Span param[2];
};

// A line longer than 258 characters, split by the compiler.
struct LineSplit {
    Span at;             // the piece that continues it (column 1 is the 259th character of the line)
    std::string before;  // the characters other than blanks that end the piece cut (at most 32)
    std::string after;   // those that begin the piece continuing it (at most 32)
};

// A use of something defined elsewhere, from an exit, an object line, an
// entry header or a parameter.
struct Reference {
    Kind kind = Kind::word;
    int number = 0;         // word number, text number, location ... or value
    int type = -1;          // a word's WordType
    Span at;
    int opcode = -1;        // the condition or action it is a parameter of, else -1
    int param = -1;         // 0 or 1 for a parameter, else -1
    int table = -1;         // process table of an entry or parameter, else -1
};

class Observer {
public:
    virtual ~Observer() = default;
    virtual void report(const Diagnostic&) {}
    virtual void file_opened(const SourceFile&) {}
    virtual void section_found(const SectionDef&) {}
    // The control line has declared the null word character.
    virtual void null_word_declared(char, const Span&) {}
    // The compiler has read the last line of a file: `at.line` (0 for an
    // empty file).
    virtual void file_closed(const Span&) {}
    // A line longer than 258 characters was split.
    virtual void line_split(const LineSplit&) {}
    virtual void word_defined(const WordDef&) {}
    virtual void text_defined(const TextDef&) {}
    virtual void connections_defined(const ConnectionDef&) {}
    virtual void exit_defined(const ExitDef&) {}
    virtual void object_defined(const ObjectDef&) {}
    virtual void entry_defined(const EntryDef&) {}
    virtual void condact_defined(const CondactDef&) {}
    virtual void referenced(const Reference&) {}
};

// The older name of the diagnostics-only use.
using DiagnosticListener = Observer;

}  // namespace zel
