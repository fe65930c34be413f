// zeltool renumber, insert, delete and rename: edits of a source computed by
// the edits library, written safely (or shown as a diff with --dry-run).
#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <sstream>

#include "cli/commands.h"
#include "cli/find_adventure.h"
#include "cli/safe_write.h"
#include "cli/source_arg.h"
#include "core/memory_files.h"
#include "core/posix_platform.h"
#include "dbtools/database_tools.h"
#include "driver/compile.h"
#include "edits/edits.h"

namespace zel::tool {

namespace {

// The source files of a folder, each read whole when the compiler opens it
// and kept, so that an edit works on exactly the bytes compiled.
class KeptFiles : public FileSystem {
public:
    explicit KeptFiles(const std::string& directory)
        : disk_(directory.empty() ? "." : directory, SourceFiles::regular_only) {}

    std::unique_ptr<InputFile> open_source(const std::string& name, FileId& id) override {
        std::unique_ptr<InputFile> in = disk_.open_source(name, id);
        if (!in)
            return nullptr;
        std::string text;
        char buffer[65536];
        long n = 0;
        while ((n = in->read(buffer, sizeof buffer)) > 0)
            text.append(buffer, static_cast<std::size_t>(n));
        if (n < 0)
            return in;  // let the compiler meet the failure itself
        std::string& kept = kept_[id.found.empty() ? name : id.found];
        kept = std::move(text);
        return std::make_unique<StringInput>(kept);
    }
    std::unique_ptr<OutputFile> create(const std::string&) override { return nullptr; }
    bool remove(const std::string&) override { return false; }
    bool rename(const std::string&, const std::string&) override { return false; }

    const std::string& text(const std::string& found) const {
        static const std::string none;
        const auto it = kept_.find(found);
        return it == kept_.end() ? none : it->second;
    }

private:
    PosixFileSystem disk_;
    std::map<std::string, std::string> kept_;
};

struct Loaded {
    SourceIndex index;               // of a compilation with switch N
    int status = 0;                  // the compiler's
    std::vector<std::string> texts;  // by file index
    std::vector<std::string> paths;  // by file index, as the command names them
};

std::unique_ptr<Loaded> compile_kept(const SourceArg& source, const std::string& name) {
    KeptFiles files(source.directory);
    auto loaded = std::make_unique<Loaded>();
    NullConsole console;
    loaded->status = compile({name, "N"}, console, files, &loaded->index);
    for (const SourceFile& f : loaded->index.files()) {
        loaded->texts.push_back(files.text(f.found));
        loaded->paths.push_back(source.directory + f.found);
    }
    return loaded;
}

// The adventure NAME names, compiled with its texts kept; for a later file
// of a /LNK chain, the adventure whose chain reaches it.
std::unique_ptr<Loaded> load(const SourceArg& source, std::ostream& err) {
    std::unique_ptr<Loaded> loaded = compile_kept(source, source.name);
    const SourceIndex& index = loaded->index;
    const bool starts_adventure =
        !index.sections().empty() && index.sections().front().header == "/CTL" && index.sections().front().at.file == 0;
    if (starts_adventure || index.files().empty())
        return loaded;
    KeptFiles files(source.directory);
    const std::optional<std::string> adventure = adventure_of(files, source.directory, index.files().front().found, err);
    if (!adventure)
        return nullptr;
    return adventure->empty() ? std::move(loaded) : compile_kept(source, *adventure);
}

std::string where(const Loaded& loaded, const edits::Place& at) {
    if (at.file < 0 || static_cast<std::size_t>(at.file) >= loaded.paths.size())
        return "";
    std::ostringstream text;
    text << loaded.paths[static_cast<std::size_t>(at.file)];
    if (at.line > 0)
        text << ':' << at.line << ':' << std::max(at.column, 1u);
    text << ": ";
    return text.str();
}

int refused(const std::string& command, const Loaded& loaded, const edits::Refusal& r, std::ostream& err) {
    err << "zeltool " << command << ": refused: " << r.reason << "\n";
    for (const edits::Remark& remark : r.places)
        err << where(loaded, remark.at) << "note: " << remark.text << "\n";
    return status_failed;
}

struct EditArgs {
    std::optional<SourceArg> source;
    std::vector<std::string> operands;
    std::optional<std::string> text;  // --text, for insert
    bool dry_run = false;
};

bool parse(const std::vector<std::string>& args, bool takes_text, EditArgs& parsed) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--dry-run")
            parsed.dry_run = true;
        else if (takes_text && a == "--text" && i + 1 < args.size())
            parsed.text = args[++i];
        else if (takes_text && a.rfind("--text=", 0) == 0)
            parsed.text = a.substr(7);
        else if (!a.empty() && a[0] == '-')
            return false;
        else if (parsed.source)
            parsed.operands.push_back(a);
        else if (!(parsed.source = source_arg(a)))
            return false;  // NAME names no adventure
    }
    return parsed.source.has_value();
}

