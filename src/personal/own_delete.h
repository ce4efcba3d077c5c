#pragma once

// Removing an own recipe: its record, its catalogue line and its file leave the lists, and
// the file is kept in "sterse/" of the data folder, so that nothing typed is ever lost.
#include <string>
#include <string_view>

namespace savorel {

enum class DeleteOwnResult {
    Deleted,
    Busy,          // another copy of the program held the store's lock: nothing changed
    NotWritten,    // a list or the kept copy could not be written: what was done stays done
    NotOwnRecipe,  // the name is no own recipe file of the data folder: nothing changed
    AlreadyDeleted // another copy of the program deleted it meanwhile: nothing changed
};

// Whether `name` is an own recipe file of the data folder ("xet..."), not a book recipe.
bool IsOwnRecipeName(std::string_view name);
inline constexpr const char* kDeletedMeanwhile = "Reteta a fost stearsa intre timp.";

// The message for a result, or nullptr.
const char* DeleteOwnMessage(DeleteOwnResult result);

// The name under which `fileName` is kept in `folder`: the name itself while free, then
// "NAME-2.EXT", "NAME-3.EXT", ... so that an earlier kept copy is never written over.
std::string FreeNameIn(const std::string& folder, std::string_view fileName);

// The catalogue text without the lines whose recipe file (after the "~" and its blanks) is
// `fileName`, ignoring ASCII case; every other byte stays as it was.
std::string CatalogueWithout(std::string_view catalogue, std::string_view fileName);

// Under the store's lock: moves the recipe file into "sterse/" (created when missing), then
// rewrites pers.txt and pref.txt without its records and the catalogue without its line. A recipe
// file already gone still has its records removed. Checked again under the lock, as a list shown a
// while ago may be out of date: when `record` is given (the pers.txt line the user chose) and
// pers.txt no longer holds it, or when neither the file nor a line of either list is left, the
// answer is AlreadyDeleted and nothing changes.
[[nodiscard]] DeleteOwnResult DeleteOwnRecipe(const std::string& fileName,
                                              std::string_view record = {});

} // namespace savorel
