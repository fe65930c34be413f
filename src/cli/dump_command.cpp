// zeltool dump: the readable listing of a database.
#include "cli/commands.h"
#include "dbtools/database_tools.h"

namespace zel::tool {

int run_dump(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1 || args[0].empty() || args[0][0] == '-') {
        print_usage(err, "dump");
        return status_usage;
    }
    const std::optional<Database> db = load_database(args[0], err);
    if (!db)
        return status_failed;
    dump_database(*db, out);
    return status_ok;
}

}  // namespace zel::tool
