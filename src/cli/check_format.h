// How `zeltool check` presents diagnostics: one line each in the form that
// editors parse, or one JSON document.
#pragma once

#include <ostream>
#include <string>

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
Place place_of(const Note& note, const std::vector<std::string>& sources, const Naming& naming);

void write_text(const CheckResult& result, const Naming& naming, std::ostream& out);
void write_json(const CheckResult& result, const Naming& naming, std::ostream& out);

// A JSON string literal for bytes that may be of any value: valid UTF-8 is
// kept, and every other byte is taken as the Latin-1 character of its value.
std::string json_string(std::string_view bytes);

}  // namespace zel::tool
