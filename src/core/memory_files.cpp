#include "core/memory_files.h"

#include <algorithm>

#include "core/ascii.h"

namespace zel {

long StringInput::read(char* buffer, std::size_t size) {
    const std::size_t n = std::min(size, text_.size() - at_);
    std::copy_n(text_.data() + at_, n, buffer);
    at_ += n;
    return static_cast<long>(n);
}

namespace {

class StringOutput : public OutputFile {
public:
    explicit StringOutput(std::string& target) : target_(target) { target_.clear(); }
    bool write(const unsigned char* bytes, std::size_t size) override {
        for (std::size_t i = 0; i < size; ++i, ++pos_) {
            if (pos_ < target_.size())
                target_[pos_] = static_cast<char>(bytes[i]);
            else
                target_.push_back(static_cast<char>(bytes[i]));
        }
        return true;
    }
    long position() override { return static_cast<long>(pos_); }
    bool rewind() override {
        pos_ = 0;
        return true;
    }
    bool close() override { return true; }

private:
    std::string& target_;
    std::size_t pos_ = 0;
};

}  // namespace

// The file of that name, or else the first, in byte order, whose name
// differs from it only in case.
std::map<std::string, std::string>::iterator MemoryFiles::find(const std::string& name) {
    const auto exact = files.find(name);
    if (exact != files.end())
        return exact;
    const std::string upper = ascii_upper(name);
    return std::find_if(files.begin(), files.end(), [&](const auto& file) { return ascii_upper(file.first) == upper; });
}

std::uint64_t MemoryFiles::id_of(const std::string& name) {
    const auto [it, added] = ids_.try_emplace(name, next_id_);
    next_id_ += added ? 1 : 0;
    return it->second;
}

std::unique_ptr<InputFile> MemoryFiles::open_source(const std::string& name, FileId& id) {
    const auto it = find(name);
    if (it == files.end())
        return nullptr;
    id.device = 1;
    id.inode = id_of(it->first);
    id.found = it->first;
    return std::make_unique<StringInput>(it->second);
}

std::unique_ptr<OutputFile> MemoryFiles::create(const std::string& name) {
    id_of(name);
    return std::make_unique<StringOutput>(files[name]);
}

bool MemoryFiles::remove(const std::string& name) {
    files.erase(name);
    ids_.erase(name);
    return true;
}

bool MemoryFiles::rename(const std::string& from, const std::string& to) {
    const auto it = files.find(from);
    if (it == files.end())
        return false;
    std::string contents = std::move(it->second);
    files.erase(it);
    files[to] = std::move(contents);
    const std::uint64_t id = id_of(from);
    ids_.erase(from);
    ids_[to] = id;
    return true;
}

}  // namespace zel
