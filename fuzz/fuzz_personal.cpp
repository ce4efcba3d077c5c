// The personal store's readers: list files, entries, and an own recipe saved and loaded back.
// Input: author, name, ingredients, preparation and a list file, separated by "@@".
#include "core/records.h"
#include "core/scramble.h"
#include "fuzz_util.h"
#include "personal/own_list.h"
#include "personal/store.h"
#include "viewing/favourites.h"

#include <cstdint>

using namespace savorel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::DataFolder();
    const auto parts =
        fuzz::SplitParts<5>(std::string_view(reinterpret_cast<const char*>(data), size), "@@");

    // Saved and loaded back: the cleaned fields come back unchanged, so saving an own recipe
    // again without a change writes the same file.
    OwnRecipeFields cleaned;
    cleaned.author = CleanField(OwnRecipeField::Author, parts[0]);
    cleaned.name = CleanField(OwnRecipeField::Name, parts[1]);
    cleaned.ingredients = StoredLineBreaks(CleanField(OwnRecipeField::Ingredients, parts[2]));
    cleaned.preparation = StoredLineBreaks(CleanField(OwnRecipeField::Preparation, parts[3]));
    for (const std::string* field :
         {&cleaned.author, &cleaned.name, &cleaned.ingredients, &cleaned.preparation})
        FUZZ_CHECK(field->find_first_of("#~") == std::string::npos);
    FUZZ_CHECK(cleaned.author.find('\\') == std::string::npos);
    const std::string text = OwnRecipeText(cleaned);
    std::size_t markers = 0;
    for (const char c : text)
        markers += c == '#';
    FUZZ_CHECK(markers == 3);
    const LoadedOwnRecipe loaded = ParseOwnRecipe(text);
    FUZZ_CHECK(loaded.author == cleaned.author);
    FUZZ_CHECK(loaded.name == cleaned.name);
    FUZZ_CHECK(loaded.ingredients == cleaned.ingredients);
    FUZZ_CHECK(loaded.preparation == cleaned.preparation.substr(0, kLoadedPreparationLimit));

    // Records: whole lines, an entry's file name never holds the separator.
    const std::string record = PersonalRecord(cleaned.name, "xet1.txt");
    FUZZ_CHECK(FileNameFromEntry(record) == "xet1.txt");
    for (const std::string& line : CompleteLines(parts[4])) {
        FUZZ_CHECK(line.find('\n') == std::string::npos);
        FileNameFromEntry(line);
    }

    // The list files as read from disk, in both roles.
    fuzz::WriteFile("pers.txt", ScrambleBytes(parts[4]));
    fuzz::WriteFile("pref.txt", ScrambleBytes(parts[4]));
    const auto own = ReadOwnRecipeList();
    const auto favourites = ReadFavourites();
    FUZZ_CHECK(own && favourites);
    std::size_t total = 0;
    for (const auto& r : *own)
        total += r.size() + 1;
    FUZZ_CHECK(total <= parts[4].size());
    if (!favourites->empty())
        IsFavourite(FileNameFromEntry(favourites->front()));
    return 0;
}
