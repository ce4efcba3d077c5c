#pragma once

#include "core/report.h"

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace savorel {

inline constexpr const char* kCatalogueFile = "virt-dir.txt";
inline constexpr std::size_t kCatalogueLineLimit = 999;
// The book's ten categories and, last, the user's own recipes.
inline constexpr std::size_t kMaxCategories = 11;
inline constexpr std::size_t kCatalogueNameLimit = 499;
// Subcategories and recipes together; what follows is left out (and reported).
inline constexpr std::size_t kMaxCatalogueEntries = 250000;
inline constexpr const char* kCannotOpenCatalogue = "Cannot open the file...";

struct CatalogueRecipe {
    std::string name;
    std::string fileName;
};

struct CatalogueSubcategory {
    std::string name;
    std::vector<CatalogueRecipe> recipes;
};

struct CatalogueCategory {
    std::string name;
    std::vector<CatalogueSubcategory> subcategories;
};

// The in-memory catalogue; list positions equal the order of the lines in the file.
struct CategoryTable {
    std::vector<CatalogueCategory> categories;

    // Index of the last category in use, -1 when empty.
    int LastIndex() const { return static_cast<int>(categories.size()) - 1; }
    const CatalogueSubcategory* Subcategory(int category, int subcategory) const;
    const CatalogueRecipe* Recipe(int category, int subcategory, int recipe) const;
};

struct CatalogueLine {
    char tag = ' ';
    std::string name;
    std::string fileName;
    bool hasTilde = false;
};

// Reads one line and classifies it; tag ' ' once the end of the file has been reached
// (so a last line without a line feed is not taken).
CatalogueLine ReadCatalogueLine(std::FILE* f);

// Catalogue content that the table cannot hold, with its line number.
struct CatalogueProblem {
    int line;
    std::string what;
};

// What the line reader loses of an unscrambled catalogue through its line ends: lines glued
// together by a carriage return without a line feed (CR-only line ends), a line longer than
// kCatalogueLineLimit (cut, the character at the cut lost), and a last line without a line
// feed (not taken). One problem for each kind, at its first line, with the count.
std::vector<CatalogueProblem> CatalogueLineEndProblems(std::string_view text);

// Reads virt-dir.txt from the data folder. When it cannot be opened or read to its end the
// table stays empty and the reporter gets the message and a beep; answers whether the file
// was read.
[[nodiscard]] bool LoadCatalogue(CategoryTable& table, Reporter& reporter,
                                 std::vector<CatalogueProblem>* problems = nullptr);
// Reads a scrambled catalogue from `f` into `table` (emptied first). False when a read fails
// before the end of the file; the table then holds the lines read until then.
[[nodiscard]] bool LoadCatalogueFrom(std::FILE* f, CategoryTable& table,
                                     std::vector<CatalogueProblem>* problems = nullptr);

void FreeCatalogue(CategoryTable& table);

} // namespace savorel
