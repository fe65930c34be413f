// The edited texts compiled again in memory, under the names the compiler
// read the originals by: an edit must leave a source without errors.
#include "analysis/compiled.h"
#include "core/memory_files.h"
#include "edits/edits.h"

namespace zel::edits {

std::optional<Refusal> check_edited(const SourceIndex& index, const std::vector<std::string>& edited) {
    const std::vector<SourceFile>& files = index.files();
    if (files.empty() || edited.size() != files.size())
        return Refusal{"the edited texts are not those of the adventure's files", {}};
    MemoryFiles sources;
    for (std::size_t i = 0; i < files.size(); ++i)
        sources.files[files[i].name] = edited[i];
    std::string name = files.front().name;
    name = name.substr(0, name.rfind('.'));
    const analysis::Compiled compiled = analysis::compile_adventure({name}, sources);
    for (const Diagnostic& d : compiled.index.diagnostics())
        if (d.severity == Diagnostic::Severity::error) {
            Place at{d.file_index, 0, 0};
            if (d.has_line && d.file_index >= 0)
                at = Place{d.file_index, compiled.index.editor_line(d.file_index, d.line),
                           compiled.index.editor_column(d.file_index, d.line,
                                                        static_cast<unsigned>(d.column > 0 ? d.column : 1))};
            return Refusal{"the edited source would not compile (a fault of zeltool): nothing was changed",
                           {Remark{at, "error " + std::to_string(d.number) + ": " + d.message}}};
        }
    if (compiled.status != 0 || compiled.index.files().size() != files.size())
        return Refusal{"the edited source would not compile (a fault of zeltool): nothing was changed", {}};
    return std::nullopt;
}

}  // namespace zel::edits
