#include "lsp/settings.h"

#include <algorithm>

namespace zel::lsp {

void take_settings(Settings& settings, const json& options) {
    if (!options.is_object())
        return;
    if (options.contains("zel"))
        take_settings(settings, options["zel"]);
    const auto hints = options.find("inlayHints");
    if (hints == options.end() || !hints->is_object())
        return;
    const auto width = hints->find("width");
    if (width != hints->end() && width->is_number_integer())
        settings.hint_width =
            static_cast<unsigned>(std::clamp<long long>(width->get<long long>(), 0, Settings::widest_hint));
}

}  // namespace zel::lsp
