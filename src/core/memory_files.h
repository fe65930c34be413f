// A console and a file system held in memory, so that the tool can run the
// compiler in-process on a source it has just written and compare the result.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "core/platform.h"

namespace zel {

// A file read from a text in memory: one the caller keeps for as long as the
// file is read, or one shared with it.
class StringInput : public InputFile {
public:
    explicit StringInput(std::string_view text) : text_(text) {}
    explicit StringInput(std::shared_ptr<const std::string> text) : kept_(std::move(text)), text_(*kept_) {}
    long read(char* buffer, std::size_t size) override;

private:
    std::shared_ptr<const std::string> kept_;
    std::string_view text_;
    std::size_t at_ = 0;
};

class StringConsole : public Console {
public:
    void out(std::string_view text) override { output.append(text); }
    void err(std::string_view text) override { output.append(text); }
    void flush() override {}
    std::string output;
};

// A console that keeps nothing: for compilations run only for what their
// observer learns.
class NullConsole : public Console {
public:
    void out(std::string_view) override {}
    void err(std::string_view) override {}
    void flush() override {}
};

// Files by name. A name that differs only in case from the one asked for is
// taken when that one is missing, as on a disk that distinguishes case. Each
// file keeps one identity for as long as it exists under its name (a rename
// takes it along), whatever other files come and go, so that a link back to
// a file already read is recognised.
class MemoryFiles : public FileSystem {
public:
    std::map<std::string, std::string> files;  // name -> contents

    std::unique_ptr<InputFile> open_source(const std::string& name, FileId& id) override;
    std::unique_ptr<OutputFile> create(const std::string& name) override;
    bool remove(const std::string& name) override;
    bool rename(const std::string& from, const std::string& to) override;

private:
    std::map<std::string, std::string>::iterator find(const std::string& name);
    std::uint64_t id_of(const std::string& name);

    std::map<std::string, std::uint64_t> ids_;  // name -> identity, given when first opened or written
    std::uint64_t next_id_ = 1;
};

}  // namespace zel
