// The sources a compilation reads: open documents take the place of their
// files on disk, every other file is read from disk once and kept while an
// analysis uses it. Nothing is ever written: the file system refuses to
// create, remove or rename.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/platform.h"
#include "lsp/uri.h"

namespace zel::lsp {

// A document the editor has open.
struct Document {
    std::string uri;  // as the editor names it
    DocumentPlace place;
    std::shared_ptr<const std::string> text;
    int version = 0;
    std::uint64_t serial = 0;  // tells documents apart as files
    bool too_large = false;    // its text was not kept; it reads as empty
};

// A source the compiler read, in the order it opened them.
struct ServedSource {
    std::string uri;
    std::shared_ptr<const std::string> text;  // null for a file too large to keep
    const Document* document = nullptr;       // when an open document stood in
};

// Disk files already read, by path, while an analysis holds their text.
class DiskCache {
public:
    // The text of the file behind `input`, read now unless the cache holds
    // it unchanged; null for a file larger than most_kept.
    std::shared_ptr<const std::string> text(const std::string& path, InputFile& input);
    static constexpr std::size_t most_kept = 16u << 20;

private:
    struct Entry {
        std::uint64_t device = 0, inode = 0, size = 0;
        std::int64_t modified = 0;
        std::weak_ptr<const std::string> text;
    };
    std::map<std::string, Entry> entries_;
};

// The files of one folder. The first file the compiler asks for is the
// adventure's own source: when that is an open document it is read whatever
// name the compiler formed (an unsaved buffer's name makes no file name).
class WorkspaceFiles : public FileSystem {
public:
    WorkspaceFiles(DocumentPlace folder, const std::map<std::string, Document>& documents, DiskCache& cache,
                   const Document* root = nullptr)
        : folder_(std::move(folder)), documents_(documents), cache_(cache), root_(root) {}

    std::unique_ptr<InputFile> open_source(const std::string& name, FileId& id) override;
    std::unique_ptr<OutputFile> create(const std::string&) override { return nullptr; }
    bool remove(const std::string&) override { return false; }
    bool rename(const std::string&, const std::string&) override { return false; }

    const std::vector<ServedSource>& served() const { return served_; }
    // The names asked for that no file or document answered.
    const std::vector<std::string>& missing() const { return missing_; }

private:
    const Document* document_named(const std::string& name) const;

    DocumentPlace folder_;  // its name is unused
    const std::map<std::string, Document>& documents_;
    DiskCache& cache_;
    const Document* root_;
    std::vector<ServedSource> served_;
    std::vector<std::string> missing_;
};

bool same_ignoring_case(const std::string& a, const std::string& b);

}  // namespace zel::lsp
