// zeltool build: the compiler's job with a conventional face, for make, CI
// and the build tasks of editors. The database bytes are zelc's; the
// diagnostics are printed as check prints them; the exit status tells
// success from failure; and a failed build leaves the folder as it was.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <map>

#include "cli/check.h"
#include "cli/commands.h"
#include "core/posix_platform.h"

namespace zel::tool {

namespace {

// The compiler deletes the old database, writes the new one as NAME.$$$ and
// renames it NAME.ZDB at the end of a compilation without errors. Here the
// old database stays until the rename replaces it, and the temporary file
// has a name of its own, so that an existing NAME.$$$ is left alone too;
// whatever temporary file is left when the build ends is deleted.
class BuildFiles : public FileSystem {
public:
    explicit BuildFiles(const std::string& directory)
        : directory_(directory.empty() ? "." : directory), files_(directory_, SourceFiles::regular_only) {}
    ~BuildFiles() override {
        for (const auto& [name, own] : temporary_)
            files_.remove(own);
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
        if (file)
            temporary_[name] = own;
        else
            files_.remove(own);
        return file;
    }
    // The rename of the temporary file replaces the old database.
    bool remove(const std::string&) override { return true; }
    bool rename(const std::string& from, const std::string& to) override {
        const auto it = temporary_.find(from);
        if (it == temporary_.end() || !files_.rename(it->second, to))
            return false;
        temporary_.erase(it);
        return true;
    }

private:
    // A new file named after name, which nothing else uses; empty when none
    // can be created.
    std::string claim_name(const std::string& name) {
        const std::string stem = name + "." + std::to_string(::getpid());
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string own = attempt == 0 ? stem : stem + "-" + std::to_string(attempt);
            const int fd = ::open((directory_ + "/" + own).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd >= 0) {
                ::close(fd);
                return own;
            }
            if (errno != EEXIST)
                break;
        }
        return {};
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
