// The base protocol: messages framed by a Content-Length header over a pair
// of byte streams.
#pragma once

#include <istream>
#include <ostream>
#include <string>

namespace zel::lsp {

class Transport {
public:
    // A body this long holds a document of 16 MiB even when every byte of
    // it is escaped; a longer one is read past and dropped.
    static constexpr std::size_t largest_message = 128u << 20;

    Transport(std::istream& in, std::ostream& out) : in_(in), out_(out) {}

    enum class Read {
        message,    // body holds the next message
        end,        // the input has ended
        bad_header, // a header without a usable Content-Length; passed over
        too_large,  // a body longer than largest_message; passed over
    };
    // A stream that has fallen out of step (a body shorter or longer than
    // its Content-Length) is taken up again at the next Content-Length
    // header: one found within a header line, or within a body where JSON
    // cannot have it (followed by a bare line end).
    Read read(std::string& body);
    void write(const std::string& body);
    // Whether more input waits in the stream's buffer, so that reading it
    // would not block.
    bool more_waiting() const;

private:
    int get();
    bool read_bytes(char* to, std::size_t n);
    bool read_header_line(std::string& line);
    bool skip(std::size_t bytes);
    void resynchronise(std::string& body);

    std::istream& in_;
    std::ostream& out_;
    // Bytes read past a framing fault, to be read again as the next message.
    std::string pending_;
    std::size_t pending_at_ = 0;
};

}  // namespace zel::lsp
