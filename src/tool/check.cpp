#include "tool/commands.h"

namespace zel::tool {

int run_check(const std::vector<std::string>&, std::ostream&, std::ostream& err) {
    err << "zeltool: check is not available yet\n";
    return 2;
}

}  // namespace zel::tool
