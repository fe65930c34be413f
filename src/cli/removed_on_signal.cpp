#include "cli/removed_on_signal.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>

namespace zel::tool {

namespace {

// Those whose default action ends the process, but SIGXFSZ, which zeltool
// ignores so that a write past the file size limit fails as on a full disk.
constexpr int ending_signals[] = {SIGHUP,  SIGINT,  SIGQUIT, SIGILL,  SIGTRAP, SIGABRT, SIGBUS,
                                  SIGFPE,  SIGSEGV, SIGPIPE, SIGALRM, SIGTERM, SIGUSR1, SIGUSR2,
                                  SIGXCPU, SIGVTALRM, SIGPROF, SIGSYS};

// What the handler reads: written only while the signals are held.
struct Armed {
    char path[PATH_MAX];
    volatile std::sig_atomic_t armed;
};
Armed armed_files[most_removed];

extern "C" void remove_and_end(int signal) {
    for (const Armed& file : armed_files)
        if (file.armed)
            ::unlink(file.path);
    // SA_RESETHAND has restored the default action and SA_NODEFER left the
    // signal unblocked: it ends the process now, as it would have.
    ::raise(signal);
}

sigset_t handled_set() {
    sigset_t set;
    sigemptyset(&set);
    for (int s : ending_signals)
        sigaddset(&set, s);
    return set;
}

void install_handlers() {
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    struct sigaction action {};
    action.sa_handler = remove_and_end;
    action.sa_flags = SA_RESETHAND | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    for (int s : ending_signals) {
        struct sigaction old {};
        if (::sigaction(s, nullptr, &old) == 0 && !(old.sa_flags & SA_SIGINFO) && old.sa_handler == SIG_DFL)
            ::sigaction(s, &action, nullptr);
    }
}

}  // namespace

int create_removed_on_signal(const std::string& path, mode_t mode) {
    if (path.size() >= PATH_MAX) {
        errno = ENAMETOOLONG;
        return -1;
    }
    install_handlers();
    const sigset_t set = handled_set();
    sigset_t before;
    ::sigprocmask(SIG_BLOCK, &set, &before);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    const int error = errno;
    if (fd >= 0)
        for (Armed& file : armed_files)
            if (!file.armed) {
                std::memcpy(file.path, path.c_str(), path.size() + 1);
                file.armed = 1;
                break;
            }
    ::sigprocmask(SIG_SETMASK, &before, nullptr);
    errno = error;
    return fd;
}

void keep_on_signal(const std::string& path) {
    for (Armed& file : armed_files)
        if (file.armed && path == file.path)
            file.armed = 0;
}

}  // namespace zel::tool