int write_plan(const std::string& command, const Loaded& loaded, const edits::Plan& plan, bool dry_run,
               std::ostream& out, std::ostream& err) {
    const std::vector<std::string> edited = edits::apply(plan, loaded.texts);
    if (std::optional<edits::Refusal> fault = edits::check_edited(loaded.index, edited))
        return refused(command, loaded, *fault, err);
    const std::vector<int> files = edits::files_changed(plan);
    if (dry_run) {
        out << edits::unified_diff(plan, loaded.texts, loaded.paths);
        err << "zeltool " << command << ": " << plan.summary << " (nothing written: --dry-run)\n";
        return status_ok;
    }
    std::vector<FileChange> changes;
    for (const int f : files)
        changes.push_back(FileChange{loaded.paths[static_cast<std::size_t>(f)], loaded.texts[static_cast<std::size_t>(f)],
                                     edited[static_cast<std::size_t>(f)]});
    std::string error;
    if (!changes.empty() && !replace_files(changes, error)) {
        err << "zeltool " << command << ": " << error << "\n";
        return status_failed;
    }
    for (const FileChange& c : changes)
        out << c.path << ": changed\n";
    out << plan.summary << "\n";
    for (const edits::Remark& todo : plan.todo)
        out << where(loaded, todo.at) << "to do: " << todo.text << "\n";
    return status_ok;
}

// Loads the source, makes the edit and writes (or shows) it.
int run_edit(const std::string& command, const EditArgs& args,
             const std::function<edits::Outcome(const edits::Sources&)>& edit, std::ostream& out, std::ostream& err) {
    const std::unique_ptr<Loaded> loaded = load(*args.source, err);
    if (!loaded)
        return status_failed;
    if (loaded->status != 0) {
        err << "zeltool " << command << ": the compiler stopped with an internal error\n";
        return status_usage;
    }
    const edits::Outcome outcome = edit(edits::Sources{loaded->index, loaded->texts});
    if (const edits::Refusal* r = std::get_if<edits::Refusal>(&outcome))
        return refused(command, *loaded, *r, err);
    return write_plan(command, *loaded, std::get<edits::Plan>(outcome), args.dry_run, out, err);
}

int usage(const std::string& command, std::ostream& err) {
    print_usage(err, command);
    return status_usage;
}

// The kind and numbers after NAME: KIND N [M].
bool kind_and_numbers(const EditArgs& args, std::size_t numbers, Kind& kind, std::vector<int>& values) {
    if (args.operands.size() != numbers + 1)
        return false;
    const std::optional<Kind> k = edits::kind_named(args.operands[0]);
    if (!k)
        return false;
    kind = *k;
    for (std::size_t i = 1; i <= numbers; ++i) {
        const std::optional<int> n = location_number(args.operands[i]);  // 0 to 999
        if (!n)
            return false;
        values.push_back(*n);
    }
    return true;
}

}  // namespace

int run_renumber(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    EditArgs parsed;
    Kind kind{};
    std::vector<int> n;
    if (!parse(args, false, parsed) || !kind_and_numbers(parsed, 2, kind, n))
        return usage("renumber", err);
    return run_edit("renumber", parsed, [&](const edits::Sources& s) { return edits::renumber(s, kind, n[0], n[1]); },
                    out, err);
}

int run_insert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    EditArgs parsed;
    Kind kind{};
    std::vector<int> n;
    if (!parse(args, true, parsed) || !kind_and_numbers(parsed, 1, kind, n))
        return usage("insert", err);
    const std::string text = parsed.text.value_or("");
    return run_edit("insert", parsed, [&](const edits::Sources& s) { return edits::insert(s, kind, n[0], text); }, out,
                    err);
}

int run_delete(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    EditArgs parsed;
    Kind kind{};
    std::vector<int> n;
    if (!parse(args, false, parsed) || !kind_and_numbers(parsed, 1, kind, n))
        return usage("delete", err);
    return run_edit("delete", parsed, [&](const edits::Sources& s) { return edits::remove(s, kind, n[0]); }, out, err);
}

int run_rename(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    EditArgs parsed;
    if (!parse(args, false, parsed) || parsed.operands.size() != 2)
        return usage("rename", err);
    const std::string word = parsed.operands[0], new_word = parsed.operands[1];
    return run_edit("rename", parsed, [&](const edits::Sources& s) { return edits::rename_word(s, word, new_word); },
                    out, err);
}

}  // namespace zel::tool
