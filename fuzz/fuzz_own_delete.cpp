// Deleting an own recipe from lists a hand or another program may have left in any state.
// Input: catalogue, pers.txt, the file name asked for and the record the list window hands
// along, separated by "@@"; the first byte of the name part says whether the recipe file is
// there (odd) or not.
#include "catalogue/catalogue.h"
#include "core/files.h"
#include "core/records.h"
#include "core/scramble.h"
#include "fuzz_util.h"
#include "personal/own_delete.h"
#include "personal/store.h"

#include <cstdint>
#include <filesystem>
#include <vector>

using namespace savorel;

namespace {

// The file name after the "~" of a catalogue line and its blanks, line breaks dropped.
bool CatalogueLineNames(std::string_view line, std::string_view fileName) {
    const std::size_t tilde = line.find('~');
    if (tilde == std::string_view::npos)
        return false;
    std::size_t from = tilde + 1;
    while (from < line.size() && line[from] == ' ')
        ++from;
    std::string named;
    for (const char c : line.substr(from))
        if (c != '\r' && c != '\n')
            named.push_back(c);
    return EqualsIgnoreAsciiCase(named, fileName);
}

std::string ReadPlain(const char* name) {
    std::string bytes;
    return ReadWholeDataFile(name, bytes) ? ScrambleBytes(bytes) : std::string("<missing>");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::DataFolder();
    const auto parts =
        fuzz::SplitParts<4>(std::string_view(reinterpret_cast<const char*>(data), size), "@@");
    const std::string_view catalogue = parts[0];
    const std::string_view list = parts[1];
    const bool fileThere = !parts[2].empty() && (static_cast<unsigned char>(parts[2][0]) & 1);
    const std::string fileName(parts[2].empty() ? parts[2] : parts[2].substr(1));
    const std::string_view record = parts[3];

    // The catalogue loses whole lines only, each one naming the file, and keeps the order.
    const std::string kept = CatalogueWithout(catalogue, fileName);
    FUZZ_CHECK(kept.size() <= catalogue.size());
    FUZZ_CHECK(CatalogueWithout(kept, fileName) == kept);
    std::size_t at = 0;
    std::size_t start = 0;
    while (start < catalogue.size()) {
        std::size_t end = catalogue.find('\n', start);
        end = end == std::string_view::npos ? catalogue.size() : end + 1;
        const std::string_view line = catalogue.substr(start, end - start);
        if (kept.compare(at, line.size(), line) == 0 && !CatalogueLineNames(line, fileName))
            at += line.size();
        else
            FUZZ_CHECK(CatalogueLineNames(line, fileName));
        start = end;
    }
    FUZZ_CHECK(at == kept.size());

    // The whole delete on a data folder holding these lists.
    std::error_code ignored;
    std::filesystem::remove_all(kDeletedFolder, ignored);
    std::vector<std::filesystem::path> left;
    for (const auto& entry : std::filesystem::directory_iterator(".", ignored))
        left.push_back(entry.path());
    for (const auto& path : left)
        std::filesystem::remove_all(path, ignored);
    fuzz::WriteFile(kCatalogueFile, ScrambleBytes(catalogue));
    fuzz::WriteFile(kOwnRecipeList, ScrambleBytes(list));
    // A name the file system can hold (fuzz::WriteFile gives up on any other).
    const bool safe = IsSafeDataName(fileName) && !fileName.empty() && fileName.size() < 100 &&
                      fileName.find('\0') == std::string::npos;
    if (fileThere && safe)
        fuzz::WriteFile(fileName.c_str(), "reteta");
    const std::string listBefore = ReadPlain(kOwnRecipeList);
    const std::string catalogueBefore = ReadPlain(kCatalogueFile);

    const DeleteOwnResult result = DeleteOwnRecipe(fileName, record);
    FUZZ_CHECK(result != DeleteOwnResult::Busy); // no other copy here
    switch (result) {
    case DeleteOwnResult::Deleted: {
        // Nothing leads to it any more, and what was there is kept.
        FUZZ_CHECK(!DataEntryExists(fileName));
        FUZZ_CHECK(!OwnRecipeStillExists(fileName));
        const auto records = ReadListFile(kOwnRecipeList);
        FUZZ_CHECK(records.has_value());
        for (const std::string& r : *records)
            FUZZ_CHECK(!EqualsIgnoreAsciiCase(FileNameFromEntry(r), fileName));
        const std::string after = ReadPlain(kCatalogueFile);
        FUZZ_CHECK(after == CatalogueWithout(catalogueBefore, fileName));
        if (fileThere)
            FUZZ_CHECK(std::filesystem::exists(std::string(kDeletedFolder) + "/" + fileName));
        break;
    }
    case DeleteOwnResult::AlreadyDeleted:
    case DeleteOwnResult::NotOwnRecipe:
        // Nothing changed.
        FUZZ_CHECK(ReadPlain(kOwnRecipeList) == listBefore);
        FUZZ_CHECK(ReadPlain(kCatalogueFile) == catalogueBefore);
        if (fileThere && safe)
            FUZZ_CHECK(DataEntryExists(fileName));
        FUZZ_CHECK(!std::filesystem::exists(kDeletedFolder));
        break;
    case DeleteOwnResult::NotWritten:
    case DeleteOwnResult::Busy:
        break;
    }
    // The name a further copy would be kept under is always free.
    if (safe) {
        std::filesystem::create_directory(kDeletedFolder, ignored);
        const std::string free = FreeNameIn(kDeletedFolder, fileName);
        FUZZ_CHECK(!std::filesystem::exists(std::filesystem::symlink_status(free, ignored)));
    }
    return 0;
}
