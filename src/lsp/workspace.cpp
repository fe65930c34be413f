#include "lsp/workspace.h"

#include <dirent.h>

#include <algorithm>
#include <vector>

#include "lsp/diagnostics.h"
#include "lsp/links.h"

namespace zel::lsp {

std::string key_of(const DocumentPlace& place) {
    return (place.on_disk ? "file:" : "other:") + place.folder + "/" + place.name;
}

namespace {

bool is_source_name(const std::string& name) {
    return name.size() > 4 && same_ignoring_case(name.substr(name.size() - 4), ".SCE");
}

// The adventure name the compiler is given for a source file: the file
// name without its extension. The compiler itself judges whether it is a
// valid name.
std::string adventure_name(const std::string& file) {
    const std::size_t dot = file.rfind('.');
    return dot == std::string::npos ? file : file.substr(0, dot);
}

// The source files of a folder on disk and among the open documents, one
// per name as the compiler would ask for it (upper case), in name order.
std::vector<std::string> sources_in(const DocumentPlace& folder, const std::map<std::string, Document>& documents) {
    std::map<std::string, std::string> by_upper;
    auto add = [&](const std::string& name) {
        std::string upper = name;
        std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
        by_upper.emplace(upper, name);
    };
    if (folder.on_disk) {
        if (DIR* dir = ::opendir(folder.folder.empty() ? "/" : folder.folder.c_str())) {
            while (const dirent* entry = ::readdir(dir))
                if (is_source_name(entry->d_name))
                    add(entry->d_name);
            ::closedir(dir);
        }
    }
    for (const auto& [uri, document] : documents)
        if (document.place.folder == folder.folder && document.place.on_disk == folder.on_disk &&
            is_source_name(document.place.name))
            add(document.place.name);
    std::vector<std::string> names;
    for (const auto& [upper, name] : by_upper)
        names.push_back(name);
    return names;
}

}  // namespace

void Workspace::open(const std::string& uri, std::string text, int version) {
    Document& document = documents_[uri];
    document.uri = uri;
    document.place = place_of(uri);
    document.place.on_disk = document.place.on_disk && use_disk;
    document.serial = next_serial_++;
    document.version = version;
    document.too_large = text.size() > largest_document;
    document.text = std::make_shared<const std::string>(document.too_large ? std::string() : std::move(text));
    mark_readers(uri, document.place);
    holders_[uri] = find_holder(document);
    forget_unheld();
}

void Workspace::change(const std::string& uri, std::string text, int version) {
    const auto it = documents_.find(uri);
    if (it == documents_.end())
        return;
    it->second.version = version;
    it->second.too_large = text.size() > largest_document;
    it->second.text = std::make_shared<const std::string>(it->second.too_large ? std::string() : std::move(text));
    mark_readers(uri, it->second.place);
}

void Workspace::close(const std::string& uri) {
    const auto it = documents_.find(uri);
    if (it == documents_.end())
        return;
    const DocumentPlace place = it->second.place;
    documents_.erase(it);
    holders_.erase(uri);
    mark_readers(uri, place);  // they read the file from disk from now on
    forget_unheld();
}

// The disk may have changed under the files that are not open.
void Workspace::save(const std::string&) {
    for (auto& [key, adventure] : adventures_)
        adventure.dirty = true;
}

const Document* Workspace::document(const std::string& uri) const {
    const auto it = documents_.find(uri);
    return it == documents_.end() ? nullptr : &it->second;
}

void Workspace::compile_pending() {
    // A compilation may hand a document it no longer reaches to an
    // adventure of its own, which is then compiled too; each document
    // changes hands at most once a round, so the rounds are few.
    for (std::size_t round = 0; round <= documents_.size(); ++round) {
        std::vector<std::string> keys;
        for (const auto& [key, adventure] : adventures_)
            if (adventure.dirty)
                keys.push_back(key);
        if (keys.empty())
            break;
        for (const std::string& key : keys)
            if (adventures_.count(key) != 0)
                compile(key);
    }
    for (auto& [key, adventure] : adventures_)
        if (adventure.unpublished && adventure.analysis)
            publish(adventure);
}

Workspace::View Workspace::view(const std::string& uri) {
    const auto holder = holders_.find(uri);
    if (holder == holders_.end())
        return {};
    auto it = adventures_.find(holder->second);
    if (it == adventures_.end())
        return {};
    if (it->second.dirty)
        compile(holder->second);
    // The compilation may have handed the document to another adventure.
    it = adventures_.find(holders_[uri]);
    if (it == adventures_.end() || !it->second.analysis)
        return {};
    if (it->second.dirty)
        compile(it->first);
    return {it->second.analysis.get(), it->second.analysis->file_of(uri)};
}

std::shared_ptr<Analysis> Workspace::compile_root(const DocumentPlace& root) {
    const auto document = std::find_if(documents_.begin(), documents_.end(),
                                       [&](const auto& d) { return key_of(d.second.place) == key_of(root); });
    WorkspaceFiles files(root, documents_, cache_, document == documents_.end() ? nullptr : &document->second);
    std::shared_ptr<Analysis> analysis = analyse(adventure_name(root.name), files);
    if (!analysis->missing.empty())
        note_misspelt_links(*analysis, sources_in(root, documents_));
    return analysis;
}

// The first source of the folder, in name order, whose chain reaches the
// document from another file; else the first whose chain stops at a link
// misspelt for it, when the document begins no adventure of its own; else
// the document itself.
std::string Workspace::find_holder(const Document& document) {
    std::string misspelt;
    for (const std::string& name : sources_in(document.place, documents_)) {
        if (same_ignoring_case(name, document.place.name))
            continue;
        DocumentPlace root = document.place;
        root.name = name;
        const std::string key = key_of(root);
        const auto known = adventures_.find(key);
        std::shared_ptr<Analysis> analysis;
        if (known != adventures_.end() && known->second.analysis && !known->second.dirty)
            analysis = known->second.analysis;
        else
            analysis = compile_root(root);
        const bool reaches = analysis->file_of(document.uri) > 0;
        if (!reaches && (!misspelt.empty() || !link_misspelt_for(*analysis, document.place.name)))
            continue;
        if (analysis != (known != adventures_.end() ? known->second.analysis : nullptr)) {
            Adventure& adventure = adventures_[key];
            adventure.root = root;
            settle(adventure, std::move(analysis));  // published once no input waits
        }
        if (reaches)
            return key;
        misspelt = key;
    }
    const std::string own = key_of(document.place);
    std::shared_ptr<Analysis> alone;
    if (!misspelt.empty()) {
        alone = compile_root(document.place);
        if (begins_no_adventure(*alone))
            return misspelt;
    }
    Adventure& adventure = adventures_[own];
    adventure.root = document.place;
    adventure.dirty = true;
    if (alone)
        settle(adventure, std::move(alone));
    return own;
}

// The adventures that read the document, and those of its folder that
// asked for a file of its name and did not find one: a document opened
// now may be the file a link names.
void Workspace::mark_readers(const std::string& uri, const DocumentPlace& place) {
    for (auto& [key, adventure] : adventures_) {
        const Analysis* analysis = adventure.analysis.get();
        const bool same_folder = adventure.root.folder == place.folder && adventure.root.on_disk == place.on_disk;
        if (!analysis || analysis->file_of(uri) >= 0 ||
            (same_folder && std::any_of(analysis->missing.begin(), analysis->missing.end(),
                                        [&](const std::string& name) { return same_ignoring_case(name, place.name); })))
            adventure.dirty = true;
    }
}

void Workspace::settle(Adventure& adventure, std::shared_ptr<Analysis> analysis) {
    adventure.analysis = std::move(analysis);
    adventure.dirty = false;
    adventure.unpublished = true;
}

void Workspace::compile(std::string key) {
    Adventure& adventure = adventures_.at(key);
    settle(adventure, compile_root(adventure.root));
    publish(adventure);
    adopt_and_release(key);
}

// (Keys are taken by value: the holders they may come from change here.)
// Documents that were adventures of their own and that this chain now
// reaches belong to it from now on; documents it held and no longer reaches
// look for their adventure again.
void Workspace::adopt_and_release(std::string key) {
    const Analysis& analysis = *adventures_.at(key).analysis;
    std::vector<std::string> lost;
    for (auto& [uri, holder] : holders_) {
        const Document& document = documents_.at(uri);
        const bool own = holder == key_of(document.place);
        const int file = analysis.file_of(uri);
        if (own && holder != key && file > 0)
            holder = key;
        else if (holder == key && !own && file <= 0 && !link_misspelt_for(analysis, document.place.name))
            lost.push_back(uri);
    }
    for (const std::string& uri : lost)
        holders_[uri] = find_holder(documents_.at(uri));
    forget_unheld();
}

}  // namespace zel::lsp
