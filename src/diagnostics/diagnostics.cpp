#include "diagnostics/diagnostics.h"

#include <cstdarg>
#include <algorithm>
#include <charconv>
#include <cstdio>

#include "core/compilation.h"

namespace zel {

namespace {

using R = Reporter;
using A = Argument;

// Every error number with its reporter and message. Numbers without a
// reporter are raised by no step.
constexpr ErrorInfo error_table[highest_error + 1] = {
    /* 0 */ {R::pline1, A::none, "Max texts already processed"},
    /* 1 */ {R::pline1, A::word, "Valid word not found %s"},
    /* 2 */ {R::pline1, A::none, "No. (1-254) not found"},
    /* 3 */ {R::pline1, A::none, "Too many parameters"},
    /* 4 */ {R::pline1, A::none, "Vocab limit exceeded - VOCAB too big!"},
    /* 5 */ {R::pline1, A::word, "%s is not in Vocabulary"},
    /* 6 */ {R::pline1, A::none, "Connections for all locations already processed"},
    /* 7 */ {R::pline1, A::none, "Location No. not found"},
    /* 8 */ {R::pline1, A::none, "Location No. too big"},
    /* 9 */ {R::pline1, A::none, "Entries for all objects already processed"},
    /* 10 */ {R::pline1, A::none, "Start of entry expected"},
    /* 11 */ {R::pline1, A::none, "System message No. not found"},
    /* 12 */ {R::pline1, A::none, "Percentage not found"},
    /* 13 */ {R::pline1, A::none, "Percentage out of range"},
    /* 14 */ {R::pline1, A::word, "'%s' is not a condition or action"},
    /* 15 */ {R::pline1, A::none, "Object No. not found"},
    /* 16 */ {R::pline1, A::none, "Object No. too big"},
    /* 17 */ {R::pline1, A::none, "Message No. not found"},
    /* 18 */ {R::pline1, A::none, "Message No. too big"},
    /* 19 */ {R::pline1, A::none, "Flag No. not found or too big"},
    /* 20 */ {R::pline1, A::none, "System message No. too big"},
    /* 21 */ {R::pline1, A::none, "Value not found or too big"},
    /* 22 */ {R::pline1, A::none, "Table limit exceeded"},
    /* 23 */ {R::pline1, A::items, "/%d expected"},
    /* 24 */ {R::pline1, A::none, "Invalid File Name"},
    /* 25 */ {R::pline1, A::none, "Text too long"},
    /* 26 */ {R::pline1, A::none, "Object starts worn but is unwearable"},
    /* 27 */ {R::pline1, A::none, "Invalid null word character"},
    /* 28 */ {R::pline2, A::text, "Circular link to %s"},
    /* 29 */ {R::none, A::none, nullptr},
    /* 30 */ {R::pline1, A::none, "Parameters missing"},
    /* 31 */ {R::perr1, A::none, "Insufficient System messages"},
    /* 32 */ {R::perr1, A::none, "Connections for remaining locations missing"},
    /* 33 */ {R::perr1, A::none, "Entries for remaining objects missing"},
    /* 34 */ {R::perr2, A::text, "Unable to open %s"},
    /* 35 */ {R::perr2, A::text, "Failure to rename %s"},
    /* 36 */ {R::perr2, A::text, "Duplicate word %.5s"},
    /* 37 */ {R::perr2, A::text, "%s not found"},
    /* 38 */ {R::perr1, A::none, "Disk full"},
    /* 39 */ {R::pline1, A::none, "Illegal use of Flag 38"},
    /* 40 */ {R::pline1, A::none, "A container needs a corresponding location"},
    /* 41 */ {R::pline2, A::text, "%s expected"},
    /* 42 */ {R::pline1, A::word, "Valid word type not found %s"},
    /* 43 */ {R::pline1, A::none, "Object weight not found"},
    /* 44 */ {R::pline2, A::text, "%s is not a%s"},
    /* 45 */ {R::pline1, A::none, "Adjective specified without noun"},
    /* 46 */ {R::pline3, A::number, "/PRO%4d expected"},
    /* 47 */ {R::pline1, A::none, "Process table No. not found or too big"},
    /* 48 */ {R::pline1, A::none, "Process table No. out of range"},
    /* 49 */ {R::pline1, A::none, "You can only PUTIN to or TAKEOUT of a container"},
    /* 50 */ {R::pline1, A::word, "Wearable indicator not found or invalid %s"},
    /* 51 */ {R::pline1, A::none, "Object weight too big"},
    /* 52 */ {R::pline1, A::word, "Container indicator not found or invalid %s"},
    /* 53 */ {R::pline3, A::number, "Character value > 127 present in text - value(%d)"},
    /* 54 */ {R::perr1, A::none, "Database much too big"},
    /* 55 */ {R::perr2, A::text, "Failure to read %s"},
};

bool reported_by(int n, Reporter reporter) {
    return n >= 0 && n <= highest_error && error_table[n].reporter == reporter;
}

void print_line_and_text(Compilation& c) {
    say_number(c, c.reader.lineno);
    sayraw(c, " ");
    sayraw(c, std::string_view(c.reader.linebuf, c.reader.linelen));
}

std::string_view word(const Compilation& c) {
    return std::string_view(c.scanner.wordbuf, static_cast<std::size_t>(c.scanner.wordwidth));
}

}  // namespace

const ErrorInfo& error_info(int number) { return error_table[number]; }

void say(Compilation& c, const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (n > 0)
        sayraw(c, std::string_view(text, static_cast<std::size_t>(n) < sizeof text ? static_cast<std::size_t>(n) : sizeof text - 1));
}

void sayraw(Compilation& c, std::string_view text) { c.diag.console->out(text); }

// Every per-line report and every process table prints numbers, so they are
// converted without a format.
void say_number(Compilation& c, long value, int width) {
    char digits[24];
    const char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    const std::size_t length = static_cast<std::size_t>(end - digits);
    if (width > 0 && length < static_cast<std::size_t>(width))
        sayraw(c, std::string(static_cast<std::size_t>(width) - length, ' '));
    sayraw(c, std::string_view(digits, length));
}

namespace {

// The columns of the offending token in the current line, counted from 1:
// the run of non-blank characters where the scanner began its last token;
// where it found none (the end of the line or a comment), the place just
// past the last significant character before it. Errors that show a word
// point at that word, which may lie before the last token; errors about a
// section or item line at the line's first token; a character reported in a
// text is a token by itself.
bool separator(char ch) { return ch == ' ' || ch == '\t'; }

const char* token_start(const Compilation& c, int n) {
    const char* line = c.reader.linebuf;
    if (n == 23 || n == 41 || n == 46)
        return line;
    if (n == 44 || (n >= 0 && error_table[n].argument == Argument::word))
        return c.scanner.wordbegin;
    return c.scanner.tokbegin != nullptr ? c.scanner.tokbegin : line;  // nothing scanned: the line's start
}

void token_columns(const Compilation& c, int n, int& begin, int& end) {
    const char* line = c.reader.linebuf;
    const std::size_t len = c.reader.linelen;
    const char* p = token_start(c, n);
    begin = end = 0;
    if (p == nullptr || p < line || p > line + len)
        return;
    std::size_t at = static_cast<std::size_t>(p - line);
    if ((n < 0 || n == 53) && at < len) {
        begin = static_cast<int>(at) + 1;
        end = begin + 1;
        return;
    }
    while (at < len && separator(line[at]))
        ++at;
    const bool comment = at < len && line[at] == ';' && (at == 0 || separator(line[at - 1]));
    if (at == len || comment) {
        while (at > 0 && separator(line[at - 1]))
            --at;
        begin = end = static_cast<int>(at) + 1;
        return;
    }
    std::size_t stop = at;
    while (stop < len && !separator(line[stop]))
        ++stop;
    begin = static_cast<int>(at) + 1;
    end = static_cast<int>(stop) + 1;
}

void notify(Compilation& c, int n, bool with_line, std::string_view message) {
    Observer* observer = c.observer;
    if (!observer)
        return;
    Diagnostic d;
    d.severity = n < 0 ? Diagnostic::Severity::warning : Diagnostic::Severity::error;
    d.number = n;
    d.message = std::string(message);
    d.has_line = with_line;
    d.file = c.reader.srcfound;
    d.file_index = static_cast<int>(c.reader.opened.size()) - 1;
    d.line = c.reader.lineno;
    d.text = std::string(c.reader.linebuf, c.reader.linelen);
    if (with_line)
        token_columns(c, n, d.column, d.end_column);
    observer->report(d);
}

// Prints the message of a report and its line break, and tells the listener.
void finish(Compilation& c, int n, bool with_line, std::string_view message) {
    sayraw(c, message);
    sayraw(c, "\n");
    notify(c, n, with_line, message);
}

std::string format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string format(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return std::string(text, n < 0 ? 0 : std::min<std::size_t>(static_cast<std::size_t>(n), sizeof text - 1));
}

// A message whose only %s is the scanner's word; the word may hold any byte,
// so it is put in as it stands. The name of a condition or action (error 14)
// is shown as cut at its first blank.
std::string with_word(const Compilation& c, int n, const char* message) {
    std::string_view m(message);
    const std::size_t at = m.find("%s");
    std::string_view w = word(c);
    if (n == 14)
        w = w.substr(0, w.find(' '));
    std::string text(m.substr(0, at));
    text.append(w).append(m.substr(at + 2));
    return text;
}

}  // namespace

void errline(Compilation& c, int n) {
    print_line_and_text(c);
    sayraw(c, "\n*** ERROR ");
    say_number(c, n);
    sayraw(c, " - ");
    ++c.diag.errors;
    c.diag.lineerr = 1;
}

void pline1(Compilation& c, int n) {
    errline(c, n);
    if (!reported_by(n, Reporter::pline1))
        cerror(c, static_cast<unsigned>(n), "pline1");
    const ErrorInfo& e = error_table[n];
    if (n == 24) {
        // The heading is on standard output; make sure it is seen before the
        // message on standard error.
        c.diag.console->flush();
        c.diag.console->err(std::string(e.message) + "\n");
        notify(c, n, true, e.message);
        stop(c);
    }
    switch (e.argument) {
    case Argument::word: finish(c, n, true, with_word(c, n, e.message)); break;
    case Argument::items: finish(c, n, true, format(e.message, static_cast<int>(c.reader.nitems))); break;
    default: finish(c, n, true, e.message); break;
    }
}

void pline2(Compilation& c, int n, const char* text) {
    errline(c, n);
    if (!reported_by(n, Reporter::pline2))
        cerror(c, static_cast<unsigned>(n), "pline2");
    if (n == 44) {
        std::string message(word(c));
        message.append(" is not a").append(text);
        finish(c, n, true, message);
    } else {
        finish(c, n, true, format(error_table[n].message, text));
        if (n == 28)
            stop(c);
    }
}

void pline3(Compilation& c, int n, int value) {
    errline(c, n);
    if (!reported_by(n, Reporter::pline3))
        cerror(c, static_cast<unsigned>(n), "pline3");
    finish(c, n, true, format(error_table[n].message, value));
}

void perr1(Compilation& c, int n) {
    say(c, "*** ERROR %d - ", n);
    ++c.diag.errors;
    if (!reported_by(n, Reporter::perr1))
        cerror(c, static_cast<unsigned>(n), "perr1");
    finish(c, n, false, error_table[n].message);
}

void perr2(Compilation& c, int n, const std::string& text) {
    say(c, "*** ERROR %d - ", n);
    ++c.diag.errors;
    if (!reported_by(n, Reporter::perr2))
        cerror(c, static_cast<unsigned>(n), "perr2");
    finish(c, n, false, format(error_table[n].message, text.c_str()));
    if (n == 37 || n == 55)
        stop(c);
}

void warn_control(Compilation& c, int value) {
    print_line_and_text(c);
    const std::string message = format("Control character present in text - value(%d)", value);
    sayraw(c, "\n*** WARNING - ");
    ++c.diag.warnings;
    finish(c, -1, true, message);
}

void warn_high(Compilation& c, int value) {
    print_line_and_text(c);
    const std::string message = format("%s - value(%d)", "Character value > 127 present in text", value);
    sayraw(c, "\n*** WARNING - ");
    ++c.diag.warnings;
    finish(c, -1, true, message);
}

void summary(Compilation& c) {
    const std::uint32_t e = c.diag.errors, w = c.diag.warnings;
    sayraw(c, "*** Compilation ends ");
    if (e == 0 && w == 0) {
        sayraw(c, "OK");
    } else {
        sayraw(c, "with");
        if (e != 0)
            say(c, " %u ERROR%s", e, e == 1 ? "" : "S");
        if (e != 0 && w != 0)
            sayraw(c, " and");
        if (w != 0)
            say(c, " %u WARNING%s", w, w == 1 ? "" : "S");
    }
    sayraw(c, "\n");
}

void stop(Compilation& c) {
    summary(c);
    throw FatalStop{0};
}

void cerror(Compilation& c, unsigned n, const char* name) {
    print_line_and_text(c);
    say(c, "\n*** Compiler error in %s - %u\n", name, n);
    throw FatalStop{static_cast<int>(n)};
}

}  // namespace zel
