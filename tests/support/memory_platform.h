// An in-memory console and file system for running compilations in-process,
// with faults that can be switched on one by one.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "driver/platform.h"

namespace zel::testing {

class CaptureConsole : public Console {
public:
    void out(std::string_view text) override { stdout_text.append(text); }
    void err(std::string_view text) override {
        stderr_text.append(text);
        interleaved.append("[stderr]").append(text);
    }
    void flush() override { interleaved.append(stdout_text.substr(flushed_)); flushed_ = stdout_text.size(); }

    std::string stdout_text;
    std::string stderr_text;
    std::string interleaved;  // standard output as flushed, with standard error between

private:
    std::size_t flushed_ = 0;
};

struct Faults {
    bool open_source = false;          // every source file is missing
    long read_fails_after = -1;        // a read fails once this many bytes were delivered
    bool create = false;               // the temporary file cannot be created
    long write_fails_at = -1;          // writing the byte at this offset fails
    bool close = false;                // closing the database fails
    bool rename = false;               // the rename fails
    bool remove = false;               // deleting the old database fails
    std::size_t read_chunk = 1 << 16;  // most bytes delivered by one read
};

class MemoryFileSystem : public FileSystem {
public:
    std::map<std::string, std::string> files;  // name -> contents
    Faults faults;
    std::map<std::string, std::uint64_t> ids;  // a stable identity per name
    std::vector<std::string> log;  // "remove X", "create X", "rename X Y"

    std::unique_ptr<InputFile> open_source(const std::string& name, FileId& id) override;
    std::unique_ptr<OutputFile> create(const std::string& name) override;
    bool remove(const std::string& name) override;
    bool rename(const std::string& from, const std::string& to) override;

    bool has(const std::string& name) const { return files.count(name) != 0; }
};

}  // namespace zel::testing
