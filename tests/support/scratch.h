// Files on disk for tests: a fresh folder that is removed at the end, and the
// bytes of a file.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace zel::testing {

inline std::string slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct Scratch {
    std::filesystem::path dir;
    Scratch() {
        char pattern[] = "/tmp/zeltest.XXXXXX";
        if (::mkdtemp(pattern) == nullptr)
            throw std::runtime_error("cannot make a working folder");
        dir = pattern;
    }
    ~Scratch() { std::filesystem::remove_all(dir); }
};

}  // namespace zel::testing
