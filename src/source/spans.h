// Spans of what the compiler reads, for its observer. The section compilers
// call these only when an observer is attached (they test c.observer first),
// so that a compilation without one does no extra work.
#pragma once

#include <string>

#include "core/observer.h"

namespace zel {

struct Compilation;

// Span::file of the source file now open.
int current_file(const Compilation& c);
// The columns of [begin, end) in the current line.
Span span_of(const Compilation& c, const char* begin, const char* end);
// The last token read: from where the scanner began it to the scan position.
Span token_span(const Compilation& c);
// The last word readword read, whole: up to the blank or the end after it.
Span word_span(const Compilation& c);
// The whole current line.
Span line_span(const Compilation& c);
// A numbered item line that itemline has just accepted: from the "/" to the
// end of the number.
Span item_span(const Compilation& c);
// The bytes of a span of the current line, upper-cased.
std::string upper_text(const Compilation& c, const Span& at);
// What the author wrote after the number of an item line, trimmed.
std::string item_note(const Compilation& c);
// Where that note stands; file -1 when there is none.
Span item_note_span(const Compilation& c);

// Tells the observer of a use of something.
void note_reference(Compilation& c, Kind kind, int number, const Span& at, int type = -1);
// Tells the observer of the word that lookup has just found (nothing for the
// null word), from the process table `table` (-1 outside the tables).
void note_word(Compilation& c, int number, int table = -1);

}  // namespace zel
