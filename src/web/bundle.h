// The page's calls into the library pass one buffer each way: a list of
// named byte strings, each name and each value preceded by its length (four
// bytes, least significant first). Bytes stay bytes: nothing is decoded.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace zel::web {

struct Entry {
    std::string name;
    std::string value;
};

class Bundle {
public:
    Bundle() = default;
    // Reads a buffer; what follows a truncated entry is dropped.
    Bundle(const unsigned char* bytes, std::size_t size);

    void add(std::string name, std::string value) { entries_.push_back({std::move(name), std::move(value)}); }
    // The value of the first entry of that name; empty when there is none.
    std::string get(const std::string& name) const;
    // The values of every entry of that name, in order.
    std::vector<std::string> all(const std::string& name) const;
    const std::vector<Entry>& entries() const { return entries_; }

    std::string bytes() const;

private:
    std::vector<Entry> entries_;
};

}  // namespace zel::web
