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

namespace zel::lsp {

class Workspace {
public:
    // Sends a notification to the client: textDocument/publishDiagnostics,
    // window/showMessage.
    using Notify = std::function<void(const std::string& method, json params)>;
    static constexpr std::size_t largest_document = 16u << 20;

    explicit Workspace(Notify notify) : notify_(std::move(notify)) {}

    Encoding encoding = Encoding::utf16;
    // Whether "file:" documents are files of the disk, whose folder holds
    // the rest of their adventure; without it (a web page, a fuzzer) only
    // the open documents exist.
    bool use_disk = true;

    void open(const std::string& uri, std::string text, int version);
    void change(const std::string& uri, std::string text, int version);
    void close(const std::string& uri);
    void save(const std::string& uri);

    // Compiles every adventure a change has touched, lints what compiled
    // without errors, and publishes the diagnostics of each once.
    void compile_pending();

    // The analysis that holds an open document, and the document's file in
    // it (-1 when the compiler did not read it); compiled first if a change
    // is pending. analysis is null for a document that is not open.
    struct View {
        const Analysis* analysis = nullptr;
        int file = -1;
    };
    View view(const std::string& uri);
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
    json diagnostics_of(const Analysis& analysis, int file) const;

    void send_diagnostics(json params) { notify_("textDocument/publishDiagnostics", std::move(params)); }

    Notify notify_;
    std::map<std::string, Document> documents_;    // by URI
    std::map<std::string, Adventure> adventures_;  // by the root's URI
    std::map<std::string, std::string> holders_;   // document URI -> adventure
    DiskCache cache_;
    std::uint64_t next_serial_ = 1;
};

}  // namespace zel::lsp
