#include "tool/commands.h"

namespace zel::tool {

int run_decompile(const std::vector<std::string>&, std::ostream&, std::ostream& err) {
    err << "zeltool: decompile is not available yet\n";
    return 2;
}

}  // namespace zel::tool
