#include "lsp/transport.h"

#include <cctype>
#include <algorithm>
#include <charconv>
#include <vector>

namespace zel::lsp {

namespace {

constexpr std::size_t longest_header_line = 1024;

bool starts_with_ignoring_case(const std::string& text, const std::string& start) {
    if (text.size() < start.size())
        return false;
    for (std::size_t i = 0; i < start.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(start[i])))
            return false;
    return true;
}

// The value of a Content-Length header line, or -1.
long long content_length(const std::string& line) {
    const std::string name = "content-length:";
    if (!starts_with_ignoring_case(line, name))
        return -1;
    std::size_t at = name.size();
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t'))
        ++at;
    std::size_t end = line.size();
    while (end > at && (line[end - 1] == ' ' || line[end - 1] == '\t'))
        --end;
    long long value = -1;
    const auto [ptr, ec] = std::from_chars(line.data() + at, line.data() + end, value);
    if (ec != std::errc() || ptr != line.data() + end || at == end)
        return -1;
    return value;
}

// Where a Content-Length header starts in a text, from `from` on; npos when
// none does.
std::size_t find_header(std::string_view text, std::size_t from = 0) {
    static const std::string name = "content-length:";
    for (std::size_t at = from; at + name.size() <= text.size(); ++at) {
        std::size_t k = 0;
        while (k < name.size() && std::tolower(static_cast<unsigned char>(text[at + k])) == name[k])
            ++k;
        if (k == name.size())
            return at;
    }
    return std::string_view::npos;
}

// Where a header "Content-Length: N" that ends at a line end starts within
// a body, or npos. JSON holds no such thing: those digits would stand
// inside a string, and no raw line end can follow them there. Found from
// the line ends, which a body seldom has, so that a large body costs one
// quick scan.
std::size_t header_within(std::string_view body) {
    constexpr std::string_view name = "content-length:";
    for (std::size_t end = body.find('\n'); end != std::string_view::npos; end = body.find('\n', end + 1)) {
        std::size_t at = end;
        if (at > 0 && body[at - 1] == '\r')
            --at;
        const std::size_t digits_end = at;
        while (at > 0 && body[at - 1] >= '0' && body[at - 1] <= '9')
            --at;
        if (at == digits_end)
            continue;
        while (at > 0 && (body[at - 1] == ' ' || body[at - 1] == '\t'))
            --at;
        if (at >= name.size() && find_header(body.substr(at - name.size(), name.size())) == 0)
            return at - name.size();
    }
    return std::string_view::npos;
}

}  // namespace

int Transport::get() {
    if (pending_at_ < pending_.size())
        return static_cast<unsigned char>(pending_[pending_at_++]);
    return in_.get();
}

bool Transport::read_bytes(char* to, std::size_t n) {
    const std::size_t kept = std::min(n, pending_.size() - pending_at_);
    std::copy_n(pending_.data() + pending_at_, kept, to);
    pending_at_ += kept;
    if (pending_at_ == pending_.size()) {
        pending_.clear();
        pending_at_ = 0;
    }
    return kept == n || static_cast<bool>(in_.read(to + kept, static_cast<std::streamsize>(n - kept)));
}

// One header line without its CR LF (a bare LF is taken too). Of a line
// longer than any real header only the end is kept, where a header may
// follow what is left of a body that ran past its length.
bool Transport::read_header_line(std::string& line) {
    line.clear();
    for (int c = get(); c != std::char_traits<char>::eof(); c = get()) {
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            // The end of a body that ran past its length, then a header.
            if (const std::size_t at = find_header(line); at != std::string::npos && at > 0)
                line.erase(0, at);
            return true;
        }
        if (line.size() == longest_header_line)
            line.erase(0, longest_header_line / 2);
        line.push_back(static_cast<char>(c));
    }
    return false;
}

bool Transport::skip(std::size_t bytes) {
    std::vector<char> chunk(64 * 1024);
    while (bytes > 0) {
        const std::size_t n = std::min(bytes, chunk.size());
        if (!read_bytes(chunk.data(), n))
            return false;
        bytes -= n;
    }
    return true;
}

Transport::Read Transport::read(std::string& body) {
    body.clear();
    long long length = -1;
    bool any_header = false;
    std::string line;
    for (;;) {
        if (!read_header_line(line))
            return Read::end;
        if (line.empty()) {
            if (any_header)
                break;
            continue;  // blank lines between messages are passed over
        }
        any_header = true;
        if (const long long value = content_length(line); value >= 0)
            length = value;
    }
    if (length < 0)
        return Read::bad_header;
    const auto size = static_cast<std::size_t>(length);
    if (size > largest_message)
        return skip(size) ? Read::too_large : Read::end;
    // In pieces, so that a header that promises more than ever comes costs
    // no more memory than what came.
    constexpr std::size_t piece = 1 << 20;
    while (body.size() < size) {
        const std::size_t had = body.size();
        const std::size_t n = std::min(piece, size - had);
        body.resize(had + n);
        if (!read_bytes(body.data() + had, n))
            return Read::end;
    }
    resynchronise(body);
    return Read::message;
}

// A body longer than its message: the next message's header within it
// starts the next read, and the body ends before it.
void Transport::resynchronise(std::string& body) {
    const std::size_t at = header_within(body);
    if (at == std::string::npos)
        return;
    pending_ = body.substr(at) + pending_.substr(pending_at_);
    pending_at_ = 0;
    body.resize(at);
}

void Transport::write(const std::string& body) {
    out_ << "Content-Length: " << body.size() << "\r\n\r\n" << body;
    out_.flush();
}

bool Transport::more_waiting() const {
    return pending_at_ < pending_.size() || (in_.good() && in_.rdbuf() != nullptr && in_.rdbuf()->in_avail() > 0);
}

}  // namespace zel::lsp
