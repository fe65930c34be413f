#include "cli/standard_output.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zel::tool {

namespace {

constexpr std::size_t buffer_size = 1 << 16;

}  // namespace

StandardOutput::StandardOutput() : line_buffered_(::isatty(1) == 1) { buffer_.reserve(buffer_size); }

StandardOutput::~StandardOutput() { drain(); }

bool StandardOutput::drain() {
    std::size_t done = 0;
    while (error_ == 0 && done < buffer_.size()) {
        const ssize_t n = ::write(1, buffer_.data() + done, buffer_.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            error_ = n < 0 ? errno : EIO;
        else
            done += static_cast<std::size_t>(n);
    }
    buffer_.clear();
    return error_ == 0;
}

StandardOutput::int_type StandardOutput::overflow(int_type ch) {
    if (traits_type::eq_int_type(ch, traits_type::eof()))
        return sync() == 0 ? traits_type::not_eof(ch) : traits_type::eof();
    const char c = traits_type::to_char_type(ch);
    return xsputn(&c, 1) == 1 ? ch : traits_type::eof();
}

// A failed write makes the stream fail, so that the command wastes no more
// work on output that goes nowhere.
std::streamsize StandardOutput::xsputn(const char* text, std::streamsize count) {
    if (error_ != 0)
        return 0;
    const std::size_t n = static_cast<std::size_t>(count);
    buffer_.insert(buffer_.end(), text, text + n);
    const bool line_end = line_buffered_ && std::memchr(text, '\n', n) != nullptr;
    if ((buffer_.size() >= buffer_size || line_end) && !drain())
        return 0;
    return count;
}

int StandardOutput::sync() { return drain() ? 0 : -1; }

}  // namespace zel::tool
