// The workspace's diagnostics as the editor gets them. A compilation's are
// published at once with lint's findings as they were shown, moved with the
// lines that changed; lint runs once no input waits, and a file is
// published again only when its findings are not those shown. So a change
// that adds or removes no finding never makes one disappear, not even for
// the moment between the compiler's diagnostics and lint's.
#include <algorithm>

#include "lsp/diagnostics.h"
#include "lsp/links.h"
#include "lsp/workspace.h"

namespace zel::lsp {

namespace {

json version_of(const Document* document) { return document ? json(document->version) : json(nullptr); }

}  // namespace

void Workspace::send_publication(Adventure& adventure, const std::string& uri, const json& version,
                                 const std::vector<std::string>& diagnostics, std::vector<std::string> findings) {
    send_(publication(uri, version, diagnostics, findings));
    adventure.shown_findings[uri] = std::move(findings);
}

void Workspace::publish(Adventure& adventure) {
    adventure.unpublished = false;
    const Analysis& analysis = *adventure.analysis;
    const bool linted = analysis.linted && !analysis.errors;
    std::set<std::string> now;
    for (std::size_t i = 0; i < analysis.files.size(); ++i) {
        const int file = static_cast<int>(i);
        const ServedSource& source = analysis.files[i].source;
        std::vector<std::string> findings;
        if (linted)
            findings = findings_of(analysis, file);
        else if (adventure.clean)
            findings = carried_findings(*adventure.clean, analysis, file, encoding);
        send_publication(adventure, source.uri, version_of(source.document), diagnostic_texts(analysis, file, encoding),
                         std::move(findings));
        now.insert(source.uri);
    }
    // Documents held though not read, behind a link misspelt for them.
    for (const auto& [uri, holder] : holders_)
        if (&adventures_[holder] == &adventure && analysis.file_of(uri) < 0 && now.count(uri) == 0) {
            const Document& document = documents_.at(uri);
            std::vector<std::string> stray;
            for (const json& item : stray_diagnostics(analysis, document.place.name, encoding))
                stray.push_back(serialize(item, encoding));
            send_publication(adventure, uri, document.version, stray, {});
            now.insert(uri);
        }
    // A compilation that opened no file at all: what it reported belongs to
    // the adventure's own source.
    if (analysis.files.empty()) {
        const auto doc = std::find_if(documents_.begin(), documents_.end(), [&](const auto& d) {
            return key_of(d.second.place) == key_of(adventure.root);
        });
        const std::string uri = doc != documents_.end() ? doc->first : uri_of(adventure.root);
        send_publication(adventure, uri, nullptr, diagnostic_texts(analysis, -1, encoding), {});
        now.insert(uri);
    }
    for (const std::string& uri : adventure.published)
        if (now.count(uri) == 0) {
            send_publication(adventure, uri, nullptr, {}, {});
            adventure.shown_findings.erase(uri);
        }
    adventure.published = std::move(now);
}

void Workspace::lint(Adventure& adventure) {
    Analysis& analysis = *adventure.analysis;
    lsp::lint(analysis);
    write_findings(analysis, encoding);
    adventure.clean = adventure.analysis;
    for (std::size_t i = 0; i < analysis.files.size(); ++i) {
        const int file = static_cast<int>(i);
        const ServedSource& source = analysis.files[i].source;
        std::vector<std::string> findings = findings_of(analysis, file);
        const auto shown = adventure.shown_findings.find(source.uri);
        if (shown == adventure.shown_findings.end() || shown->second != findings)
            send_publication(adventure, source.uri, version_of(source.document),
                             diagnostic_texts(analysis, file, encoding), std::move(findings));
    }
}

void Workspace::lint_pending() {
    for (auto& [key, adventure] : adventures_)
        if (!adventure.dirty && !adventure.unpublished && adventure.analysis && !adventure.analysis->errors &&
            !adventure.analysis->linted)
            lint(adventure);
}

// An adventure that holds no open document is dropped, and the
// diagnostics it published are taken back, unless an adventure that stays
// has published its own for the same file since.
void Workspace::forget_unheld() {
    std::set<std::string> held;
    for (const auto& [uri, holder] : holders_)
        held.insert(holder);
    std::set<std::string> kept_uris;
    for (const auto& [key, adventure] : adventures_)
        if (held.count(key) != 0)
            kept_uris.insert(adventure.published.begin(), adventure.published.end());
    for (auto it = adventures_.begin(); it != adventures_.end();) {
        if (held.count(it->first) != 0) {
            ++it;
            continue;
        }
        for (const std::string& uri : it->second.published)
            if (kept_uris.count(uri) == 0)
                send_(publication(uri, nullptr, {}, {}));
        it = adventures_.erase(it);
    }
}

}  // namespace zel::lsp
