// One function per method of the protocol.
#include "lsp/features.h"
#include "lsp/server.h"

namespace zel::lsp {

namespace {

std::string uri_in(const json& params) { return params.at("textDocument").at("uri").get<std::string>(); }

Position position_in(const json& params) {
    const json& at = params.at("position");
    return {at.at("line").get<unsigned>(), at.at("character").get<unsigned>()};
}

bool offers_utf8(const json& params) {
    const json* encodings = nullptr;
    if (params.contains("capabilities") && params["capabilities"].contains("general") &&
        params["capabilities"]["general"].contains("positionEncodings"))
        encodings = &params["capabilities"]["general"]["positionEncodings"];
    if (!encodings || !encodings->is_array())
        return false;
    for (const json& e : *encodings)
        if (e == "utf-8")
            return true;
    return false;
}

// A change of a range of a document's text (for clients that send changes
// although full synchronisation was asked for).
std::string changed_text(const std::string& text, const json& change, Encoding encoding) {
    const LineMap lines(std::make_shared<const std::string>(text));
    const json& range = change.at("range");
    auto offset = [&](const json& at) {
        return lines.offset({at.at("line").get<unsigned>(), at.at("character").get<unsigned>()}, encoding);
    };
    const std::size_t from = std::min(offset(range.at("start")), text.size());
    const std::size_t to = std::max(from, std::min(offset(range.at("end")), text.size()));
    return text.substr(0, from) + change.at("text").get<std::string>() + text.substr(to);
}

}  // namespace

json Server::initialize(const json& params) {
    initialized_ = true;
    workspace_.encoding = params.is_object() && offers_utf8(params) ? Encoding::utf8 : Encoding::utf16;
    const json capabilities{
        {"positionEncoding", workspace_.encoding == Encoding::utf8 ? "utf-8" : "utf-16"},
        {"textDocumentSync", {{"openClose", true}, {"change", 1}, {"save", {{"includeText", false}}}}},
        {"hoverProvider", true},
        {"definitionProvider", true},
        {"referencesProvider", true},
        {"documentSymbolProvider", true},
        {"foldingRangeProvider", true},
        {"completionProvider", {{"triggerCharacters", {" ", "/"}}}},
        {"codeActionProvider", {{"codeActionKinds", {"quickfix"}}}},
    };
    return json{{"capabilities", capabilities}, {"serverInfo", {{"name", "zeltool"}, {"version", "2.3"}}}};
}

json Server::shutdown(const json&) {
    shut_down_ = true;
    return nullptr;
}

json Server::initialized(const json&) { return nullptr; }

json Server::cancel(const json& params) {
    if (params.is_object() && params.contains("id"))
        cancelled_.erase(params["id"].dump());
    return nullptr;
}

json Server::did_open(const json& params) {
    const json& document = params.at("textDocument");
    workspace_.open(document.at("uri").get<std::string>(), document.at("text").get<std::string>(),
                    document.value("version", 0));
    return nullptr;
}

json Server::did_change(const json& params) {
    const std::string uri = uri_in(params);
    const Document* document = workspace_.document(uri);
    if (!document)
        return nullptr;
    std::string text = *document->text;
    for (const json& change : params.at("contentChanges"))
        text = change.contains("range") ? changed_text(text, change, workspace_.encoding)
                                        : change.at("text").get<std::string>();
    workspace_.change(uri, std::move(text), params.at("textDocument").value("version", 0));
    return nullptr;
}

json Server::did_close(const json& params) {
    workspace_.close(uri_in(params));
    return nullptr;
}

json Server::did_save(const json& params) {
    workspace_.save(uri_in(params));
    return nullptr;
}

json Server::on_hover(const json& params) {
    const Workspace::View view = workspace_.view(uri_in(params));
    return view.file < 0 ? json(nullptr) : hover(*view.analysis, view.file, position_in(params), workspace_.encoding);
}

json Server::on_definition(const json& params) {
    const Workspace::View view = workspace_.view(uri_in(params));
    return view.file < 0 ? json(nullptr)
                         : definition(*view.analysis, view.file, position_in(params), workspace_.encoding);
}

json Server::on_references(const json& params) {
    const Workspace::View view = workspace_.view(uri_in(params));
    const bool with_declaration = params.contains("context") && params["context"].value("includeDeclaration", false);
    return view.file < 0 ? json(nullptr)
                         : references(*view.analysis, view.file, position_in(params), with_declaration,
                                      workspace_.encoding);
}

json Server::on_document_symbol(const json& params) {
    const Workspace::View view = workspace_.view(uri_in(params));
    return view.file < 0 ? json::array() : document_symbols(*view.analysis, view.file, workspace_.encoding);
}

json Server::on_folding_range(const json& params) {
    const Workspace::View view = workspace_.view(uri_in(params));
    return view.file < 0 ? json::array() : folding_ranges(*view.analysis, view.file);
}

json Server::on_completion(const json& params) {
    const Workspace::View view = workspace_.view(uri_in(params));
    return view.file < 0 ? json::array()
                         : completion(*view.analysis, view.file, position_in(params), workspace_.encoding);
}

json Server::on_code_action(const json& params) {
    const Workspace::View view = workspace_.view(uri_in(params));
    return view.file < 0 ? json::array()
                         : code_actions(*view.analysis, view.file, params.at("range"), workspace_.encoding);
}

}  // namespace zel::lsp
