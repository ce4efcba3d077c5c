#include "personal/own_list.h"

#include "core/files.h"
#include "personal/records.h"
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
        const std::string source = ResolveDataName(kShortenedOwnRecipeList);
        if (CopyFileAtomically(source, kOwnRecipeList))
            std::remove(source.c_str());
    }
    const long long size = OwnRecipeListSize();
    if (size < 0 || size == knownSize)
        return std::nullopt;
    return size;
}

std::optional<std::vector<std::string>> OwnRecipesWatch::Start() {
    auto records = ReadOwnRecipeList();
    // A list that cannot be opened holds no bytes yet: when it appears, all of it is new.
    m_knownSize = std::max(OwnRecipeListSize(), 0LL);
    return records;
}

OwnRecipesWatch::Change OwnRecipesWatch::Tick() {
    Change change;
    const long long size = OwnRecipeListSize();
    if (size < 0 || size == m_knownSize)
        return change;
    change.kind = size > m_knownSize ? Change::Kind::Grown : Change::Kind::Shrunk;
    auto records =
        ReadListFile(kOwnRecipeList, change.kind == Change::Kind::Grown ? m_knownSize : 0);
    if (records) {
        change.read = true;
        change.records = std::move(*records);
    }
    m_knownSize = size;
    return change;
}

} // namespace savorel
