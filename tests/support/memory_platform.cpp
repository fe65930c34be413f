#include "memory_platform.h"

#include <algorithm>

namespace zel::testing {

namespace {

// Delivers at most read_chunk bytes a read, and fails once read_fails_after
// bytes of a faulty file were delivered.
class FaultyInput : public InputFile {
public:
    FaultyInput(std::unique_ptr<InputFile> inner, const Faults& faults, bool faulty)
        : inner_(std::move(inner)), faults_(faults), faulty_(faulty) {}
    long read(char* buffer, std::size_t size) override {
        size = std::min(size, faults_.read_chunk);
        if (faulty_ && faults_.read_fails_after >= 0) {
            if (at_ >= faults_.read_fails_after)
                return -1;
            size = std::min(size, static_cast<std::size_t>(faults_.read_fails_after - at_));
        }
        const long n = inner_->read(buffer, size);
        at_ += std::max(n, 0L);
        return n;
    }

private:
    std::unique_ptr<InputFile> inner_;
    const Faults& faults_;
    bool faulty_;
    long at_ = 0;
};

// Passes bytes on until write_fails_after of them were accepted; then fails
// every write, or loses the bytes silently so that only the close tells.
class FaultyOutput : public OutputFile {
public:
    FaultyOutput(std::unique_ptr<OutputFile> inner, const Faults& faults) : inner_(std::move(inner)), faults_(faults) {}
    bool write(const unsigned char* bytes, std::size_t size) override {
        for (std::size_t i = 0; i < size; ++i) {
            failed_ = failed_ || (faults_.write_fails_after >= 0 && accepted_ >= faults_.write_fails_after);
            if (!failed_) {
                inner_->write(bytes + i, 1);
                ++accepted_;
            } else if (faults_.silent_write_failure) {
                ++lost_;  // lost in a buffer: neither the call nor the position tells
            } else {
                return false;
            }
        }
        return true;
    }
    long position() override { return faults_.position ? -1 : inner_->position() + lost_; }
    bool rewind() override {
        if (faults_.rewind)
            return false;
        lost_ = 0;
        return inner_->rewind();
    }
    bool close() override { return !faults_.close && !failed_ && inner_->close(); }

private:
    std::unique_ptr<OutputFile> inner_;
    const Faults& faults_;
    long accepted_ = 0;  // bytes taken over the stream's whole life
    long lost_ = 0;      // bytes lost since the last rewind
    bool failed_ = false;
};

}  // namespace

std::unique_ptr<InputFile> MemoryFileSystem::open_source(const std::string& name, FileId& id) {
    auto input = faults.open_source ? nullptr : MemoryFiles::open_source(name, id);
    if (!input)
        return nullptr;
    const bool faulty = faults.read_fails_in.empty() || faults.read_fails_in == name;
    return std::make_unique<FaultyInput>(std::move(input), faults, faulty);
}

std::unique_ptr<OutputFile> MemoryFileSystem::create(const std::string& name) {
    log.push_back("create " + name);
    if (faults.create)
        return nullptr;
    return std::make_unique<FaultyOutput>(MemoryFiles::create(name), faults);
}

bool MemoryFileSystem::remove(const std::string& name) {
    log.push_back("remove " + name);
    return !faults.remove && MemoryFiles::remove(name);
}

bool MemoryFileSystem::rename(const std::string& from, const std::string& to) {
    log.push_back("rename " + from + " " + to);
    return !faults.rename && MemoryFiles::rename(from, to);
}

}  // namespace zel::testing
