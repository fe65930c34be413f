// What the page asks of the compiler and of zeltool, each call a bundle in
// and a bundle out (see bundle.h). Sources come as entries "file:NAME"; the
// compiler's arguments as entries "arg", in order.
#pragma once

#include "web/bundle.h"

namespace zel::web {

// "command" picks one of:
//   build      zelc ARGS over the files: "status", "stdout", "stderr", and
//              "file:NAME" for each file written or changed, "gone:NAME"
//              for each one deleted.
//   stats      zeltool stats ARGS: "text" and "json", as it prints them;
//              "error" when no database comes of the source.
//   map        zeltool map ARGS (with "objects" set: --objects): "dot", and
//              "at:NODE" = "FILE\nLINE" for each location's definition
//              (LINE as an editor counts it, from 1); "error" when the
//              source gives no map.
//   database   a database "bytes" read from a file named "path": "dump",
//              "source-name" and "source" (its decompiled source), "status"
//              and "stderr" as zeltool decompile gives them, and "stdout"
//              with its verdict; "error" when the bytes are no database.
//   adventure  the adventure to build for the file "target": "name" (for
//              zelc), and "note" when the choice needs saying.
// An unknown command answers with "error".
Bundle call(const Bundle& request);

}  // namespace zel::web
