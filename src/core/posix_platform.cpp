#include "core/ascii.h"
#include "core/posix_platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

namespace zel {

namespace {

constexpr std::size_t console_flush_size = 1 << 16;
constexpr std::size_t output_buffer_size = 1 << 16;

bool write_all(int fd, const char* bytes, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, bytes, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// A name that cannot be opened names a missing file only when it leads
// nowhere; any other failure concerns a file that is there.
bool is_missing(int error) { return error == ENOENT || error == ENOTDIR; }

class PosixInputFile : public InputFile {
public:
    explicit PosixInputFile(int fd) : fd_(fd) {}
    ~PosixInputFile() override { ::close(fd_); }
    long read(char* buffer, std::size_t size) override {
        for (;;) {
            const ssize_t n = ::read(fd_, buffer, size);
            if (n < 0 && errno == EINTR)
                continue;
            return static_cast<long>(n);
        }
    }

private:
    int fd_;
};

class PosixOutputFile : public OutputFile {
public:
    explicit PosixOutputFile(int fd) : fd_(fd) { buffer_.reserve(output_buffer_size); }
    ~PosixOutputFile() override { close(); }

    bool write(const unsigned char* bytes, std::size_t size) override {
        if (fd_ < 0 || failed_)
            return false;
        buffer_.insert(buffer_.end(), bytes, bytes + size);
        offset_ += static_cast<long>(size);
        if (buffer_.size() >= output_buffer_size)
            return drain();
        return true;
    }
    long position() override { return failed_ ? -1 : offset_; }
    bool rewind() override {
        if (!drain() || ::lseek(fd_, 0, SEEK_SET) != 0)
            return fail();
        offset_ = 0;
        return true;
    }
    bool close() override {
        if (fd_ < 0)
            return !failed_;
        drain();
        if (::close(fd_) != 0)
            failed_ = true;
        fd_ = -1;
        return !failed_;
    }

private:
    bool fail() {
        failed_ = true;
        return false;
    }
    bool drain() {
        if (failed_)
            return false;
        const bool ok = write_all(fd_, reinterpret_cast<const char*>(buffer_.data()), buffer_.size());
        buffer_.clear();
        return ok || fail();
    }

    int fd_;
    bool failed_ = false;
    long offset_ = 0;
    std::vector<unsigned char> buffer_;
};

}  // namespace

StdConsole::StdConsole() : line_buffered_(::isatty(1) == 1) {}

StdConsole::~StdConsole() { flush(); }

void StdConsole::out(std::string_view text) {
    pending_.append(text);
    if (pending_.size() >= console_flush_size || (line_buffered_ && text.find('\n') != std::string_view::npos))
        flush();
}

void StdConsole::err(std::string_view text) { write_all(2, text.data(), text.size()); }

void StdConsole::flush() {
    write_all(1, pending_.data(), pending_.size());
    pending_.clear();
}

PosixFileSystem::PosixFileSystem(std::string directory, SourceFiles sources)
    : directory_(std::move(directory)), sources_(sources) {}

std::string PosixFileSystem::path(const std::string& name) const { return directory_ + "/" + name; }

// The first directory entry, in byte order, whose name equals name when
// ASCII case is ignored; empty when there is none. A chain of many linked
// files named in lower case would otherwise read the folder once per link.
std::string PosixFileSystem::find_ignoring_case(const std::string& name) {
    if (!listed_) {
        listed_ = true;
        if (DIR* dir = ::opendir(directory_.c_str())) {
            while (const dirent* entry = ::readdir(dir)) {
                const std::string entry_name = entry->d_name;
                auto [it, added] = by_upper_name_.try_emplace(ascii_upper(entry_name), entry_name);
                if (!added && it->second > entry_name)
                    it->second = entry_name;
            }
            ::closedir(dir);
        }
    }
    const auto it = by_upper_name_.find(ascii_upper(name));
    return it == by_upper_name_.end() ? std::string() : it->second;
}

// A descriptor of the named file, or -1 with errno set. For regular files
// only, the name is looked at before it is opened (opening a device may
// already do something), and the open cannot wait (a FIFO would, for a
// writer); what is refused fails with EACCES and sets not_regular.
int PosixFileSystem::open_for_reading(const std::string& name, bool& not_regular) const {
    const std::string file = path(name);
    if (sources_ == SourceFiles::any)
        return ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0)
        return -1;
    if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
        not_regular = true;
        errno = EACCES;
        return -1;
    }
    return ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
}

std::unique_ptr<InputFile> PosixFileSystem::open_source(const std::string& name, FileId& id) {
    std::string found = name;
    int fd = open_for_reading(name, id.not_regular);
    if (fd < 0 && errno == ENOENT) {
        found = find_ignoring_case(name);
        if (found.empty())
            return nullptr;
        fd = open_for_reading(found, id.not_regular);
    }
    if (fd < 0) {
        id.unreadable = !is_missing(errno);
        return nullptr;
    }
    // (For regular files only: what the name led to may have been replaced
    // since it was looked at.)
    struct stat st {};
    const bool opened = ::fstat(fd, &st) == 0;
    id.not_regular = opened && sources_ == SourceFiles::regular_only && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
    if (!opened || S_ISDIR(st.st_mode) || id.not_regular) {
        ::close(fd);
        id.unreadable = true;
        return nullptr;
    }
    id.device = static_cast<std::uint64_t>(st.st_dev);
    id.inode = static_cast<std::uint64_t>(st.st_ino);
    id.found = found;
    return std::make_unique<PosixInputFile>(fd);
}

std::unique_ptr<OutputFile> PosixFileSystem::create(const std::string& name) {
    const int fd = ::open(path(name).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return nullptr;
    return std::make_unique<PosixOutputFile>(fd);
}

bool PosixFileSystem::remove(const std::string& name) {
    return ::unlink(path(name).c_str()) == 0 || errno == ENOENT;
}

bool PosixFileSystem::rename(const std::string& from, const std::string& to) {
    return std::rename(path(from).c_str(), path(to).c_str()) == 0;
}

}  // namespace zel
