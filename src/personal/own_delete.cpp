#include "personal/own_delete.h"

#include "catalogue/catalogue.h"
#include "core/files.h"
#include "core/records.h"
#include "core/scramble.h"
#include "core/store_lock.h"
#include "personal/store.h"
#include "viewing/favourites.h"

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace savorel {

namespace {

// Rewrites a scrambled list without the lines `drop` answers yes for; a missing list has
// nothing to drop. False when it exists and cannot be read or written. `dropped` tells
// whether a line was dropped.
template <typename Drop> bool RewriteList(std::string_view name, Drop drop, bool& dropped) {
    dropped = false;
    std::string bytes;
    if (!ReadWholeDataFile(name, bytes))
        return !DataFileExists(name);
    const std::string text = ScrambleBytes(bytes);
    std::string kept;
    kept.reserve(text.size());
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        const std::string_view line = std::string_view(text).substr(start, end - start);
        if (drop(line))
            dropped = true;
        else
            kept.append(line);
        start = end;
    }
    if (!dropped)
        return true;
    return static_cast<bool>(WriteFileAtomically(ResolveDataName(name), ScrambleBytes(kept)));
}

std::string WithoutLineBreaks(std::string_view text) {
    std::string out;
    for (const char c : text)
        if (c != '\r' && c != '\n')
            out.push_back(c);
    return out;
}

// Whether a scrambled list holds `record` as one of its lines (a last line without its line
// feed included).
bool ListHoldsRecord(std::string_view name, std::string_view record) {
    std::string bytes;
    if (!ReadWholeDataFile(name, bytes))
        return false;
    for (const std::string& line :
         CompleteLines(ScrambleBytes(bytes), UnendedLine::KeptUnlessEmpty))
        if (line == record)
            return true;
    return false;
}

} // namespace

bool IsOwnRecipeName(std::string_view name) {
    return IsSafeDataName(name) && name.size() > 3 &&
           EqualsIgnoreAsciiCase(name.substr(0, 3), "xet");
}

const char* DeleteOwnMessage(DeleteOwnResult result) {
    switch (result) {
    case DeleteOwnResult::Busy:
        return kStoreBusy;
    case DeleteOwnResult::NotWritten:
        return kStoreNotWritten;
    case DeleteOwnResult::AlreadyDeleted:
        return kDeletedMeanwhile;
    case DeleteOwnResult::NotOwnRecipe:
    case DeleteOwnResult::Deleted:
        break;
    }
    return nullptr;
}

std::string FreeNameIn(const std::string& folder, std::string_view fileName) {
    const std::string name(fileName);
    const std::size_t dot = name.rfind('.');
    const std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
    const std::string ext = stem.size() == name.size() ? std::string() : name.substr(dot);
    std::string candidate = folder + "/" + name;
    struct stat st;
    for (int n = 2; ::lstat(candidate.c_str(), &st) == 0; ++n)
        candidate = folder + "/" + stem + "-" + std::to_string(n) + ext;
    return candidate;
}

std::string CatalogueWithout(std::string_view catalogue, std::string_view fileName) {
    std::string kept;
    kept.reserve(catalogue.size());
    std::size_t start = 0;
    while (start < catalogue.size()) {
        std::size_t end = catalogue.find('\n', start);
        end = end == std::string_view::npos ? catalogue.size() : end + 1;
        const std::string_view line = catalogue.substr(start, end - start);
        bool names = false;
        if (const std::size_t tilde = line.find('~'); tilde != std::string_view::npos) {
            std::size_t from = tilde + 1;
            while (from < line.size() && line[from] == ' ')
                ++from;
            names = EqualsIgnoreAsciiCase(WithoutLineBreaks(line.substr(from)), fileName);
        }
        if (!names)
            kept.append(line);
        start = end;
    }
    return kept;
}

DeleteOwnResult DeleteOwnRecipe(const std::string& fileName, std::string_view record) {
    if (!IsOwnRecipeName(fileName))
        return DeleteOwnResult::NotOwnRecipe;
    const StoreLock lock;
    if (!lock.Held())
        return DeleteOwnResult::Busy;

    if (!record.empty() && !ListHoldsRecord(kOwnRecipeList, WithoutLineBreaks(record)))
        return DeleteOwnResult::AlreadyDeleted;
    // The file first: while it cannot be kept, the lists still lead to it.
    const std::string stored = ResolveDataName(fileName);
    struct stat st;
    const bool fileThere = ::lstat(stored.c_str(), &st) == 0;
    if (fileThere) {
        if (::mkdir(kDeletedFolder, 0755) != 0 && errno != EEXIST)
            return DeleteOwnResult::NotWritten;
        const std::string kept = FreeNameIn(kDeletedFolder, stored);
        if (std::rename(stored.c_str(), kept.c_str()) != 0)
            return DeleteOwnResult::NotWritten;
    }
    bool recordDropped = false;
    const bool listed = RewriteList(
        kOwnRecipeList,
        [&](std::string_view line) {
            return EqualsIgnoreAsciiCase(FileNameFromEntry(line), fileName);
        },
        recordDropped);
    // A favourite of a recipe that is gone would only lead to "Cannot open the input file".
    bool favouriteDropped = false;
    const bool favourites = RewriteList(
        kFavouritesFile,
        [&](std::string_view line) {
            return EqualsIgnoreAsciiCase(FileNameFromEntry(line), fileName);
        },
        favouriteDropped);
    bool catalogued = true;
    bool lineDropped = false;
    std::string bytes;
    if (ReadWholeDataFile(kCatalogueFile, bytes)) {
        const std::string text = ScrambleBytes(bytes);
        const std::string kept = CatalogueWithout(text, fileName);
        lineDropped = kept.size() != text.size();
        if (lineDropped)
            catalogued = static_cast<bool>(
                WriteFileAtomically(ResolveDataName(kCatalogueFile), ScrambleBytes(kept)));
    }
    if (!listed || !favourites || !catalogued)
        return DeleteOwnResult::NotWritten;
    return fileThere || recordDropped || lineDropped ? DeleteOwnResult::Deleted
                                                     : DeleteOwnResult::AlreadyDeleted;
}

} // namespace savorel
