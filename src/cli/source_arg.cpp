#include "cli/source_arg.h"

#include <streambuf>

#include "cli/check.h"
#include "cli/commands.h"
#include "cli/find_adventure.h"
#include "core/ascii.h"
#include "core/posix_platform.h"
#include "dbtools/database_tools.h"

namespace zel::tool {

std::optional<SourceArg> source_arg(const std::string& arg) {
    SourceArg source;
    source.name = arg;
    split_name(source.name, source.directory);
    if (source.name.empty() || source.name[0] == '-' || is_database_path(source.name))
        return std::nullopt;
    return source;
}

bool is_database_path(const std::string& path) {
    if (path.size() < 4)
        return false;
    return ascii_upper(path.substr(path.size() - 4)) == ".ZDB";
}

std::optional<analysis::Compiled> compile_source(const SourceArg& source, std::ostream& err) {
    PosixFileSystem files(source.directory.empty() ? "." : source.directory, SourceFiles::regular_only);
    std::vector<std::string> args{source.name};
    args.insert(args.end(), source.switches.begin(), source.switches.end());
    analysis::Compiled compiled = analysis::compile_adventure(args, files);
    const std::vector<SectionDef>& sections = compiled.index.sections();
    const bool starts_adventure = !sections.empty() && sections.front().header == "/CTL" && sections.front().at.file == 0;
    if (starts_adventure || compiled.index.files().empty())
        return compiled;
    // A later file of a chain: the adventure it belongs to.
    const std::optional<std::string> adventure =
        adventure_of(files, source.directory, compiled.index.files().front().found, err);
    if (!adventure)
        return std::nullopt;
    if (adventure->empty())
        return compiled;
    args.front() = *adventure;
    return analysis::compile_adventure(args, files);
}

std::string file_name(const SourceArg& source, const analysis::Compiled& compiled, int file) {
    const std::vector<SourceFile>& files = compiled.index.files();
    if (file >= 0 && static_cast<std::size_t>(file) < files.size())
        return source.directory + files[static_cast<std::size_t>(file)].found;
    return source.directory + (files.empty() ? source.name + ".SCE" : files.front().found);
}

namespace {

// Passes what is written on to another stream in blocks: the diagnostics of
// a failure may go to standard error, which writes every piece at once.
class InBlocks : public std::streambuf {
public:
    explicit InBlocks(std::ostream& to) : to_(to) {}
    ~InBlocks() override { sync(); }
    InBlocks(const InBlocks&) = delete;
    InBlocks& operator=(const InBlocks&) = delete;

protected:
    int_type overflow(int_type ch) override {
        if (!traits_type::eq_int_type(ch, traits_type::eof()))
            pending_ += traits_type::to_char_type(ch);
        return pending_.size() >= block && sync() != 0 ? traits_type::eof() : traits_type::not_eof(ch);
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        pending_.append(text, static_cast<std::size_t>(count));
        return pending_.size() >= block && sync() != 0 ? 0 : count;
    }
    int sync() override {
        to_.write(pending_.data(), static_cast<std::streamsize>(pending_.size()));
        pending_.clear();
        return to_ ? 0 : -1;
    }

private:
    static constexpr std::size_t block = 1u << 16;
    std::ostream& to_;
    std::string pending_;
};

}  // namespace

int report_failure(const std::string& command, const SourceArg& source, const analysis::Compiled& compiled, bool json,
                   std::ostream& out, std::ostream& err) {
    if (compiled.errors != 0 && compiled.status == 0) {
        // The diagnostics as check shows them, notes and all.
        CheckOptions options{json, source.directory, {source.name}};
        options.compiler_args.insert(options.compiler_args.end(), source.switches.begin(), source.switches.end());
        PosixFileSystem files(source.directory.empty() ? "." : source.directory, SourceFiles::regular_only);
        InBlocks blocks(out);
        std::ostream listing(&blocks);
        const int status = compile_and_report(command, options, files, true, listing, &out == &err ? listing : err);
        listing.flush();
        return status == 0 ? status_failed : status;
    }
    err << "zeltool " << command << ": ";
    if (compiled.status != 0)
        err << "the compiler stopped with an internal error\n";
    else
        err << "the database compiled cannot be read back: " << compiled.database_error << "\n";
    return compiled.status != 0 ? status_usage : status_failed;
}

std::optional<int> location_number(const std::string& text) {
    if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return std::stoi(text);
}

}  // namespace zel::tool
