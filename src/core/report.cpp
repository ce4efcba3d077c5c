#include "core/report.h"

namespace savorel {

void CollectingReporter::Show(BoxForm form, std::string_view text) {
    entries.push_back({form, std::string(text)});
}

} // namespace savorel
