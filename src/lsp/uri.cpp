#include "lsp/uri.h"

namespace zel::lsp {

namespace {

int hex_value(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string percent_decoded(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const int high = hex_value(text[i + 1]), low = hex_value(text[i + 2]);
            if (high >= 0 && low >= 0) {
                out.push_back(static_cast<char>(high * 16 + low));
                i += 2;
                continue;
            }
        }
        out.push_back(text[i]);
    }
    return out;
}

// Letters, digits and the few marks a path keeps as they are; everything
// else is written as %XX, as editors do.
std::string percent_encoded(const std::string& path) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (const char ch : path) {
        const auto c = static_cast<unsigned char>(ch);
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           c == '/' || c == '-' || c == '.' || c == '_' || c == '~';
        if (plain) {
            out.push_back(ch);
        } else {
            out.push_back('%');
            out.push_back(digits[c >> 4]);
            out.push_back(digits[c & 15]);
        }
    }
    return out;
}

}  // namespace

DocumentPlace place_of(const std::string& uri) {
    DocumentPlace place;
    std::string path = uri;
    const std::string file_scheme = "file://";
    if (uri.compare(0, file_scheme.size(), file_scheme) == 0) {
        path = percent_decoded(uri.substr(file_scheme.size()));
        // file://host/path: only the local host is a disk we can read.
        const std::size_t first_slash = path.find('/');
        place.on_disk = first_slash == 0;
        if (first_slash != std::string::npos && first_slash > 0 && path.compare(0, first_slash, "localhost") == 0) {
            path.erase(0, first_slash);
            place.on_disk = true;
        }
    }
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        place.name = path;
    } else {
        place.folder = path.substr(0, slash);
        place.name = path.substr(slash + 1);
    }
    return place;
}

std::string uri_of(const DocumentPlace& place) {
    if (!place.on_disk)
        return place.folder.empty() ? place.name : place.folder + "/" + place.name;
    return "file://" + percent_encoded(place.folder + "/" + place.name);
}

}  // namespace zel::lsp
