#pragma once

// Recipes as a tree of folders, one per recipe, named by its title and holding recipe.json:
// the layout of a Nextcloud Cookbook folder (Recipes/NAME/recipe.json), which people keep in
// step between their machines and phones.
#include "personal/exchange.h"

#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace savorel {

inline constexpr const char* kFolderRecipeFile = "recipe.json";
// A tree with more folders than this is read only this far (and says so).
inline constexpr std::size_t kRecipeFolderLimit = 200000;
// Bytes of a folder name (the file systems' limit is 255; room is left for " (N)").
inline constexpr std::size_t kFolderNameLimit = 200;

// ParseRecipeDocument with no exception let out: one the reader lets escape (a number out of
// range, memory) refuses the document as any other fault does.
[[nodiscard]] bool ParseRecipeDocumentGuarded(std::string_view bytes,
                                              std::vector<ForeignRecipe>& recipes,
                                              std::string& error);

// A folder name for a recipe title (UTF-8): one path component that every common file system
// and sync service takes (no "/", "\", control characters or  : * ? " < > |, no blanks or
// dots at its ends, valid UTF-8, at most kFolderNameLimit bytes), made unique against
// `taken` (compared without regard to ASCII case) with " (2)", " (3)"...; the name is added
// to `taken` in lower case.
std::string RecipeFolderName(std::string_view title, std::set<std::string>& taken);

struct FolderExportResult {
    std::size_t written = 0;
    std::vector<std::string> unreadable; // recipe files that could not be read
    std::string failure;                 // a folder or file that could not be written
};

// Writes DIR/<title>/recipe.json for every entry (DIR made when missing), each file one
// schema.org Recipe object through WriteUserFile. Names are given in the entries' order, so
// exporting the same recipes again writes the same folders.
FolderExportResult ExportRecipeFolders(const std::vector<ExportEntry>& entries,
                                       const std::string& dir);

// The recipes of a tree's files, given as (folder name, bytes of its recipe.json), read in
// the order of the folder names (bytewise), each file on its own: a file that is no recipe
// document is noted and passed over. False, with `error` set, when no file holds a recipe.
[[nodiscard]] bool RecipesFromFolderFiles(std::vector<std::pair<std::string, std::string>> files,
                                          std::vector<ForeignRecipe>& recipes,
                                          std::vector<std::string>& notes, std::string& error);

// Reads DIR/*/recipe.json (folders only, links passed over; DIR/recipe.json too) and
// RecipesFromFolderFiles them.
[[nodiscard]] bool ReadRecipeFolders(const std::string& dir, std::vector<ForeignRecipe>& recipes,
                                     std::vector<std::string>& notes, std::string& error);

} // namespace savorel
