// The console and file system of the machine the compiler runs on.
#pragma once

#include <string>

#include "core/platform.h"

namespace zel {

// Standard output through a buffer of its own; standard error unbuffered.
class StdConsole : public Console {
public:
    ~StdConsole() override;
    void out(std::string_view text) override;
    void err(std::string_view text) override;
    void flush() override;

private:
    std::string pending_;
};

// Files in one directory (the current one unless given).
class PosixFileSystem : public FileSystem {
public:
    explicit PosixFileSystem(std::string directory = ".");
    std::unique_ptr<InputFile> open_source(const std::string& name, FileId& id) override;
    std::unique_ptr<OutputFile> create(const std::string& name) override;
    bool remove(const std::string& name) override;
    bool rename(const std::string& from, const std::string& to) override;

private:
    std::string path(const std::string& name) const;
    std::string find_ignoring_case(const std::string& name) const;
    std::string directory_;
};

}  // namespace zel
