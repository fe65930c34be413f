// The edited texts compiled again in memory, under the names the compiler
// read the originals by: an edit must leave a source without errors.
#include "core/memory_files.h"
#include "driver/compile.h"
#include "edits/edits.h"

namespace zel::edits {

namespace {

// The first error of a compilation that had errors, found again with an
// index listening (only on this rare path: the check itself listens to
// nothing, which is quicker).
Refusal first_error(const std::vector<std::string>& args, MemoryFiles& sources) {
    Refusal r{"the edited source would not compile (a fault of zeltool): nothing was changed", {}};
    SourceIndex index;
    StringConsole console;
    compile(args, console, sources, &index);
    for (const Diagnostic& d : index.diagnostics())
        if (d.severity == Diagnostic::Severity::error) {
            Place at{d.file_index, 0, 0};
            if (d.has_line && d.file_index >= 0)
                at = Place{d.file_index, index.editor_line(d.file_index, d.line),
                           index.editor_column(d.file_index, d.line, static_cast<unsigned>(d.column > 0 ? d.column : 1))};
            r.places.push_back(Remark{at, "error " + std::to_string(d.number) + ": " + d.message});
            break;
        }
    return r;
}

}  // namespace

std::optional<Refusal> check_edited(const SourceIndex& index, const std::vector<std::string>& edited) {
    const std::vector<SourceFile>& files = index.files();
    if (files.empty() || edited.size() != files.size())
        return Refusal{"the edited texts are not those of the adventure's files", {}};
    MemoryFiles sources;
    for (std::size_t i = 0; i < files.size(); ++i)
        sources.files[files[i].name] = edited[i];
    const std::string& main = files.front().name;
    const std::vector<std::string> args{main.substr(0, main.rfind('.')), "N"};
    StringConsole console;
    const int status = compile(args, console, sources);
    // The summary line ends the console: "OK", or the counts of errors and
    // warnings; warnings alone are no fault.
    const std::size_t summary = console.output.rfind("*** Compilation ends ");
    if (status == 0 && summary != std::string::npos && console.output.find("ERROR", summary) == std::string::npos)
        return std::nullopt;
    return first_error(args, sources);
}

}  // namespace zel::edits
