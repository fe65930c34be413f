// How zeltool check presents diagnostics: where each is placed, in text and
// in JSON, and JSON strings of any bytes. (That check reports what the
// compiler reports is shown over the end-to-end cases.)
#include <gtest/gtest.h>

#include <sstream>
#include <utility>
#include <vector>

#include "cli/check_format.h"
#include "cli/check_run.h"
#include "core/memory_files.h"

namespace zel::tool {
namespace {

// (Strings are moved in: gcc 12 warns falsely about assigning short literals.)
Diagnostic diagnostic(int number, bool has_line, unsigned line, int column) {
    Diagnostic d;
    d.severity = number < 0 ? Diagnostic::Severity::warning : Diagnostic::Severity::error;
    d.number = number;
    d.message = std::string("M");
    d.has_line = has_line;
    d.file = std::string("PART.SCE");
    d.line = line;
    d.text = std::string("T");
    d.column = column;
    return d;
}

// A column shows only beside a line, and only when it is known; an error
// outside any line is the adventure's own.
TEST(CheckOutput, PlacesInTextAndJson) {
    const Diagnostic diagnostics[] = {diagnostic(8, true, 12, 1), diagnostic(8, true, 12, 0),
                                      diagnostic(-1, true, 3, 9), diagnostic(32, false, 7, 5)};
    CheckResult r;
    r.summary = std::string("S");
    const std::vector<std::string> opened = {"GAME.SCE", "PART.SCE"};
    std::ostringstream text, json;
    // The adventure's own source is the first opened, once there is one.
    DiagnosticPrinter text_printer(false, {"dir/", "G.SCE"}, opened, text);
    DiagnosticPrinter json_printer(true, {"dir/", "G.SCE"}, opened, json);
    for (const Diagnostic& d : diagnostics) {
        text_printer.report(d);
        json_printer.report(d);
    }
    text_printer.finish(r);
    json_printer.finish(r);
    EXPECT_EQ(text.str(), "dir/PART.SCE:12:1: error 8: M\ndir/PART.SCE:12: error 8: M\ndir/PART.SCE:3:9: warning: M\n"
                          "dir/GAME.SCE: error 32: M\nS\n");
    const std::string notes = ", \"notes\": []}";
    EXPECT_EQ(json.str(), R"({
  "diagnostics": [
    {"file": "dir/PART.SCE", "line": 12, "column": 1, "endColumn": 1, "severity": "error", "number": 8, "message": "M", "source": "T")" + notes + R"(,
    {"file": "dir/PART.SCE", "line": 12, "column": null, "endColumn": null, "severity": "error", "number": 8, "message": "M", "source": "T")" + notes + R"(,
    {"file": "dir/PART.SCE", "line": 3, "column": 9, "endColumn": 9, "severity": "warning", "number": null, "message": "M", "source": "T")" + notes + R"(,
    {"file": "dir/GAME.SCE", "line": null, "column": null, "endColumn": null, "severity": "error", "number": 32, "message": "M", "source": null)" + notes + R"(
  ],
  "errors": 0,
  "warnings": 0,
  "summary": "S"
}
)");
}

// A line the compiler shows with its error may read like its internal-error
// line; only a compilation that stopped with one has one.
TEST(CheckOutput, ASourceLineIsNoInternalError) {
    MemoryFiles files;
    files.files["GAME.SCE"] = "*** Compiler error in x - 9\n";
    Observer none;
    CheckResult r;
    check_compilation({"GAME"}, files, none, r);
    EXPECT_EQ(std::pair(r.status, r.internal_error), std::pair(0, std::string()));
}

TEST(CheckOutput, JsonStringsAreValidWhateverTheBytes) {
    const std::pair<std::string, std::string> cases[] = {
        {"plain", "\"plain\""},
        {"say \"hi\" \\", R"("say \"hi\" \\")"},
        {"a\tb\nc", R"("a\tb\nc")"},
        {std::string("nul\0x", 5), R"("nul\u0000x")"},
        {"\x1b\x7f", "\"\\u001B\x7f\""},
        {"caf\xc3\xa9", "\"caf\xc3\xa9\""},                    // UTF-8 kept
        {"\xe2\x82\xac", "\"\xe2\x82\xac\""},                  // three bytes
        {"\xe0\xa0\x80", "\"\xe0\xa0\x80\""},                  // the lowest of three bytes
        {"\xf0\x9f\x99\x82", "\"\xf0\x9f\x99\x82\""},          // four bytes
        {"\xf0\x90\x80\x80", "\"\xf0\x90\x80\x80\""},          // the lowest of four bytes
        {"A lamp\xa3.", R"("A lamp\u00A3.")"},                  // a lone byte as Latin-1
        {"\xc3", R"("\u00C3")"},                                // cut short
        {"\xc0\xaf", R"("\u00C0\u00AF")"},                      // overlong
        {"\xed\xa0\x80", R"("\u00ED\u00A0\u0080")"},            // surrogate
        {"\xf4\x90\x80\x80", R"("\u00F4\u0090\u0080\u0080")"},  // above U+10FFFF
        {"\xf5\x80\x80\x80", R"("\u00F5\u0080\u0080\u0080")"},  // no lead byte
        {"\xe2\x82\x41", R"("\u00E2\u0082A")"},                  // cut short by a letter
    };
    for (const auto& [bytes, json] : cases)
        EXPECT_EQ(json_string(bytes), json) << json;
}

}  // namespace
}  // namespace zel::tool
