#include "cli/check_format.h"
#include "core/utf8.h"
#include "diagnostics/diagnostics.h"

#include <algorithm>
#include <cstdio>

namespace zel::tool {

namespace {

constexpr int source_not_found = 37;  // "%s not found"
constexpr int read_failure = 55;      // "Failure to read %s"

void put_escape(std::string& out, unsigned value) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "\\u%04X", value);
    out += hex;
}

const char* severity_name(const Diagnostic& d) {
    return d.severity == Diagnostic::Severity::error ? "error" : "warning";
}

}  // namespace

void write_place(std::ostream& out, const Place& place) {
    out << place.file;
    if (place.line != 0)
        out << ':' << place.line;
    if (place.line != 0 && place.column != 0)
        out << ':' << place.column;
}

namespace {

// A line or column as JSON: null when unknown (0).
void write_number(std::ostream& out, long value) {
    if (value != 0)
        out << value;
    else
        out << "null";
}

}  // namespace

void write_json_place(std::ostream& out, const Place& place) {
    out << "\"file\": " << json_string(place.file) << ", \"line\": ";
    write_number(out, place.line);
    out << ", \"column\": ";
    write_number(out, place.line != 0 ? place.column : 0);
    out << ", \"endColumn\": ";
    write_number(out, place.line != 0 && place.column != 0 ? place.end_column : 0);
}

Place place_of(const Diagnostic& d, const Naming& naming) {
    Place place;
    const std::string own = d.file.empty() ? naming.main_source : d.file;
    if (d.has_line) {
        place.file = naming.directory + own;
        place.line = d.line;
        place.column = d.column;
        place.end_column = std::max(d.end_column, d.column);
    } else if ((d.number == source_not_found || d.number == read_failure) && !d.file.empty()) {
        // A linked file that cannot be opened: the fault is the link line,
        // which is still the current line of the file that holds it. A read
        // that fails later is placed at the line being read.
        place.file = naming.directory + d.file;
        place.line = d.line;
    } else {
        place.file = naming.directory + naming.main_source;
    }
    return place;
}

Place place_of(const Note& note, const std::vector<std::string>& opened, const Naming& naming) {
    Place place;
    const bool known = note.at.file >= 0 && static_cast<std::size_t>(note.at.file) < opened.size();
    place.file = naming.directory + (known ? opened[static_cast<std::size_t>(note.at.file)] : naming.main_source);
    place.line = note.at.line;
    place.column = static_cast<int>(note.at.begin);
    place.end_column = static_cast<int>(std::max(note.at.end, note.at.begin));
    return place;
}

DiagnosticPrinter::DiagnosticPrinter(bool json, Naming naming, const std::vector<std::string>& opened,
                                     std::ostream& out)
    : json_(json), naming_(std::move(naming)), opened_(opened), out_(out) {}

void DiagnosticPrinter::begin() {
    if (!begun_ && json_)
        out_ << "{\n  \"diagnostics\": [";
    begun_ = true;
}

void DiagnosticPrinter::report(const Diagnostic& d) {
    begin();
    Naming naming = naming_;
    if (!opened_.empty())
        naming.main_source = opened_.front();
    const Place place = place_of(d, naming);
    if (json_) {
        write_json(d, place);
        write_json_notes(d, naming);
        out_ << '}';
    } else {
        write_text(d, place);
        for (const Note& note : d.notes) {
            write_place(out_, place_of(note, opened_, naming));
            out_ << ": note: " << note.message << '\n';
        }
    }
    any_ = true;
}

void DiagnosticPrinter::write_text(const Diagnostic& d, const Place& place) {
    write_place(out_, place);
    out_ << ": " << severity_name(d);
    if (d.severity == Diagnostic::Severity::error)
        out_ << ' ' << d.number;
    out_ << ": " << d.message << '\n';
}

std::string json_string(std::string_view s) {
    std::string out = "\"";
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char ch = static_cast<unsigned char>(s[i]);
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += static_cast<char>(ch);
        } else if (ch == '\n') {
            out += "\\n";
        } else if (ch == '\t') {
            out += "\\t";
        } else if (ch < 0x20) {
            put_escape(out, ch);
        } else if (ch < 0x80) {
            out += static_cast<char>(ch);
        } else if (const std::size_t n = utf8_length(s, i)) {
            out.append(s.substr(i, n));
            i += n;
            continue;
        } else {
            put_escape(out, ch);
        }
        ++i;
    }
    return out + "\"";
}

void DiagnosticPrinter::write_json(const Diagnostic& d, const Place& place) {
    out_ << (any_ ? ",\n" : "\n") << "    {";
    write_json_place(out_, place);
    out_ << ", \"severity\": \"" << severity_name(d) << "\", \"number\": ";
    if (d.severity == Diagnostic::Severity::error)
        out_ << d.number;
    else
        out_ << "null";
    out_ << ", \"message\": " << json_string(d.message) << ", \"source\": ";
    if (place.line != 0 && d.has_text)
        out_ << json_string(d.text);
    else
        out_ << "null";
}

void DiagnosticPrinter::write_json_notes(const Diagnostic& d, const Naming& naming) {
    out_ << ", \"notes\": [";
    const char* separator = "";
    for (const Note& note : d.notes) {
        out_ << separator << '{';
        write_json_place(out_, place_of(note, opened_, naming));
        out_ << ", \"message\": " << json_string(note.message) << '}';
        separator = ", ";
    }
    out_ << ']';
}

void DiagnosticPrinter::finish(const CheckResult& result) {
    begin();
    if (!json_) {
        if (!result.summary.empty())
            out_ << result.summary << '\n';
        return;
    }
    out_ << (any_ ? "\n  ],\n" : "],\n");
    out_ << "  \"errors\": " << result.errors << ",\n  \"warnings\": " << result.warnings << ",\n";
    out_ << "  \"summary\": " << json_string(result.summary) << "\n}\n";
}

}  // namespace zel::tool
