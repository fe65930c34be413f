// zeltool decompile: writes the source of a database and proves that it
// compiles back into the same bytes. It never writes over a file unless told.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <system_error>

#include "cli/commands.h"
#include "cli/source_arg.h"
#include "core/ascii.h"
#include "dbtools/database_tools.h"

namespace zel::tool {

namespace {

bool letter_or_digit(unsigned char ch) { return (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9'); }

bool write_all(int fd, const std::string& text) {
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Writes text as a new file at path. With replace, an existing file is
// replaced only by a complete new one (written beside it, then renamed).
// False with the system's reason in error.
bool write_file(const std::string& path, const std::string& text, bool replace, std::string& error) {
    const std::string target = replace ? path + ".zeltool-" + std::to_string(::getpid()) : path;
    const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    bool ok = write_all(fd, text);
    int reason = ok ? 0 : (errno != 0 ? errno : EIO);
    if (::close(fd) != 0 && ok) {
        ok = false;
        reason = errno;
    }
    if (ok && replace && ::rename(target.c_str(), path.c_str()) != 0) {
        ok = false;
        reason = errno;
    }
    if (!ok) {
        ::unlink(target.c_str());
        error = "cannot write " + path + ": " + std::strerror(reason);
    }
    return ok;
}

struct DecompileOptions {
    std::string path, dir, name;  // dir "" for here
    bool force = false;
};

bool parse(const std::vector<std::string>& args, DecompileOptions& o) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o" && i + 1 < args.size())
            o.dir = args[++i];
        else if (args[i] == "-n" && i + 1 < args.size())
            o.name = args[++i];
        else if (args[i] == "--force")
            o.force = true;
        else if (o.path.empty() && !args[i].empty() && args[i][0] != '-')
            o.path = args[i];
        else
            return false;
    }
    return !o.path.empty();
}

}  // namespace

bool adventure_name(const std::string& path, std::string& name, std::string& error) {
    std::string stem = std::filesystem::path(path).filename().string();
    stem = stem.substr(0, stem.find('.'));
    name = ascii_upper(stem.substr(0, 8));
    if (name.empty() || !std::all_of(name.begin(), name.end(), [](char ch) {
            return letter_or_digit(static_cast<unsigned char>(ch));
        })) {
        error = "cannot form an adventure name (letters and digits) from '" + stem + "'; give one with -n NAME";
        return false;
    }
    return true;
}

int run_decompile(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    DecompileOptions o;
    if (!parse(args, o)) {
        print_usage(err, "decompile");
        return status_usage;
    }
    std::string name, error;
    if (!adventure_name(o.name.empty() ? o.path : o.name, name, error)) {
        err << "zeltool: " << error << "\n";
        return status_usage;
    }
    const std::optional<Database> db = load_database(o.path, err);
    if (!db)
        return status_failed;
    const std::string file = name + ".SCE";
    // --force replaces the file the compiler would read, whatever its case.
    const std::string existing = existing_file(o.dir, file);
    const std::string target = existing.empty() ? (std::filesystem::path(o.dir) / file).string() : existing;
    if (!existing.empty() && !o.force) {
        err << "zeltool: " << existing << " exists; nothing written (--force replaces it)\n";
        return status_failed;
    }
    std::error_code ec;
    if (!o.dir.empty())
        std::filesystem::create_directories(o.dir, ec);
    if (ec) {
        err << "zeltool: cannot create the folder " << o.dir << ": " << ec.message() << "\n";
        return status_failed;
    }
    std::ostringstream source;
    const int status = decompile_to(*db, name, source, err);
    if (!write_file(target, source.str(), o.force, error)) {
        err << "zeltool: " << error << "\n";
        return status_failed;
    }
    Decompiled d;
    d.name = name;
    d.compressed = db->tokens.has_value();
    out << "Wrote " << target << "\n";
    if (status == status_ok)
        out << "It compiles back into the identical " << db->bytes.size() << " bytes with: " << compile_command(d)
            << "\n";
    return status;
}

}  // namespace zel::tool
