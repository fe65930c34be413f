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

}  // namespace

// One header line without its CR LF (a bare LF is taken too). A line longer
// than any real header is cut, and the rest of it passed over.
bool Transport::read_header_line(std::string& line) {
    line.clear();
    for (int c = in_.get(); c != std::char_traits<char>::eof(); c = in_.get()) {
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            return true;
        }
        if (line.size() < longest_header_line)
            line.push_back(static_cast<char>(c));
    }
    return false;
}

bool Transport::skip(std::size_t bytes) {
    std::vector<char> chunk(64 * 1024);
    while (bytes > 0) {
        const std::size_t n = std::min(bytes, chunk.size());
        if (!in_.read(chunk.data(), static_cast<std::streamsize>(n)))
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
        if (!in_.read(body.data() + had, static_cast<std::streamsize>(n)))
            return Read::end;
    }
    return Read::message;
}

void Transport::write(const std::string& body) {
    out_ << "Content-Length: " << body.size() << "\r\n\r\n" << body;
    out_.flush();
}

bool Transport::more_waiting() const {
    return in_.good() && in_.rdbuf() != nullptr && in_.rdbuf()->in_avail() > 0;
}

}  // namespace zel::lsp
