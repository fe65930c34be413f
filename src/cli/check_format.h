// How `zeltool check` presents diagnostics: one line each in the form that
// editors parse, or one JSON document.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/check_run.h"

namespace zel::tool {

// Where a diagnostic or a note is shown. line and column are 0 when
// unknown; end_column is just past the token (equal to column for none).
struct Place {
    std::string file;
    unsigned line = 0;
    int column = 0;
    int end_column = 0;
};

struct Naming {
    std::string directory;    // prefix of every file name ("" or ending in "/")
    std::string main_source;  // the adventure's own source file, for errors outside any line
};

Place place_of(const Diagnostic& diagnostic, const Naming& naming);
// A note's file is the source file of that index among those opened.
Place place_of(const Note& note, const std::vector<std::string>& opened, const Naming& naming);

// FILE:LINE:COL, without what is unknown; and the same as the JSON members
// "file", "line", "column" and "endColumn" (null when unknown). Lint's
// findings take the same shape.
void write_place(std::ostream& out, const Place& place);
void write_json_place(std::ostream& out, const Place& place);

// Prints each diagnostic as the compiler reports it, one line each or as an
// element of the JSON document, and at the end the summary. Memory does not
// grow with the number of diagnostics.
class DiagnosticPrinter : public DiagnosticListener {
public:
    // naming.main_source is the name formed from the adventure name; it is
    // used until the compilation has opened the adventure's own source file,
    // the first of `opened`.
    DiagnosticPrinter(bool json, Naming naming, const std::vector<std::string>& opened, std::ostream& out);
    void report(const Diagnostic& diagnostic) override;
    // The summary line, or for JSON the counts and the end of the document.
    void finish(const CheckResult& result);

private:
    void begin();
    void write_text(const Diagnostic& d, const Place& place);
    void write_json(const Diagnostic& d, const Place& place);
    void write_json_notes(const Diagnostic& d, const Naming& naming);

    bool json_;
    Naming naming_;
    const std::vector<std::string>& opened_;
    std::ostream& out_;
    bool begun_ = false;
    bool any_ = false;
};

// A JSON string literal for bytes that may be of any value: valid UTF-8 is
// kept, and every other byte is taken as the Latin-1 character of its value.
std::string json_string(std::string_view bytes);

}  // namespace zel::tool
