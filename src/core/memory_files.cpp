#include "core/memory_files.h"

#include <algorithm>

namespace zel {

namespace {

class StringInput : public InputFile {
public:
    explicit StringInput(const std::string& text) : text_(text) {}
    long read(char* buffer, std::size_t size) override {
        const std::size_t n = std::min(size, text_.size() - at_);
        std::copy_n(text_.data() + at_, n, buffer);
        at_ += n;
        return static_cast<long>(n);
    }

private:
    const std::string& text_;
    std::size_t at_ = 0;
};

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

std::unique_ptr<InputFile> MemoryFiles::open_source(const std::string& name, FileId& id) {
    const auto it = files.find(name);
    if (it == files.end())
        return nullptr;
    id.device = 1;
    id.inode = static_cast<std::uint64_t>(std::distance(files.begin(), it)) + 1;
    id.found = name;
    return std::make_unique<StringInput>(it->second);
}

std::unique_ptr<OutputFile> MemoryFiles::create(const std::string& name) {
    return std::make_unique<StringOutput>(files[name]);
}

bool MemoryFiles::remove(const std::string& name) {
    files.erase(name);
    return true;
}

bool MemoryFiles::rename(const std::string& from, const std::string& to) {
    const auto it = files.find(from);
    if (it == files.end())
        return false;
    std::string contents = std::move(it->second);
    files.erase(it);
    files[to] = std::move(contents);
    return true;
}

}  // namespace zel
