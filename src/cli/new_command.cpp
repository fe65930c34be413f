// zeltool new: writes a small adventure to start from. It never writes over
// a file, in any case of its name.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "cli/commands.h"
#include "cli/new_adventure.h"
#include "core/ascii.h"
#include "dbtools/database_tools.h"

namespace zel::tool {

namespace {

bool adventure_name(const std::string& name) {
    return !name.empty() && name.size() <= 8 && std::all_of(name.begin(), name.end(), [](char ch) {
        const unsigned char c = static_cast<unsigned char>(ascii_upper(ch));
        return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    });
}

// A file of the folder that the compiler would read as `file`, in any case.
std::string existing(const std::filesystem::path& dir, const std::string& file) {
    std::error_code ec;
    if (std::filesystem::exists(std::filesystem::symlink_status(dir / file, ec)))
        return (dir / file).string();
    for (std::filesystem::directory_iterator it(dir.empty() ? "." : dir, ec), end; !ec && it != end; it.increment(ec))
        if (ascii_upper(it->path().filename().string()) == file)
            return it->path().string();
    return {};
}

// Writes a new file; false with the reason when it cannot, or when a file
// of that name is there after all.
bool write_new(const std::string& path, const std::string& text, std::string& error) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    bool ok = true;
    for (std::size_t done = 0; ok && done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        if (ok)
            done += static_cast<std::size_t>(n);
    }
    const int reason = ok ? 0 : (errno != 0 ? errno : EIO);
    if (::close(fd) != 0 && ok)
        ok = false;
    if (!ok) {
        ::unlink(path.c_str());
        error = "cannot write " + path + ": " + std::strerror(reason != 0 ? reason : errno);
    }
    return ok;
}

}  // namespace

int run_new(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> operands;
    bool split = false, unknown = false;
    for (const std::string& a : args) {
        if (a == "--split")
            split = true;
        else if (!a.empty() && a[0] == '-')
            unknown = true;
        else
            operands.push_back(a);
    }
    if (unknown || operands.empty() || operands.size() > 2 || !adventure_name(operands[0])) {
        if (!unknown && !operands.empty() && operands.size() <= 2)
            err << "zeltool new: an adventure name is one to eight letters and digits\n";
        print_usage(err, "new");
        return status_usage;
    }
    const NewAdventure made = new_adventure(ascii_upper(operands[0]), split);
    const std::filesystem::path dir = operands.size() > 1 ? operands[1] : "";
    std::vector<std::pair<std::string, const std::string*>> files{{made.name + ".SCE", &made.main}};
    if (split)
        files.emplace_back(made.second_name + ".SCE", &made.second);
    for (const auto& [file, text] : files)
        if (const std::string there = existing(dir, file); !there.empty()) {
            err << "zeltool: " << there << " exists; nothing written\n";
            return status_failed;
        }
    std::error_code ec;
    if (!dir.empty())
        std::filesystem::create_directories(dir, ec);
    if (ec) {
        err << "zeltool: cannot create the folder " << dir.string() << ": " << ec.message() << "\n";
        return status_failed;
    }
    std::vector<std::string> written;
    for (const auto& [file, text] : files) {
        std::string error;
        const std::string path = (dir / file).string();
        if (!write_new(path, *text, error)) {
            for (const std::string& done : written)
                ::unlink(done.c_str());
            err << "zeltool: " << error << "\n";
            return status_failed;
        }
        written.push_back(path);
    }
    for (const std::string& path : written)
        out << "Wrote " << path << "\n";
    out << "Compile it with: " << (dir.empty() ? "" : "cd " + dir.string() + " && ") << "zelc " << made.name << "\n";
    return status_ok;
}

}  // namespace zel::tool
