#include "analysis/compiled.h"

#include "core/memory_files.h"
#include "driver/compile.h"
#include "format/format.h"

namespace zel::analysis {

namespace {

constexpr const char* database_extension = ".ZDB";

// A file written in memory that keeps no more than a database can hold: a
// compilation that writes more ends with error 54, and its database is not
// read. The bytes past that are counted, so the compiler sees what it wrote.
class KeepsADatabase : public OutputFile {
public:
    explicit KeepsADatabase(std::unique_ptr<OutputFile> file) : file_(std::move(file)) {}
    bool write(const unsigned char* bytes, std::size_t size) override {
        const std::size_t room = position_ < most ? most - position_ : 0;
        position_ += size;
        return file_->write(bytes, std::min(size, room));
    }
    long position() override { return static_cast<long>(position_); }
    bool rewind() override {
        position_ = 0;
        return file_->rewind();
    }
    bool close() override { return file_->close(); }

private:
    static constexpr std::size_t most = largest_database + 1;
    std::unique_ptr<OutputFile> file_;
    std::size_t position_ = 0;
};

// Sources from the file system given; every file written, deleted or renamed
// only in memory.
class WritesInMemory : public FileSystem {
public:
    explicit WritesInMemory(FileSystem& sources) : sources_(sources) {}
    std::unique_ptr<InputFile> open_source(const std::string& name, FileId& id) override {
        return sources_.open_source(name, id);
    }
    std::unique_ptr<OutputFile> create(const std::string& name) override {
        return std::make_unique<KeepsADatabase>(written.create(name));
    }
    bool remove(const std::string& name) override { return written.remove(name); }
    bool rename(const std::string& from, const std::string& to) override { return written.rename(from, to); }

    MemoryFiles written;

private:
    FileSystem& sources_;
};

bool is_check_only(const std::string& a) { return a == "N" || a == "n"; }

// The end of what the compiler prints, where its closing lines are; what
// comes before them may be as long as the source.
class TailConsole : public Console {
public:
    static constexpr std::size_t most_kept = 1u << 16;
    void out(std::string_view text) override {
        output.append(text);
        if (output.size() > 2 * most_kept)
            output.erase(0, output.size() - most_kept);
    }
    void err(std::string_view text) override { out(text); }
    void flush() override {}
    std::string output;
};

}  // namespace

InMemory compile_in_memory(const std::vector<std::string>& arguments, FileSystem& sources, Console& console,
                           Observer* observer, bool read_back) {
    InMemory result;
    std::vector<std::string> args;
    for (std::size_t i = 0; i < arguments.size(); ++i)
        if (i == 0 || !is_check_only(arguments[i]))
            args.push_back(arguments[i]);
    WritesInMemory files(sources);
    result.status = compile(args, console, files, observer);
    // The compiler gives the database its name only when it compiled
    // without errors.
    const std::string ext = database_extension;
    for (const auto& [name, bytes] : files.written.files)
        if (result.status == 0 && name.size() >= ext.size() && name.compare(name.size() - ext.size(), ext.size(), ext) == 0)
            result.bytes.assign(bytes.begin(), bytes.end());
    if (read_back && !result.bytes.empty())
        result.database = tool::read_database(std::move(result.bytes), result.database_error);
    return result;
}

Compiled compile_adventure(const std::vector<std::string>& arguments, FileSystem& sources) {
    Compiled result;
    TailConsole console;
    InMemory compiled = compile_in_memory(arguments, sources, console, &result.index);
    result.status = compiled.status;
    result.database = std::move(compiled.database);
    result.database_error = std::move(compiled.database_error);
    result.console = std::move(console.output);
    result.errors = result.index.errors();
    result.warnings = result.index.warnings();
    return result;
}

std::vector<std::string> source_texts(const SourceIndex& index, FileSystem& sources, std::vector<std::string>* unread) {
    std::vector<std::string> texts;
    std::size_t room = most_source_text;
    for (const SourceFile& f : index.files()) {
        std::string text;
        FileId id;
        if (std::unique_ptr<InputFile> in = sources.open_source(f.found.empty() ? f.name : f.found, id)) {
            char buffer[4096];
            long n = 0;
            while ((n = in->read(buffer, sizeof buffer)) > 0 && text.size() <= room)
                text.append(buffer, static_cast<std::size_t>(n));
        }
        if (text.size() > room) {
            if (unread)
                unread->push_back(f.found);
            text = std::string();
        }
        room -= text.size();
        texts.push_back(std::move(text));
    }
    return texts;
}

}  // namespace zel::analysis
