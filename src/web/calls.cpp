#include "web/calls.h"

#include <algorithm>
#include <map>
#include <sstream>

#include "analysis/compiled.h"
#include "analysis/figures.h"
#include "analysis/source_map.h"
#include "analysis/world.h"
#include "cli/commands.h"
#include "cli/figures_text.h"
#include "core/ascii.h"
#include "core/memory_files.h"
#include "dbtools/database_tools.h"
#include "driver/compile.h"
#include "index/chain.h"
#include "index/source_index.h"

namespace zel::web {

namespace {

const std::string file_prefix = "file:";
const std::string source_extension = ".SCE";

// Standard output and standard error apart, as a terminal shows them.
class SplitConsole : public Console {
public:
    void out(std::string_view text) override { stdout_text.append(text); }
    void err(std::string_view text) override { stderr_text.append(text); }
    void flush() override {}
    std::string stdout_text, stderr_text;
};

MemoryFiles files_of(const Bundle& request) {
    MemoryFiles files;
    for (const Entry& e : request.entries())
        if (e.name.starts_with(file_prefix))
            files.files[e.name.substr(file_prefix.size())] = e.value;
    return files;
}

Bundle build(const Bundle& request) {
    MemoryFiles files = files_of(request);
    const std::map<std::string, std::string> before = files.files;
    SplitConsole console;
    const int status = compile(request.all("arg"), console, files);
    Bundle answer;
    answer.add("status", std::to_string(status));
    answer.add("stdout", console.stdout_text);
    answer.add("stderr", console.stderr_text);
    for (const auto& [name, bytes] : files.files)
        if (const auto it = before.find(name); it == before.end() || it->second != bytes)
            answer.add(file_prefix + name, bytes);
    for (const auto& [name, bytes] : before)
        if (!files.files.count(name))
            answer.add("gone:" + name, "");
    return answer;
}

Bundle stats(const Bundle& request) {
    MemoryFiles files = files_of(request);
    const std::vector<std::string> args = request.all("arg");
    const analysis::Compiled compiled = analysis::compile_adventure(args, files);
    Bundle answer;
    if (!compiled.database || args.empty()) {
        answer.add("error", "no database: the compilation ended with errors");
        return answer;
    }
    const analysis::Figures figures = analysis::figures_of(*compiled.database);
    std::ostringstream text, json;
    tool::write_figures(args.front(), figures, text);
    tool::write_figures_json(args.front(), figures, json);
    answer.add("text", text.str());
    answer.add("json", json.str());
    return answer;
}

Bundle map(const Bundle& request) {
    MemoryFiles files = files_of(request);
    const std::vector<std::string> args = request.all("arg");
    const analysis::Compiled compiled = analysis::compile_adventure(args, files);
    Bundle answer;
    if (!compiled.database || args.empty()) {
        answer.add("error", "no map: the compilation ended with errors");
        return answer;
    }
    const SourceIndex& index = compiled.index;
    const analysis::World world = analysis::world_of(index, 0);
    answer.add("dot", analysis::source_map(index, world, {args.front(), !request.get("objects").empty()}));
    for (int n = 0; n < world.locations; ++n) {
        const std::vector<Span> at = index.definitions({Kind::location, n});
        if (at.empty() || at.front().file < 0 || static_cast<std::size_t>(at.front().file) >= index.files().size())
            continue;
        const Span& s = at.front();
        answer.add("at:l" + std::to_string(n),
                   index.files()[static_cast<std::size_t>(s.file)].found + "\n" +
                       std::to_string(index.editor_line(s.file, s.line)));
    }
    return answer;
}

Bundle database(const Bundle& request) {
    const std::string bytes = request.get("bytes"), path = request.get("path");
    std::string error, name;
    Bundle answer;
    std::optional<tool::Database> db = tool::read_database(tool::Bytes(bytes.begin(), bytes.end()), error);
    if (!db) {
        answer.add("error", "zeltool: " + path + ": " + error + "\n");
        return answer;
    }
    std::ostringstream dump, source, err;
    tool::dump_database(*db, dump);
    answer.add("dump", dump.str());
    if (!tool::adventure_name(path, name, error)) {
        answer.add("stderr", "zeltool: " + error + "\n");
        return answer;
    }
    const int status = tool::decompile_to(*db, name, source, err);
    tool::Decompiled d;
    d.name = name;
    d.compressed = db->tokens.has_value();
    answer.add("status", std::to_string(status));
    answer.add("source-name", name + source_extension);
    answer.add("source", source.str());
    answer.add("stderr", err.str());
    if (status == tool::status_ok)
        answer.add("stdout", "It compiles back into the identical " + std::to_string(db->bytes.size()) +
                                 " bytes with: " + tool::compile_command(d) + "\n");
    return answer;
}

// The name zelc takes for a file NAME.SCE (in any case); empty for another.
std::string adventure_stem(const std::string& file) {
    const std::string upper = ascii_upper(file);
    if (!upper.ends_with(source_extension))
        return {};
    const std::string stem = upper.substr(0, upper.size() - source_extension.size());
    const bool usable = !stem.empty() && stem.size() <= 8 &&
                        std::all_of(stem.begin(), stem.end(), [](unsigned char ch) { return std::isalnum(ch); });
    return usable ? stem : std::string();
}

// The file itself when it begins an adventure, else the one adventure among
// the other files whose /LNK chain reaches it, as zeltool chooses.
Bundle adventure(const Bundle& request) {
    MemoryFiles files = files_of(request);
    const std::string target = request.get("target"), stem = adventure_stem(target);
    Bundle answer;
    if (stem.empty()) {
        answer.add("error", target + " is not a source file NAME.SCE");
        return answer;
    }
    NullConsole console;
    SourceIndex index(false);
    compile({stem, "N"}, console, files, &index);
    const std::vector<SectionDef>& sections = index.sections();
    if (!sections.empty() && sections.front().header == "/CTL" && sections.front().at.file == 0) {
        answer.add("name", stem);
        return answer;
    }
    std::vector<std::string> candidates;
    for (const auto& [name, bytes] : files.files)
        if (const std::string other = adventure_stem(name); !other.empty() && other != stem)
            candidates.push_back(other);
    const std::vector<std::string> found = search_chains(files, target, candidates).reaching;
    answer.add("name", found.empty() ? stem : found.front());
    if (found.size() > 1)
        answer.add("note", target + " is reached from several adventures; building " + found.front() + ".SCE");
    return answer;
}

}  // namespace

Bundle call(const Bundle& request) {
    const std::string command = request.get("command");
    if (command == "build")
        return build(request);
    if (command == "stats")
        return stats(request);
    if (command == "map")
        return map(request);
    if (command == "database")
        return database(request);
    if (command == "adventure")
        return adventure(request);
    Bundle answer;
    answer.add("error", "unknown command " + command);
    return answer;
}

}  // namespace zel::web
