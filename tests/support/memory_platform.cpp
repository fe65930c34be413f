#include "memory_platform.h"

#include <algorithm>

namespace zel::testing {

namespace {

class MemoryInput : public InputFile {
public:
    MemoryInput(const std::string& text, const Faults& faults, bool faulty)
        : text_(text), faults_(faults), faulty_(faulty) {}
    long read(char* buffer, std::size_t size) override {
        const bool fails = faulty_ && faults_.read_fails_after >= 0;
        if (fails && static_cast<long>(at_) >= faults_.read_fails_after)
            return -1;
        std::size_t n = std::min({size, text_.size() - at_, faults_.read_chunk});
        if (fails)
            n = std::min(n, static_cast<std::size_t>(faults_.read_fails_after) - at_);
        std::copy_n(text_.data() + at_, n, buffer);
        at_ += n;
        return static_cast<long>(n);
    }

private:
    std::string text_;
    const Faults& faults_;
    bool faulty_;
    std::size_t at_ = 0;
};

class MemoryOutput : public OutputFile {
public:
    MemoryOutput(std::string& target, const Faults& faults) : target_(target), faults_(faults) {}
    bool write(const unsigned char* bytes, std::size_t size) override {
        for (std::size_t i = 0; i < size; ++i) {
            if (failed_ || (faults_.write_fails_after >= 0 && static_cast<long>(accepted_) >= faults_.write_fails_after))
                failed_ = true;
            if (!failed_)
                put(bytes[i]);
            else if (faults_.silent_write_failure)
                ++pos_;  // lost in a buffer: neither the call nor the position tells
            else
                return false;
        }
        return true;
    }
    long position() override { return faults_.position ? -1 : static_cast<long>(pos_); }
    bool rewind() override {
        if (faults_.rewind)
            return false;
        pos_ = 0;
        return true;
    }
    bool close() override { return !faults_.close && !failed_; }

private:
    void put(unsigned char byte) {
        if (pos_ < target_.size())
            target_[pos_] = static_cast<char>(byte);
        else
            target_.push_back(static_cast<char>(byte));
        ++pos_;
        ++accepted_;
    }

    std::string& target_;
    const Faults& faults_;
    std::size_t pos_ = 0;
    std::size_t accepted_ = 0;  // bytes taken over the stream's whole life
    bool failed_ = false;
};

}  // namespace

std::unique_ptr<InputFile> MemoryFileSystem::open_source(const std::string& name, FileId& id) {
    auto it = files.find(name);
    if (faults.open_source || it == files.end())
        return nullptr;
    id.device = 1;
    auto known = ids.try_emplace(name, ids.size() + 1).first;
    id.inode = known->second;
    id.found = name;
    const bool faulty = faults.read_fails_in.empty() || faults.read_fails_in == name;
    return std::make_unique<MemoryInput>(it->second, faults, faulty);
}

std::unique_ptr<OutputFile> MemoryFileSystem::create(const std::string& name) {
    log.push_back("create " + name);
    if (faults.create)
        return nullptr;
    files[name].clear();
    return std::make_unique<MemoryOutput>(files[name], faults);
}

bool MemoryFileSystem::remove(const std::string& name) {
    log.push_back("remove " + name);
    if (faults.remove)
        return false;
    files.erase(name);
    return true;
}

bool MemoryFileSystem::rename(const std::string& from, const std::string& to) {
    log.push_back("rename " + from + " " + to);
    if (faults.rename || !has(from))
        return false;
    files[to] = files[from];
    files.erase(from);
    return true;
}

}  // namespace zel::testing
