// Fuzz target for the companion tool: every input is taken as a database,
// read, and when it reads, dumped, mapped and decompiled in memory. Nothing
// may crash, hang or touch memory it does not own.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "dbtools/database_tools.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zel::tool::Bytes bytes(data, data + size);
    std::string error;
    const auto db = zel::tool::read_database(std::move(bytes), error);
    if (!db)
        return 0;
    std::ostringstream out, err;
    zel::tool::dump_database(*db, out);
    zel::tool::write_map(*db, "GAME", out);
    zel::tool::decompile_to(*db, "GAME", out, err);
    return 0;
}
