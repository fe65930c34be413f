// Numbered errors, warnings, the summary line and the fatal stops.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zel {

struct Compilation;
class Console;

// A diagnostic as a structure, for tools that present diagnostics in their
// own form. The console output is not affected by a listener.
struct Diagnostic {
    enum class Severity { error, warning } severity = Severity::error;
    int number = -1;           // error number; -1 for a warning
    std::string message;       // the message text as printed, without line break
    bool has_line = false;     // reported against a source line
    std::string file;          // source file open at the time, as found (empty before the first)
    unsigned line = 0;         // lineno
    std::string text;          // linebuf
    int column = 0;            // 1-based scan position in the line; 0 when unknown
};

class DiagnosticListener {
public:
    virtual ~DiagnosticListener() = default;
    virtual void report(const Diagnostic& diagnostic) = 0;
};

struct Diagnostics {
    Console* console = nullptr;
    DiagnosticListener* listener = nullptr;
    std::uint32_t errors = 0;
    std::uint32_t warnings = 0;
    int lineerr = 0;  // set by every per-line report; cleared by the entry compiler
};

// Which reporter prints an error, and what its message is given.
enum class Reporter { none, perr1, perr2, pline1, pline2, pline3 };
enum class Argument { none, word, items, text, number };

struct ErrorInfo {
    Reporter reporter;
    Argument argument;
    const char* message;  // printf format, without the line break
};

constexpr int highest_error = 55;
const ErrorInfo& error_info(int number);  // numbers 0 to highest_error

// Thrown by stop and cerror; caught only by the entry point.
struct FatalStop {
    int status;
};

void say(Compilation& c, const char* format, ...) __attribute__((format(printf, 2, 3)));
void sayraw(Compilation& c, std::string_view text);

void errline(Compilation& c, int n);
void pline1(Compilation& c, int n);
void pline2(Compilation& c, int n, const char* text);
void pline3(Compilation& c, int n, int value);
void perr1(Compilation& c, int n);
void perr2(Compilation& c, int n, const std::string& text);
void warn_control(Compilation& c, int value);
void warn_high(Compilation& c, int value);
void summary(Compilation& c);
[[noreturn]] void stop(Compilation& c);
[[noreturn]] void cerror(Compilation& c, unsigned n, const char* name);

}  // namespace zel
