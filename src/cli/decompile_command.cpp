// zeltool decompile: writes the source of a database and proves that it
// compiles back into the same bytes.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/commands.h"
#include "inspect/database_tools.h"

namespace zel::tool {

namespace {

bool letter_or_digit(unsigned char ch) { return (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9'); }

// The adventure name the compiler would form from a database's file name:
// its stem up to the first dot, upper-cased and cut to eight characters.
bool adventure_name(const std::string& path, std::string& name, std::string& error) {
    std::string stem = std::filesystem::path(path).filename().string();
    stem = stem.substr(0, stem.find('.'));
    name.clear();
    for (char ch : stem.substr(0, 8))
        name.push_back(ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 'a' + 'A') : ch);
    if (name.empty() || !std::all_of(name.begin(), name.end(), [](char ch) {
            return letter_or_digit(static_cast<unsigned char>(ch));
        })) {
        error = "cannot form an adventure name (letters and digits) from '" + stem + "'; give one with -n NAME";
        return false;
    }
    return true;
}

}  // namespace

int run_decompile(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string path, dir = ".", name;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o" && i + 1 < args.size())
            dir = args[++i];
        else if (args[i] == "-n" && i + 1 < args.size())
            name = args[++i];
        else if (path.empty() && !args[i].empty() && args[i][0] != '-')
            path = args[i];
        else {
            err << "usage: zeltool decompile GAME.ZDB [-o DIR] [-n NAME]\n";
            return status_usage;
        }
    }
    if (path.empty()) {
        err << "usage: zeltool decompile GAME.ZDB [-o DIR] [-n NAME]\n";
        return status_usage;
    }
    std::string error;
    if (!adventure_name(name.empty() ? path : name, name, error)) {
        err << "zeltool: " << error << "\n";
        return status_usage;
    }
    const std::optional<Database> db = load_database(path, err);
    if (!db)
        return status_failed;
    std::ostringstream source;
    const int status = decompile_to(*db, name, source, err);
    const std::string target = (std::filesystem::path(dir) / (name + ".SCE")).string();
    std::ofstream file(target, std::ios::binary);
    file << source.str();
    file.close();
    if (!file) {
        err << "zeltool: cannot write " << target << "\n";
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
