// What a tool can learn from a compilation besides its console: every
// diagnostic as a structure. The console output is not affected.
#pragma once

#include <string>

namespace zel {

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

}  // namespace zel
