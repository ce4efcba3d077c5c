#include "personal/personal_watch.h"

#include "personal/own_list.h"

namespace savorel {

PersonalListWatch::PersonalListWatch() {
    const long long size = OwnRecipeListSize();
    m_knownSize = size < 0 ? 0 : size;
}

bool PersonalListWatch::Tick() {
    if (m_tick != 5) {
        ++m_tick;
        return false;
    }
    m_tick = 0;
    const std::optional<long long> changed = CheckOwnRecipeList(m_knownSize);
    if (!changed)
        return false;
    m_knownSize = *changed;
    return true;
}

} // namespace savorel
