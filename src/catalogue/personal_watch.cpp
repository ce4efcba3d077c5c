#include "catalogue/personal_watch.h"

#include "core/files.h"

#include <cstdio>

namespace savorel {

PersonalListWatch::PersonalListWatch() {
    const long long size = DataFileSize(kPersonalListFile);
    m_knownSize = size < 0 ? 0 : size;
}

bool PersonalListWatch::Tick() {
    if (m_tick != 5) {
        ++m_tick;
        return false;
    }
    m_tick = 0;
    const long long shortened = DataFileSize(kShortenedListFile);
    if (shortened > 0 && shortened < m_knownSize) {
        // Applied once: a shortened list left behind must never cut a later, longer list.
        if (CopyFileAtomically(ResolveDataName(kShortenedListFile),
                               ResolveDataName(kPersonalListFile)))
            std::remove(ResolveDataName(kShortenedListFile).c_str());
    }
    const long long size = DataFileSize(kPersonalListFile);
    if (size < 0 || size == m_knownSize)
        return false;
    m_knownSize = size;
    return true;
}

} // namespace savorel
