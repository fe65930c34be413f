// One function per method of the protocol, and the tables that name them.
#include "lsp/methods.h"

#include "lsp/features.h"

namespace zel::lsp {

namespace {

std::string uri_in(const json& params) { return params.at("textDocument").at("uri").get<std::string>(); }

Position position_in(const json& params) {
    const json& at = params.at("position");
    return {at.at("line").get<unsigned>(), at.at("character").get<unsigned>()};
}

// A change of a range of a document's text: the server asks for changes
// (a keystroke's message is then small), and takes a whole text too.
std::string changed_text(const std::string& text, const json& change, Encoding encoding) {
    const LineMap lines(std::make_shared<const std::string>(text));
    const json& range = change.at("range");
    auto offset = [&](const json& at) {
        return lines.offset({at.at("line").get<unsigned>(), at.at("character").get<unsigned>()}, encoding);
    };
    const std::size_t from = std::min(offset(range.at("start")), text.size());
    const std::size_t to = std::max(from, std::min(offset(range.at("end")), text.size()));
    return text.substr(0, from) + text_from_client(change.at("text").get<std::string>(), encoding) + text.substr(to);
}

// Document synchronisation.

json did_open(Workspace& workspace, const json& params) {
    const json& document = params.at("textDocument");
    workspace.open(document.at("uri").get<std::string>(),
                   text_from_client(document.at("text").get<std::string>(), workspace.encoding), document.value("version", 0));
    return nullptr;
}

json did_change(Workspace& workspace, const json& params) {
    const std::string uri = uri_in(params);
    const Document* document = workspace.document(uri);
    if (!document)
        return nullptr;
    std::string text = *document->text;
    for (const json& change : params.at("contentChanges"))
        text = change.contains("range") ? changed_text(text, change, workspace.encoding)
                                        : text_from_client(change.at("text").get<std::string>(), workspace.encoding);
    workspace.change(uri, std::move(text), params.at("textDocument").value("version", 0));
    return nullptr;
}

json did_close(Workspace& workspace, const json& params) {
    workspace.close(uri_in(params));
    return nullptr;
}

json did_save(Workspace& workspace, const json& params) {
    workspace.save(uri_in(params));
    return nullptr;
}

// Features: each asks the analysis that holds the document.

json on_hover(Workspace& workspace, const json& params) {
    const Workspace::View view = workspace.view(uri_in(params));
    return view.file < 0 ? json(nullptr) : hover(*view.analysis, view.file, position_in(params), workspace.encoding);
}

json on_definition(Workspace& workspace, const json& params) {
    const Workspace::View view = workspace.view(uri_in(params));
    return view.file < 0 ? json(nullptr)
                         : definition(*view.analysis, view.file, position_in(params), workspace.encoding);
}

json on_references(Workspace& workspace, const json& params) {
    const Workspace::View view = workspace.view(uri_in(params));
    const bool with_declaration = params.contains("context") && params["context"].value("includeDeclaration", false);
    return view.file < 0 ? json(nullptr)
                         : references(*view.analysis, view.file, position_in(params), with_declaration,
                                      workspace.encoding);
}

json on_document_symbol(Workspace& workspace, const json& params) {
    const Workspace::View view = workspace.view(uri_in(params));
    return view.file < 0 ? json::array() : document_symbols(*view.analysis, view.file, workspace.encoding);
}

json on_folding_range(Workspace& workspace, const json& params) {
    const Workspace::View view = workspace.view(uri_in(params));
    return view.file < 0 ? json::array() : folding_ranges(*view.analysis, view.file);
}

json on_completion(Workspace& workspace, const json& params) {
    const Workspace::View view = workspace.view(uri_in(params));
    return view.file < 0 ? json::array()
                         : completion(*view.analysis, view.file, position_in(params), workspace.encoding);
}

EditOptions edit_options(const Workspace& workspace) {
    return {workspace.encoding, workspace.versioned_edits, workspace.resolves_edits};
}

json on_code_action(Workspace& workspace, const json& params) {
    const Workspace::View view = workspace.view(uri_in(params));
    if (view.file < 0)
        return json::array();
    json actions = code_actions(*view.analysis, view.file, params.at("range"), workspace.encoding);
    for (json& a : item_actions(*view.analysis, view.file, params.at("range"), params.value("context", json()),
                                edit_options(workspace)))
        actions.push_back(std::move(a));
    for (json& a : finding_actions(*view.analysis, view.file, params.at("range"), params.value("context", json()),
                                   workspace.encoding))
        actions.push_back(std::move(a));
    return actions;
}

json on_code_action_resolve(Workspace& workspace, const json& action) {
    const std::string uri = item_action_uri(action);
    if (uri.empty())
        return action;
    const Workspace::View view = workspace.view(uri);
    if (view.file < 0)
        throw RequestFailed(uri + " is no longer open");
    return resolve_item_action(*view.analysis, action, edit_options(workspace));
}

json on_prepare_rename(Workspace& workspace, const json& params) {
    const Workspace::View view = workspace.view(uri_in(params));
    return view.file < 0 ? json(nullptr)
                         : prepare_rename(*view.analysis, view.file, position_in(params), workspace.encoding);
}

json on_rename(Workspace& workspace, const json& params) {
    const Workspace::View view = workspace.view(uri_in(params));
    if (view.file < 0)
        throw RequestFailed("the document is not part of an adventure the server has read");
    return rename(*view.analysis, view.file, position_in(params), params.at("newName").get<std::string>(),
                  edit_options(workspace));
}

json on_inlay_hint(Workspace& workspace, const json& params) {
    const Workspace::View view = workspace.view(uri_in(params));
    return view.file < 0 ? json::array()
                         : inlay_hints(*view.analysis, view.file, params.at("range"), workspace.settings.hint_width,
                                       workspace.encoding);
}

json on_signature_help(Workspace& workspace, const json& params) {
    const Workspace::View view = workspace.view(uri_in(params));
    return view.file < 0 ? json(nullptr)
                         : signature_help(*view.analysis, view.file, position_in(params), workspace.encoding);
}

json on_document_highlight(Workspace& workspace, const json& params) {
    const Workspace::View view = workspace.view(uri_in(params));
    return view.file < 0 ? json(nullptr)
                         : document_highlights(*view.analysis, view.file, position_in(params), workspace.encoding);
}

json on_workspace_symbol(Workspace& workspace, const json& params) {
    return workspace_symbols(workspace.analyses(), params.value("query", ""), workspace.encoding);
}

json on_semantic_tokens(Workspace& workspace, const json& params) {
    const Workspace::View view = workspace.view(uri_in(params));
    return view.file < 0 ? json{{"data", json::array()}}
                         : semantic_tokens(*view.analysis, view.file, nullptr, workspace.encoding);
}

json on_semantic_tokens_range(Workspace& workspace, const json& params) {
    const Workspace::View view = workspace.view(uri_in(params));
    return view.file < 0 ? json{{"data", json::array()}}
                         : semantic_tokens(*view.analysis, view.file, &params.at("range"), workspace.encoding);
}

json did_change_configuration(Workspace& workspace, const json& params) {
    if (params.is_object() && params.contains("settings"))
        take_settings(workspace.settings, params["settings"]);
    return nullptr;
}

constexpr Method requests[] = {
    {"textDocument/hover", on_hover},
    {"textDocument/definition", on_definition},
    {"textDocument/references", on_references},
    {"textDocument/documentSymbol", on_document_symbol},
    {"textDocument/foldingRange", on_folding_range},
    {"textDocument/completion", on_completion},
    {"textDocument/codeAction", on_code_action},
    {"codeAction/resolve", on_code_action_resolve},
    {"textDocument/prepareRename", on_prepare_rename},
    {"textDocument/rename", on_rename},
    {"textDocument/inlayHint", on_inlay_hint},
    {"textDocument/signatureHelp", on_signature_help},
    {"textDocument/documentHighlight", on_document_highlight},
    {"workspace/symbol", on_workspace_symbol},
    {"textDocument/semanticTokens/full", on_semantic_tokens},
    {"textDocument/semanticTokens/range", on_semantic_tokens_range},
};

constexpr Method notifications[] = {
    {"textDocument/didOpen", did_open},
    {"textDocument/didChange", did_change},
    {"textDocument/didClose", did_close},
    {"textDocument/didSave", did_save},
    {"workspace/didChangeConfiguration", did_change_configuration},
};

// Whether the client's capabilities hold `true` at a path.
bool capable(const json& params, const char* path) {
    const json::json_pointer at(path);
    return params.is_object() && params.contains(at) && params.at(at) == true;
}

// Whether codeAction/resolve may fill in an action's edit.
bool resolves_edits(const json& params) {
    const json::json_pointer at("/capabilities/textDocument/codeAction/resolveSupport/properties");
    if (!params.is_object() || !params.contains(at) || !params.at(at).is_array())
        return false;
    for (const json& property : params.at(at))
        if (property == "edit")
            return true;
    return false;
}

// A client that shows a source's bytes as characters from U+0000 to U+00FF
// (a web page) asks for them with the option {"text": "bytes"}.
bool shows_bytes(const json& params) {
    return params.contains("initializationOptions") && params["initializationOptions"].is_object() &&
           params["initializationOptions"].value("text", json()) == "bytes";
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

}  // namespace

std::span<const Method> request_methods() { return requests; }
std::span<const Method> notification_methods() { return notifications; }

void take_client_capabilities(Workspace& workspace, const json& params) {
    workspace.encoding = !params.is_object()      ? Encoding::utf16
                         : shows_bytes(params)    ? Encoding::bytes
                         : offers_utf8(params)    ? Encoding::utf8
                                                  : Encoding::utf16;
    workspace.versioned_edits = capable(params, "/capabilities/workspace/workspaceEdit/documentChanges");
    workspace.resolves_edits = resolves_edits(params);
    if (params.is_object() && params.contains("initializationOptions"))
        take_settings(workspace.settings, params["initializationOptions"]);
}

json server_capabilities(const Workspace& workspace) {
    return json{
        {"positionEncoding", workspace.encoding == Encoding::utf8 ? "utf-8" : "utf-16"},
        {"textDocumentSync", {{"openClose", true}, {"change", 2}, {"save", {{"includeText", false}}}}},
        {"hoverProvider", true},
        {"definitionProvider", true},
        {"referencesProvider", true},
        {"documentSymbolProvider", true},
        {"foldingRangeProvider", true},
        {"completionProvider", {{"triggerCharacters", {" ", "/"}}}},
        {"codeActionProvider", {{"codeActionKinds", {"quickfix", "refactor.rewrite"}}, {"resolveProvider", true}}},
        {"inlayHintProvider", true},
        {"signatureHelpProvider", {{"triggerCharacters", {" "}}}},
        {"documentHighlightProvider", true},
        {"workspaceSymbolProvider", true},
        {"semanticTokensProvider", {{"legend", semantic_tokens_legend()}, {"full", true}, {"range", true}}},
        {"renameProvider", {{"prepareProvider", true}}},
    };
}

}  // namespace zel::lsp
