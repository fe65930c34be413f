#include "web/bundle.h"

#include <cstdint>

namespace zel::web {

namespace {

bool read_part(const unsigned char* bytes, std::size_t size, std::size_t& at, std::string& part) {
    if (size - at < 4)
        return false;
    const std::uint32_t length = bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
    at += 4;
    if (size - at < length)
        return false;
    part.assign(reinterpret_cast<const char*>(bytes + at), length);
    at += length;
    return true;
}

void write_part(const std::string& part, std::string& out) {
    const auto length = static_cast<std::uint32_t>(part.size());
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>(length >> shift & 0xff));
    out += part;
}

}  // namespace

Bundle::Bundle(const unsigned char* bytes, std::size_t size) {
    std::size_t at = 0;
    Entry e;
    while (read_part(bytes, size, at, e.name) && read_part(bytes, size, at, e.value))
        entries_.push_back(e);
}

std::string Bundle::get(const std::string& name) const {
    for (const Entry& e : entries_)
        if (e.name == name)
            return e.value;
    return {};
}

std::vector<std::string> Bundle::all(const std::string& name) const {
    std::vector<std::string> values;
    for (const Entry& e : entries_)
        if (e.name == name)
            values.push_back(e.value);
    return values;
}

std::string Bundle::bytes() const {
    std::string out;
    for (const Entry& e : entries_) {
        write_part(e.name, out);
        write_part(e.value, out);
    }
    return out;
}

}  // namespace zel::web
