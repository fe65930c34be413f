#include "cli/check_run.h"

#include "diagnostics/diagnostics.h"
#include "driver/compile.h"
#include "index/hints.h"
#include "index/source_index.h"

namespace zel::tool {

namespace {

constexpr int read_failure = 55;  // "Failure to read %s"

// Takes from the compiler's console only the summary line and the line of an
// internal error; everything else is passed over, line by line.
class SummaryConsole : public Console {
public:
    void out(std::string_view text) override {
        for (std::size_t end; (end = text.find('\n')) != std::string_view::npos; text.remove_prefix(end + 1)) {
            line_.append(text.substr(0, end));
            take_line();
        }
        line_.append(text);
    }
    void err(std::string_view) override {}
    void flush() override {}

    // The last line, when the output did not end with a line break.
    void finish() { take_line(); }
    std::string summary, internal_error;

private:
    // The summary may share its line with the heading of error 24, whose
    // message went to standard error: the line is taken from its start text.
    void take_line() {
        remember("*** Compilation ends ", summary);
        remember("*** Compiler error in ", internal_error);
        line_.clear();
    }
    void remember(const std::string& start, std::string& into) const {
        const std::size_t at = line_.rfind(start);
        if (at != std::string::npos)
            into = line_.substr(at);
    }

    std::string line_;
};

// Indexes the source as the compiler reads it, and passes each diagnostic
// on, counted, with its notes, at the lines and columns an editor shows.
class Annotator : public SourceIndex {
public:
    Annotator(CheckResult& result, DiagnosticListener& next, const WrongStart& wrong_start)
        : SourceIndex(false), result_(result), next_(next), wrong_start_(wrong_start), hints_(*this) {}
    void report(const Diagnostic& diagnostic) override {
        Diagnostic d = diagnostic;
        if (!hints_.annotate(d))
            return;
        if (d.number == read_failure && !not_regular.empty())
            d.notes.push_back({Span{d.file_index, d.line, 0, 0},
                               not_regular + " is not a regular file (a FIFO, a device or a socket): zeltool reads "
                                             "sources from regular files only"});
        take(std::move(d));
    }
    void line_split(const LineSplit& split) override {
        SourceIndex::line_split(split);
        if (std::optional<Diagnostic> warning = hints_.split_warning(split))
            take(std::move(*warning));
    }
    // The notes need no uses, exits, entries or condition lines: they are not
    // kept, so that memory does not grow with the lines of the process tables.
    void referenced(const Reference& r) override { hints_.referenced(r); }
    void exit_defined(const ExitDef&) override {}
    void condact_defined(const CondactDef&) override {}
    void entry_defined(const EntryDef& entry) override { hints_.entry_ended(entry); }

    std::string not_regular;  // the last source refused as no regular file

private:
    void take(Diagnostic d) {
        if (!asked_ && d.number == 41 && sections().empty() && !files().empty()) {
            asked_ = true;
            dropping_ = wrong_start_ && wrong_start_(files().front().found);
        }
        if (dropping_)
            return;
        to_editor_positions(d, *this);
        if (d.severity == Diagnostic::Severity::error)
            ++result_.errors;
        else
            ++result_.warnings;
        next_.report(d);
    }

    CheckResult& result_;
    DiagnosticListener& next_;
    const WrongStart& wrong_start_;
    Hints hints_;
    bool asked_ = false;
    bool dropping_ = false;
};

// Notes every source file opened, and the one refused as no regular file;
// refuses every change to the files when read-only, so that a check never
// touches a database.
class WatchedFiles : public FileSystem {
public:
    WatchedFiles(FileSystem& files, bool read_only, std::vector<std::string>& opened, std::string& not_regular)
        : files_(files), read_only_(read_only), opened_(opened), not_regular_(not_regular) {}
    std::unique_ptr<InputFile> open_source(const std::string& name, FileId& id) override {
        std::unique_ptr<InputFile> file = files_.open_source(name, id);
        if (file)
            opened_.push_back(id.found.empty() ? name : id.found);
        if (id.not_regular)
            not_regular_ = name;
        return file;
    }
    std::unique_ptr<OutputFile> create(const std::string& name) override {
        return read_only_ ? nullptr : files_.create(name);
    }
    bool remove(const std::string& name) override { return !read_only_ && files_.remove(name); }
    bool rename(const std::string& from, const std::string& to) override {
        return !read_only_ && files_.rename(from, to);
    }

private:
    FileSystem& files_;
    bool read_only_;
    std::vector<std::string>& opened_;
    std::string& not_regular_;
};

void compile_watched(const std::vector<std::string>& arguments, FileSystem& files, bool read_only,
                     DiagnosticListener& listener, CheckResult& result, const WrongStart& wrong_start) {
    SummaryConsole console;
    Annotator annotator(result, listener, wrong_start);
    WatchedFiles watched(files, read_only, result.sources, annotator.not_regular);
    result.status = compile(arguments, console, watched, &annotator);
    console.finish();
    result.summary = console.summary;
    if (result.status != 0)
        result.internal_error = console.internal_error;
}

}  // namespace

void run_compilation(const std::vector<std::string>& arguments, FileSystem& files, DiagnosticListener& listener,
                     CheckResult& result, const WrongStart& wrong_start) {
    compile_watched(arguments, files, false, listener, result, wrong_start);
}

void check_compilation(const std::vector<std::string>& arguments, FileSystem& files, DiagnosticListener& listener,
                       CheckResult& result, const WrongStart& wrong_start) {
    // The name first, then N, then the user's switches. Without a name the
    // compiler reports error 24 itself.
    std::vector<std::string> with_n = arguments;
    if (!with_n.empty())
        with_n.insert(with_n.begin() + 1, "N");
    compile_watched(with_n, files, true, listener, result, wrong_start);
}

}  // namespace zel::tool
