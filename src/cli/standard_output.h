// The standard output of zeltool: buffered, written out line by line when it
// is a terminal, and remembering why writing failed, so that output that
// never arrived is reported as a failure.
#pragma once

#include <streambuf>
#include <vector>

namespace zel::tool {

class StandardOutput : public std::streambuf {
public:
    StandardOutput();
    ~StandardOutput() override;
    StandardOutput(const StandardOutput&) = delete;
    StandardOutput& operator=(const StandardOutput&) = delete;

    // The system's error number of the first write that failed; 0 while
    // every write succeeded. After a failure nothing more is written.
    int error() const { return error_; }

protected:
    int_type overflow(int_type ch) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int sync() override;

private:
    bool drain();

    std::vector<char> buffer_;
    bool line_buffered_;
    int error_ = 0;
};

}  // namespace zel::tool
