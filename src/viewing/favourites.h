#pragma once

// The favourites list pref.txt: one record per recipe, added by the recipe window, listed
// and removed by the favourites window. It stands with the recipe window, the first of the
// two to use it, so that the favourites window above reads it and not the other way up.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace savorel {

inline constexpr const char* kFavouritesFile = "pref.txt";
inline constexpr const char* kFavouritesTemp = "temp.dat";
// Blanks between the name and the "#" of a record.
inline constexpr std::size_t kFavouriteRecordFiller = 55;
inline constexpr const char* kCannotOpenPreferences = "Cannot open preferences file...";
inline constexpr const char* kCannotWriteFavourites = "Cannot open the output file...";
// What IsFavourite writes to standard output when pref.txt cannot be opened.
inline constexpr const char* kIsFavouriteNoFile = "Cannot open file..";

// One record without its line feed: name, 55 blanks, "#", file name.
std::string FavouriteRecord(std::string_view name, std::string_view fileName);

// Whether pref.txt holds a complete record whose text after its first "#" equals `fileName`,
// ignoring the case of ASCII letters. When pref.txt cannot be opened: writes
// "Cannot open file.." to standard output and answers false.
bool IsFavourite(std::string_view fileName);

enum class AddFavouriteResult {
    Added,
    AlreadyFavourite, // pref.txt unchanged
    NotWritten        // pref.txt cannot be read or written, or the file name holds a line
                      // break (it would split the record); pref.txt unchanged
};

// The append of the recipe window's add button: one record for `title` and `fileName`
// unless the file name is a favourite already; pref.txt is created when missing and replaced
// atomically. A "#" or line break in the title becomes a blank, so that the record keeps
// one separator and stays one line.
[[nodiscard]] AddFavouriteResult AddFavouriteRecord(std::string_view title,
                                                    std::string_view fileName);

// The complete records of pref.txt, each whole; no value when it cannot be opened.
[[nodiscard]] std::optional<std::vector<std::string>> ReadFavourites();

enum class RemoveFavouriteResult {
    Removed,
    ListUnreadable, // "Cannot open preferences file..."
    NotWritten,     // "Cannot open the output file..."; pref.txt unchanged
    Busy            // another copy of the program is changing the lists; pref.txt unchanged
};

// The message for a result, or nullptr.
const char* RemoveFavouriteMessage(RemoveFavouriteResult result);

// Rewrites pref.txt without every record equal to `entry` (ignoring ASCII case), keeping the
// order of the others: through temp.dat, replaced atomically; temp.dat is gone afterwards.
// A last line without its line feed is kept as it is.
[[nodiscard]] RemoveFavouriteResult RemoveFavourite(std::string_view entry);

} // namespace savorel
