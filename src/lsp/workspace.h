// The open documents and the adventures that hold them. A document belongs
// to the adventure whose /LNK chain reaches it from a .SCE file of the same
// folder, or is an adventure of its own. Every change marks the adventures
// that read the document; they are compiled again, in memory, when the
// server has no more input waiting or a request needs them, and their
// diagnostics are published for every file of the chain.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "lsp/analysis.h"
#include "lsp/settings.h"

namespace zel::lsp {

// The key of the adventure whose source is at that place.
std::string key_of(const DocumentPlace& place);

class Workspace {
public:
    // Sends a message to the client (textDocument/publishDiagnostics), as
    // text.
    using Send = std::function<void(const std::string& body)>;
    static constexpr std::size_t largest_document = 16u << 20;

    explicit Workspace(Send send) : send_(std::move(send)) {}

    Encoding encoding = Encoding::utf16;
    // Whether "file:" documents are files of the disk, whose folder holds
    // the rest of their adventure; without it (a web page, a fuzzer) only
    // the open documents exist.
    bool use_disk = true;
    Settings settings;  // what the client set
    // What the client takes in workspace edits (lsp/features.h EditOptions).
    bool versioned_edits = false, resolves_edits = false;

    void open(const std::string& uri, std::string text, int version);
    void change(const std::string& uri, std::string text, int version);
    void close(const std::string& uri);
    void save(const std::string& uri);

    // Compiles every adventure a change has touched and publishes its
    // diagnostics, with lint's findings as they were (moved with the lines
    // that changed).
    void compile_pending();
    // Lints what has compiled without errors since, and publishes the
    // files whose findings are not those shown.
    void lint_pending();

    // The analysis that holds an open document, and the document's file in
    // it (-1 when the compiler did not read it); compiled first if a change
    // is pending. analysis is null for a document that is not open.
    struct View {
        const Analysis* analysis = nullptr;
        int file = -1;
    };
    View view(const std::string& uri);
    // The analysis of every adventure that holds an open document, each
    // compiled first if a change is pending (lsp/workspace_symbols.cpp).
    std::vector<const Analysis*> analyses();
    const Document* document(const std::string& uri) const;

private:
    struct Adventure {
        DocumentPlace root;  // the folder and the adventure's source file
        std::shared_ptr<Analysis> analysis;
        // The last analysis without errors: its lint findings stand while
        // errors keep lint from running (most of the time a word is typed).
        std::shared_ptr<const Analysis> clean;
        bool dirty = true;
        bool unpublished = false;  // analysed since its diagnostics were last published
        std::map<std::string, std::vector<std::string>> shown_findings;  // by URI, as last published
        std::set<std::string> published;  // URIs last given diagnostics
    };

    std::shared_ptr<Analysis> compile_root(const DocumentPlace& root);
    static void settle(Adventure& adventure, std::shared_ptr<Analysis> analysis);
    std::string find_holder(const Document& document);
    void compile(std::string key);
    void adopt_and_release(std::string key);
    void mark_readers(const std::string& uri, const DocumentPlace& place);
    void forget_unheld();
    void publish(Adventure& adventure);
    void lint(Adventure& adventure);
    void send_publication(Adventure& adventure, const std::string& uri, const json& version,
                          const std::vector<std::string>& diagnostics, std::vector<std::string> findings);

    Send send_;
    std::map<std::string, Document> documents_;    // by URI
    std::map<std::string, Adventure> adventures_;  // by the root's URI
    std::map<std::string, std::string> holders_;   // document URI -> adventure
    DiskCache cache_;
    std::uint64_t next_serial_ = 1;
};

}  // namespace zel::lsp
