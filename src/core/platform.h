// The compiler's view of the outside world: a console and a file system.
// Both are small interfaces so that a compilation can run in-process with
// captured output, an in-memory file system, or injected faults.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace zel {

class Console {
public:
    virtual ~Console() = default;
    virtual void out(std::string_view text) = 0;  // standard output
    virtual void err(std::string_view text) = 0;  // standard error
    virtual void flush() = 0;                     // push standard output out now
};

// Identity of an opened source file, so that a link back to a file already
// read can be recognised whatever name reaches it; and the name under which
// it was found, which may differ in case from the name asked for. When the
// file could not be opened, unreadable tells a file that is there but cannot
// be read (no permission, a folder, a loop of symbolic links) from one that
// does not exist; not_regular, one that a file system for regular files
// only refused (a FIFO, a device, a socket).
struct FileId {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::string found;
    bool unreadable = false;
    bool not_regular = false;
    bool operator==(const FileId& other) const { return device == other.device && inode == other.inode; }
};

class InputFile {
public:
    virtual ~InputFile() = default;
    // Reads up to size bytes; returns the count, 0 at the end of the file,
    // or -1 when the read failed.
    virtual long read(char* buffer, std::size_t size) = 0;
};

class OutputFile {
public:
    virtual ~OutputFile() = default;
    // Each returns false when the operation failed. A failure may also only
    // show later, in position() or close().
    virtual bool write(const unsigned char* bytes, std::size_t size) = 0;
    virtual long position() = 0;  // current write position, -1 on failure
    virtual bool rewind() = 0;    // seek to offset 0
    virtual bool close() = 0;     // flush and close; false when that failed
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // Opens an existing source file for reading. The name is in upper case;
    // where the file system distinguishes case, a file whose name differs
    // only in case is taken when the upper-case one is missing. Returns null
    // when there is no such file, or with id.unreadable set when there is one
    // that cannot be read; fills id when it succeeds.
    virtual std::unique_ptr<InputFile> open_source(const std::string& name, FileId& id) = 0;
    // Creates or empties a file for binary writing; null on failure.
    virtual std::unique_ptr<OutputFile> create(const std::string& name) = 0;
    // Deletes a file; a missing file is no failure.
    virtual bool remove(const std::string& name) = 0;
    virtual bool rename(const std::string& from, const std::string& to) = 0;
};

}  // namespace zel
