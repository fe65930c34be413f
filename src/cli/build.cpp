// zeltool build: the compiler's job with a conventional face, for make, CI
// and the build tasks of editors. The database bytes are zelc's; the
// diagnostics are printed as check prints them; the exit status tells
// success from failure; and a failed build leaves the folder as it was.
#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <map>

#include "cli/check.h"
#include "cli/commands.h"
#include "cli/removed_on_signal.h"
#include "core/posix_platform.h"

namespace zel::tool {

namespace {

bool all_digits(const std::string& text) {
    return !text.empty() && text.size() <= 9 && std::all_of(text.begin(), text.end(), [](char ch) {
               return ch >= '0' && ch <= '9';
           });
}

// Whether a file is a temporary file of the name, NAME.<pid> or
// NAME.<pid>-<n>, whose build no longer runs.
bool abandoned(const std::string& file, const std::string& name) {
    const std::string prefix = name + ".";
    if (file.rfind(prefix, 0) != 0)
        return false;
    const std::string rest = file.substr(prefix.size());
    const std::size_t dash = rest.find('-');
    const std::string pid = rest.substr(0, dash);
    if (!all_digits(pid) || (dash != std::string::npos && !all_digits(rest.substr(dash + 1))))
        return false;
    const auto number = static_cast<pid_t>(std::stol(pid));
    return number > 0 && number != ::getpid() && ::kill(number, 0) != 0 && errno == ESRCH;
}

// The compiler deletes the old database, writes the new one as NAME.$$$ and
// renames it NAME.ZDB at the end of a compilation without errors. Here the
// old database stays until the rename replaces it, and the temporary file
// has a name of its own, so that an existing NAME.$$$ is left alone too;
// whatever temporary file is left when the build ends is deleted, and a
// signal that ends the build deletes it too. One that a build killed
// outright left behind is deleted by the next build of the same adventure.
class BuildFiles : public FileSystem {
public:
    explicit BuildFiles(const std::string& directory)
        : directory_(directory.empty() ? "." : directory), files_(directory_, SourceFiles::regular_only) {}
    ~BuildFiles() override {
        for (const auto& [name, own] : temporary_) {
            files_.remove(own);
            keep_on_signal(directory_ + "/" + own);
        }
    }
    BuildFiles(const BuildFiles&) = delete;
    BuildFiles& operator=(const BuildFiles&) = delete;

    std::unique_ptr<InputFile> open_source(const std::string& name, FileId& id) override {
        return files_.open_source(name, id);
    }
    std::unique_ptr<OutputFile> create(const std::string& name) override {
        const std::string own = claim_name(name);
        if (own.empty())
            return nullptr;
        std::unique_ptr<OutputFile> file = files_.create(own);
        if (file) {
            temporary_[name] = own;
        } else {
            files_.remove(own);
            keep_on_signal(directory_ + "/" + own);
        }
        return file;
    }
    // The rename of the temporary file replaces the old database.
    bool remove(const std::string&) override { return true; }
    bool rename(const std::string& from, const std::string& to) override {
        const auto it = temporary_.find(from);
        if (it == temporary_.end() || !files_.rename(it->second, to))
            return false;
        keep_on_signal(directory_ + "/" + it->second);
        temporary_.erase(it);
        return true;
    }

private:
    // A new file named after name, which nothing else uses; empty when none
    // can be created.
    std::string claim_name(const std::string& name) {
        remove_abandoned(name);
        const std::string stem = name + "." + std::to_string(::getpid());
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string own = attempt == 0 ? stem : stem + "-" + std::to_string(attempt);
            const int fd = create_removed_on_signal(directory_ + "/" + own);
            if (fd >= 0) {
                ::close(fd);
                return own;
            }
            if (errno != EEXIST)
                break;
        }
        return {};
    }

    void remove_abandoned(const std::string& name) {
        DIR* dir = ::opendir(directory_.c_str());
        if (!dir)
            return;
        while (const dirent* entry = ::readdir(dir))
            if (abandoned(entry->d_name, name))
                files_.remove(entry->d_name);
        ::closedir(dir);
    }

    std::string directory_;
    PosixFileSystem files_;
    std::map<std::string, std::string> temporary_;  // the compiler's name -> the file written
};

}  // namespace

int run_build(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    CheckOptions options;
    if (!parse_check_options("build", args, options, err))
        return 2;
    BuildFiles files(options.directory);
    return compile_and_report("build", options, files, false, out, err);
}

}  // namespace zel::tool
