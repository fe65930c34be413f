#include "cli/check_run.h"

#include "diagnostics/diagnostics.h"
#include "driver/compile.h"
#include "index/hints.h"
#include "index/source_index.h"

namespace zel::tool {

namespace {

// Keeps the compiler's console output; the summary line is taken from it.
class KeptConsole : public Console {
public:
    void out(std::string_view text) override { text_.append(text); }
    void err(std::string_view) override {}
    void flush() override {}
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

// Indexes the source as the compiler reads it, and takes each diagnostic
// with its notes, moved to the lines and columns an editor shows.
class Collector : public SourceIndex {
public:
    explicit Collector(CheckResult& result) : SourceIndex(false), result_(result), hints_(*this) {}
    void report(const Diagnostic& diagnostic) override {
        Diagnostic d = diagnostic;
        hints_.annotate(d);
        take(std::move(d));
    }
    void line_split(const Span& at) override {
        SourceIndex::line_split(at);
        if (std::optional<Diagnostic> warning = hints_.split_warning(at))
            take(std::move(*warning));
    }

private:
    void take(Diagnostic d) {
        to_editor_positions(d, *this);
        if (d.severity == Diagnostic::Severity::error)
            ++result_.errors;
        else
            ++result_.warnings;
        result_.diagnostics.push_back(std::move(d));
    }

    CheckResult& result_;
    Hints hints_;
};

// Reads source files through the real file system and refuses everything
// else: a check must never touch a database, whatever the switches say.
class ReadOnlyFiles : public FileSystem {
public:
    ReadOnlyFiles(FileSystem& files, std::vector<std::string>& opened) : files_(files), opened_(opened) {}
    std::unique_ptr<InputFile> open_source(const std::string& name, FileId& id) override {
        std::unique_ptr<InputFile> file = files_.open_source(name, id);
        if (file)
            opened_.push_back(id.found.empty() ? name : id.found);
        return file;
    }
    std::unique_ptr<OutputFile> create(const std::string&) override { return nullptr; }
    bool remove(const std::string&) override { return false; }
    bool rename(const std::string&, const std::string&) override { return false; }

private:
    FileSystem& files_;
    std::vector<std::string>& opened_;
};

// The rest of the line from the last occurrence of `start`. The summary may
// share its line with the heading of error 24, whose message went to
// standard error.
std::string last_line_from(const std::string& text, const std::string& start) {
    const std::size_t at = text.rfind(start);
    if (at == std::string::npos)
        return {};
    const std::size_t end = text.find('\n', at);
    return text.substr(at, end == std::string::npos ? std::string::npos : end - at);
}

}  // namespace

CheckResult check_compilation(const std::vector<std::string>& arguments, FileSystem& files) {
    CheckResult result;
    // The name first, then N, then the user's switches. Without a name the
    // compiler reports error 24 itself.
    std::vector<std::string> with_n = arguments;
    if (!with_n.empty())
        with_n.insert(with_n.begin() + 1, "N");

    KeptConsole console;
    Collector collector(result);
    ReadOnlyFiles readonly(files, result.sources);
    result.status = compile(with_n, console, readonly, &collector);
    const std::vector<SectionDef>& sections = collector.sections();
    result.starts_adventure = !sections.empty() && sections.front().header == "/CTL" && sections.front().at.file == 0;
    result.summary = last_line_from(console.text(), "*** Compilation ends ");
    if (result.status != 0)
        result.internal_error = last_line_from(console.text(), "*** Compiler error in ");
    return result;
}

}  // namespace zel::tool
