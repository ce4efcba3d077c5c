#include "personal/own_list.h"

#include "core/files.h"
#include "core/records.h"
#include "core/store_lock.h"
#include "personal/store.h"

#include <algorithm>
#include <cstdio>

namespace savorel {

std::optional<std::vector<std::string>> ReadOwnRecipeList() {
    return ReadListFile(kOwnRecipeList);
}

long long OwnRecipeListSize() {
    return DataFileSize(kOwnRecipeList);
}

std::optional<long long> CheckOwnRecipeList(long long knownSize) {
    const long long shortened = DataFileSize(kShortenedOwnRecipeList);
    if (shortened > 0 && shortened < knownSize) {
        // Busy now (another copy saving): tmp.dat waits for a later tick.
        const StoreLock lock(std::chrono::milliseconds(0));
        const std::string source = ResolveDataName(kShortenedOwnRecipeList);
        if (lock.Held() && CopyFileAtomically(source, kOwnRecipeList))
            std::remove(source.c_str());
    }
    const long long size = OwnRecipeListSize();
    if (size < 0 || size == knownSize)
        return std::nullopt;
    return size;
}

std::optional<std::vector<std::string>> OwnRecipesWatch::Start() {
    long long complete = 0;
    auto records = ReadListFile(kOwnRecipeList, 0, &complete);
    // A list that cannot be opened holds no bytes yet: when it appears, all of it is new.
    m_knownSize = std::max(OwnRecipeListSize(), 0LL);
    m_lineStart = std::min(complete, m_knownSize);
    return records;
}

OwnRecipesWatch::Change OwnRecipesWatch::Tick() {
    Change change;
    const long long size = OwnRecipeListSize();
    if (size < 0 || size == m_knownSize)
        return change;
    change.kind = size > m_knownSize ? Change::Kind::Grown : Change::Kind::Shrunk;
    // A grown list is read from the start of its first line not yet listed: a last line that
    // had no line feed yet was not listed, and the append ended it.
    const long long from = change.kind == Change::Kind::Grown ? m_lineStart : 0;
    long long complete = 0;
    auto records = ReadListFile(kOwnRecipeList, from, &complete);
    if (records) {
        change.read = true;
        change.records = std::move(*records);
        m_lineStart = from + complete;
    }
    m_knownSize = size;
    return change;
}

} // namespace savorel
