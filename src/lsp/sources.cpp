#include "lsp/sources.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>

#include "core/memory_files.h"
#include "core/posix_platform.h"

namespace zel::lsp {

namespace {

// Open documents are files of a device no disk has.
constexpr std::uint64_t document_device = ~std::uint64_t{0};

}  // namespace

bool same_ignoring_case(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
           });
}

std::shared_ptr<const std::string> DiskCache::text(const std::string& path, InputFile& input) {
    struct stat st {};
    const bool known = ::stat(path.c_str(), &st) == 0;
    Entry now;
    if (known) {
        now.device = static_cast<std::uint64_t>(st.st_dev);
        now.inode = static_cast<std::uint64_t>(st.st_ino);
        now.size = static_cast<std::uint64_t>(st.st_size);
        now.modified = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        if (now.size > most_kept)
            return nullptr;
        const auto it = entries_.find(path);
        if (it != entries_.end() && it->second.device == now.device && it->second.inode == now.inode &&
            it->second.size == now.size && it->second.modified == now.modified)
            if (auto kept = it->second.text.lock())
                return kept;
    }
    auto text = std::make_shared<std::string>();
    char buffer[64 * 1024];
    for (long n; (n = input.read(buffer, sizeof buffer)) > 0;) {
        text->append(buffer, static_cast<std::size_t>(n));
        if (text->size() > most_kept)
            return nullptr;
    }
    std::erase_if(entries_, [](const auto& entry) { return entry.second.text.expired(); });
    if (known) {
        now.text = text;
        entries_[path] = now;
    }
    return text;
}

// An open document in the folder of that name: the name as asked first,
// then one that differs only in case, as the disk's files are found.
const Document* WorkspaceFiles::document_named(const std::string& name) const {
    const Document* other_case = nullptr;
    for (const auto& [uri, document] : documents_) {
        if (document.place.folder != folder_.folder || document.place.on_disk != folder_.on_disk)
            continue;
        if (document.place.name == name)
            return &document;
        if (!other_case && same_ignoring_case(document.place.name, name))
            other_case = &document;
    }
    return other_case;
}

std::unique_ptr<InputFile> WorkspaceFiles::open_source(const std::string& name, FileId& id) {
    const Document* document = served_.empty() && root_ ? root_ : document_named(name);
    if (document) {
        id.device = document_device;
        id.inode = document->serial;
        id.found = document->place.name;
        auto text = document->too_large ? std::make_shared<const std::string>() : document->text;
        served_.push_back({document->uri, text, document});
        return std::make_unique<StringInput>(text);
    }
    if (!folder_.on_disk) {
        missing_.push_back(name);
        return nullptr;
    }
    PosixFileSystem disk(folder_.folder.empty() ? "/" : folder_.folder, SourceFiles::regular_only);
    std::unique_ptr<InputFile> file = disk.open_source(name, id);
    if (!file) {
        missing_.push_back(name);
        return nullptr;
    }
    DocumentPlace place = folder_;
    place.name = id.found;
    auto text = cache_.text(folder_.folder + "/" + id.found, *file);
    served_.push_back({uri_of(place), text, nullptr});
    if (!text)
        return disk.open_source(id.found, id);  // too large to keep: read as it comes
    return std::make_unique<StringInput>(text);
}

}  // namespace zel::lsp
