// Between the edits library and the editor: the texts an edit is computed
// over (the open documents as the editor has them, the other files as read
// from disk), and a plan as one workspace edit of the chain.
#pragma once

#include <string>
#include <vector>

#include "edits/edits.h"
#include "lsp/features.h"

namespace zel::lsp {

// The text of every file of an analysis, for the edits library. An edit is
// made only from a compilation without errors: the request fails when the
// analysis had any, or when a file was too large to keep.
class EditSources {
public:
    explicit EditSources(const Analysis& analysis);

    const Analysis& analysis() const { return analysis_; }
    edits::Sources sources() const { return {analysis_.index, texts_}; }
    const std::vector<std::string>& texts() const { return texts_; }

private:
    const Analysis& analysis_;
    std::vector<std::string> texts_;
};

// Fails the request with the refusal's reason, and each place it names on a
// line of its own ("FILE:LINE:COLUMN: what").
[[noreturn]] void refuse(const Analysis& analysis, const edits::Refusal& refusal);

// The workspace edit of an outcome. A plan is checked first (the edited
// texts must still compile without errors); a refusal fails the request.
json workspace_edit(const EditSources& sources, const edits::Outcome& outcome, const EditOptions& options);

}  // namespace zel::lsp
