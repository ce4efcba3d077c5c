#include "viewing/favourites.h"

#include "core/files.h"
#include "core/records.h"
#include "core/scramble.h"
#include "core/store_lock.h"

#include <cstdio>

namespace savorel {

std::string FavouriteRecord(std::string_view name, std::string_view fileName) {
    std::string record(name);
    record.append(kFavouriteRecordFiller, ' ');
    record += '#';
    record += fileName;
    return record;
}

bool IsFavourite(std::string_view fileName) {
    const auto records = ReadListFile(kFavouritesFile);
    if (!records) {
        std::fputs(kIsFavouriteNoFile, stdout);
        std::fflush(stdout);
        return false;
    }
    for (const std::string& record : *records)
        if (record.find('#') != std::string::npos &&
            EqualsIgnoreAsciiCase(FileNameFromEntry(record), fileName))
            return true;
    return false;
}

AddFavouriteResult AddFavouriteRecord(std::string_view title, std::string_view fileName) {
    if (fileName.find_first_of("\r\n") != std::string_view::npos)
        return AddFavouriteResult::NotWritten;
    std::string name(title);
    for (char& c : name)
        if (c == '#' || c == '\r' || c == '\n')
            c = ' ';
    const StoreLock lock;
    if (!lock.Held())
        return AddFavouriteResult::NotWritten;
    if (IsFavourite(fileName))
        return AddFavouriteResult::AlreadyFavourite;
    return AppendListLine(kFavouritesFile, FavouriteRecord(name, fileName))
               ? AddFavouriteResult::Added
               : AddFavouriteResult::NotWritten;
}

std::optional<std::vector<std::string>> ReadFavourites() {
    return ReadListFile(kFavouritesFile);
}

const char* RemoveFavouriteMessage(RemoveFavouriteResult result) {
    switch (result) {
    case RemoveFavouriteResult::ListUnreadable:
        return kCannotOpenPreferences;
    case RemoveFavouriteResult::NotWritten:
        return kCannotWriteFavourites;
    case RemoveFavouriteResult::Busy:
        return kStoreBusy;
    case RemoveFavouriteResult::Removed:
        break;
    }
    return nullptr;
}

RemoveFavouriteResult RemoveFavourite(std::string_view entry) {
    const StoreLock lock;
    if (!lock.Held())
        return RemoveFavouriteResult::Busy;
    std::string text;
    if (!ReadWholeDataFile(kFavouritesFile, text))
        return RemoveFavouriteResult::ListUnreadable;
    text = ScrambleBytes(text);
    std::string kept;
    for (const std::string& line : CompleteLines(text)) {
        if (EqualsIgnoreAsciiCase(line, entry))
            continue;
        kept += line;
        kept += '\n';
    }
    // A last line without its line feed was never listed; it is the user's all the same.
    const std::size_t lastBreak = text.rfind('\n');
    kept += text.substr(lastBreak == std::string::npos ? 0 : lastBreak + 1);

    if (!WriteFileAtomically(kFavouritesTemp, ScrambleBytes(kept)))
        return RemoveFavouriteResult::NotWritten;
    const std::string temp = ResolveDataName(kFavouritesTemp);
    const bool replaced = static_cast<bool>(CopyFileAtomically(temp, kFavouritesFile));
    std::remove(temp.c_str());
    return replaced ? RemoveFavouriteResult::Removed : RemoveFavouriteResult::NotWritten;
}

} // namespace savorel
