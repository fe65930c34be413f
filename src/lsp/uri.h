// Document URIs as the editor sends them, and the file paths behind them.
#pragma once

#include <string>

namespace zel::lsp {

// Where a document lives: its folder and its file name. For a "file:" URI
// the folder is a directory on disk; any other URI (an unsaved buffer) has
// a folder that exists only among the open documents.
struct DocumentPlace {
    std::string folder;  // without a trailing slash; "" for the root
    std::string name;    // the last path segment
    bool on_disk = false;
};

DocumentPlace place_of(const std::string& uri);

// The URI of a file in a folder, as place_of() splits it again.
std::string uri_of(const DocumentPlace& place);

}  // namespace zel::lsp
