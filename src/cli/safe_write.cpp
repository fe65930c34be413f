#include "cli/safe_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "cli/removed_on_signal.h"

namespace zel::tool {

namespace {

bool write_all(int fd, const std::string& text) {
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool read_all(const std::string& path, std::string& text) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    text.clear();
    char buffer[65536];
    ssize_t n = 0;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR))
        if (n > 0)
            text.append(buffer, static_cast<std::size_t>(n));
    const int reason = errno;
    ::close(fd);
    errno = reason;
    return n == 0;
}

std::string reason(const std::string& path, int error) { return path + ": " + std::strerror(error); }

// One file to replace: the file itself (a link is followed, so that the file
// it names is replaced and the link stays) and its temporary neighbour.
struct Target {
    std::string real, temporary;
    bool written = false, renamed = false;
};

// Writes text into a new file beside `real`, with the mode of `real`.
bool write_beside(Target& t, const std::string& text, int index, std::string& error) {
    struct stat st {};
    if (::stat(t.real.c_str(), &st) != 0) {
        error = reason(t.real, errno);
        return false;
    }
    t.temporary = t.real + ".zeltool-" + std::to_string(::getpid()) + "-" + std::to_string(index);
    const int fd = create_removed_on_signal(t.temporary, st.st_mode & 07777);
    if (fd < 0) {
        error = "cannot write beside " + reason(t.real, errno);
        t.temporary.clear();
        return false;
    }
    t.written = true;
    bool ok = write_all(fd, text) && ::fsync(fd) == 0;
    int why = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        why = errno;
    }
    if (!ok)
        error = "cannot write beside " + reason(t.real, why);
    return ok;
}

void remove_temporaries(std::vector<Target>& targets) {
    for (Target& t : targets)
        if (t.written && !t.renamed) {
            ::unlink(t.temporary.c_str());
            keep_on_signal(t.temporary);
        }
}

// After a rename failed: the files already replaced get their old texts back.
// Returns the names of those that could not be put back, or "".
std::string put_back(std::vector<Target>& targets, const std::vector<FileChange>& changes) {
    std::string kept;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        if (!targets[i].renamed)
            continue;
        Target back{targets[i].real, {}, false, false};
        std::string ignored;
        if (write_beside(back, changes[i].before, static_cast<int>(i) + static_cast<int>(targets.size()), ignored) &&
            ::rename(back.temporary.c_str(), back.real.c_str()) == 0) {
            keep_on_signal(back.temporary);
            continue;
        }
        if (back.written)
            ::unlink(back.temporary.c_str());
        keep_on_signal(back.temporary);
        kept += (kept.empty() ? "" : ", ") + changes[i].path;
    }
    return kept;
}

}  // namespace

bool replace_files(const std::vector<FileChange>& changes, std::string& error) {
    std::vector<Target> targets(changes.size());
    for (std::size_t i = 0; i < changes.size(); ++i) {
        char real[PATH_MAX];
        if (::realpath(changes[i].path.c_str(), real) == nullptr) {
            error = reason(changes[i].path, errno);
            remove_temporaries(targets);
            return false;
        }
        targets[i].real = real;
        if (::access(real, W_OK) != 0) {  // a file its owner protects is not replaced behind their back
            error = reason(changes[i].path, errno) + "; nothing written";
            remove_temporaries(targets);
            return false;
        }
        if (!write_beside(targets[i], changes[i].after, static_cast<int>(i), error)) {
            remove_temporaries(targets);
            return false;
        }
    }
    for (std::size_t i = 0; i < changes.size(); ++i) {
        std::string now;
        if (!read_all(targets[i].real, now) || now != changes[i].before) {
            error = changes[i].path + " has changed since it was read; nothing written";
            remove_temporaries(targets);
            return false;
        }
    }
    for (std::size_t i = 0; i < changes.size(); ++i) {
        if (::rename(targets[i].temporary.c_str(), targets[i].real.c_str()) != 0) {
            error = "cannot replace " + reason(changes[i].path, errno);
            remove_temporaries(targets);
            const std::string kept = put_back(targets, changes);
            error += kept.empty() ? "; nothing written" : "; " + kept + " could not be put back and holds the edit";
            return false;
        }
        targets[i].renamed = true;
        keep_on_signal(targets[i].temporary);
    }
    return true;
}

}  // namespace zel::tool
