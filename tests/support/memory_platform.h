// The in-memory file system of the tools, extended for tests with faults
// that can be switched on one by one; a console that keeps standard output
// and standard error apart; and a compilation set up by hand.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "core/compilation.h"
#include "core/memory_files.h"

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
    long read_fails_after = -1;        // a read fails once this many bytes of a file were delivered
    std::string read_fails_in;         // ... only in this file (empty: in every file)
    bool create = false;               // the temporary file cannot be created
    long write_fails_after = -1;       // the stream accepts this many bytes in all, then every write fails
    bool silent_write_failure = false; // ... but the write and the position hide it; only close tells
    bool position = false;             // the stream cannot tell its write position
    bool rewind = false;               // the stream cannot seek back to the header
    bool close = false;                // closing (and so flushing) the database fails
    bool rename = false;               // the rename fails
    bool remove = false;               // deleting the old database fails
    std::size_t read_chunk = 1 << 16;  // most bytes delivered by one read
};

class MemoryFileSystem : public MemoryFiles {
public:
    Faults faults;
    std::vector<std::string> log;  // "remove X", "create X", "rename X Y"

    std::unique_ptr<InputFile> open_source(const std::string& name, FileId& id) override;
    std::unique_ptr<OutputFile> create(const std::string& name) override;
    bool remove(const std::string& name) override;
    bool rename(const std::string& from, const std::string& to) override;

    bool has(const std::string& name) const { return files.count(name) != 0; }
};

// A compilation with its work area, for the tests of one subsystem.
struct Workbench {
    CaptureConsole console;
    MemoryFileSystem files;
    Compilation c{console, files};

    Workbench() { c.workarea = std::make_unique<std::array<unsigned char, workarea_size>>(); }
};

}  // namespace zel::testing
