// Numbered errors, warnings, the summary line and the fatal stops.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zel {

struct Compilation;

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
// A number in decimal, as "%u" or "%d" prints it, right-aligned in width
// characters as "%4d" prints it when width is 4.
void say_number(Compilation& c, long value, int width = 0);

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
