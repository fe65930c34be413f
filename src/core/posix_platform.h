// The console and file system of the machine the compiler runs on.
#pragma once

#include <string>
#include <unordered_map>

#include "core/platform.h"

namespace zel {

// Standard output through a buffer of its own, written out line by line
// when it is a terminal so that a person sees the progress; standard error
// unbuffered.
class StdConsole : public Console {
public:
    StdConsole();
    ~StdConsole() override;
    void out(std::string_view text) override;
    void err(std::string_view text) override;
    void flush() override;

private:
    std::string pending_;
    bool line_buffered_;
};

// Which files open_source opens. zelc reads whatever its source's name
// leads to. The tools also open sources nobody named (every .SCE file of a
// folder, when they look for the adventure a file belongs to) and must end
// whatever lies there: they open regular files only, and never wait for one;
// anything else (a FIFO, a device, a socket) is not opened at all and is
// refused as a file that cannot be read.
enum class SourceFiles { any, regular_only };

// Files in one directory (the current one unless given). The directory is
// listed at most once, on the first look-up that ignores case, and that
// listing serves every later one: make one file system per compilation.
class PosixFileSystem : public FileSystem {
public:
    explicit PosixFileSystem(std::string directory = ".", SourceFiles sources = SourceFiles::any);
    std::unique_ptr<InputFile> open_source(const std::string& name, FileId& id) override;
    std::unique_ptr<OutputFile> create(const std::string& name) override;
    bool remove(const std::string& name) override;
    bool rename(const std::string& from, const std::string& to) override;

private:
    std::string path(const std::string& name) const;
    int open_for_reading(const std::string& name, bool& not_regular) const;
    std::string find_ignoring_case(const std::string& name);
    std::string directory_;
    SourceFiles sources_;
    bool listed_ = false;
    std::unordered_map<std::string, std::string> by_upper_name_;  // upper case -> first entry in byte order
};

}  // namespace zel
