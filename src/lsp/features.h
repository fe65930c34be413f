// The requests of the language server, each a function of the analysis that
// holds the document (its file number in it) and the request's position.
// Each returns the JSON result of its request.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "lsp/analysis.h"

namespace zel::lsp {

json hover(const Analysis& analysis, int file, const Position& at, Encoding encoding);
json definition(const Analysis& analysis, int file, const Position& at, Encoding encoding);
json references(const Analysis& analysis, int file, const Position& at, bool with_declaration, Encoding encoding);
json document_symbols(const Analysis& analysis, int file, Encoding encoding);
json folding_ranges(const Analysis& analysis, int file);
json completion(const Analysis& analysis, int file, const Position& at, Encoding encoding);
// Quick fixes for the diagnostics of a file that overlap an editor's range.
json code_actions(const Analysis& analysis, int file, const json& range, Encoding encoding);
// The code actions of lint's findings and error 23 in an editor's range;
// context is the request's (its diagnostics are named by the actions).
json finding_actions(const Analysis& analysis, int file, const json& range, const json& context, Encoding encoding);
// Texts after the numbers that name them, cut to `width` characters.
json inlay_hints(const Analysis& analysis, int file, const json& range, unsigned width, Encoding encoding);
json signature_help(const Analysis& analysis, int file, const Position& at, Encoding encoding);
json document_highlights(const Analysis& analysis, int file, const Position& at, Encoding encoding);
json workspace_symbols(const std::vector<const Analysis*>& analyses, const std::string& query, Encoding encoding);
// The tokens of a file, or of an editor's range of it (range null: all).
json semantic_tokens(const Analysis& analysis, int file, const json* range, Encoding encoding);
json semantic_tokens_legend();

// A request that cannot be done, for a reason told to the user: the answer
// is an error whose message is the reason.
struct RequestFailed : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// What the client takes in the workspace edits of renames and code actions.
struct EditOptions {
    Encoding encoding = Encoding::utf16;
    bool versioned = false;  // documentChanges, with the documents' versions
    bool resolve = false;    // an action's edit filled in by codeAction/resolve
};

// Renaming a word and renumbering an item (lsp/rename.cpp), each one edit
// across the chain; refusals throw RequestFailed.
json prepare_rename(const Analysis& analysis, int file, const Position& at, Encoding encoding);
json rename(const Analysis& analysis, int file, const Position& at, const std::string& new_name,
            const EditOptions& options);
// The actions on the item an editor's range begins in: a new one before or
// after it, deleting it, moving it up or down (lsp/item_actions.cpp).
json item_actions(const Analysis& analysis, int file, const json& range, const json& context,
                  const EditOptions& options);
// The document an action of item_actions is about; empty for any other.
std::string item_action_uri(const json& action);
// An action of item_actions with its edit, made on the analysis of its document now.
json resolve_item_action(const Analysis& analysis, json action, const EditOptions& options);

}  // namespace zel::lsp
