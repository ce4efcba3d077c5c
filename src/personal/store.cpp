#include "personal/store.h"

#include "catalogue/catalogue.h"
#include "catalogue/page.h"
#include "core/files.h"
#include "core/scramble.h"
#include "core/store_lock.h"
#include "personal/records.h"

#include <algorithm>
#include <cstdint>
#include <unistd.h>

namespace savorel {

namespace {

// The first run of decimal digits of a text as a number (0 when it holds none), saturated
// well below the end of the type so that one more still fits.
std::uint64_t FirstNumber(std::string_view text) {
    constexpr std::uint64_t kCeiling = 999999999999999999ULL;
    std::size_t i = 0;
    while (i < text.size() && !IsAsciiDigit(static_cast<unsigned char>(text[i])))
        ++i;
    std::uint64_t value = 0;
    for (; i < text.size() && IsAsciiDigit(static_cast<unsigned char>(text[i])); ++i)
        value =
            value > kCeiling / 10 ? kCeiling : value * 10 + static_cast<unsigned>(text[i] - '0');
    return value > kCeiling ? kCeiling : value;
}

std::string OwnRecipeFileName(std::uint64_t number) {
    return "xet" + std::to_string(number) + ".txt";
}

bool CloseChecked(FilePtr& f) {
    std::FILE* raw = f.release();
    const bool flushed = std::fflush(raw) == 0 && ::fsync(::fileno(raw)) == 0;
    return std::fclose(raw) == 0 && flushed;
}

bool IsBlank(std::string_view text) {
    return text.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

} // namespace

std::string CleanField(OwnRecipeField field, std::string_view text) {
    std::string clean(text);
    for (char& c : clean) {
        if (c == '#' || c == '~' || (field == OwnRecipeField::Author && c == '\\') ||
            (field == OwnRecipeField::Name && (c == '\r' || c == '\n')))
            c = ' ';
    }
    return clean;
}

std::string StoredLineBreaks(std::string_view text) {
    std::string stored;
    stored.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            stored.push_back('\r');
        stored.push_back(text[i]);
    }
    return stored;
}

std::string OwnRecipeText(const OwnRecipeFields& cleaned) {
    std::string text = cleaned.author;
    text += kOwnRecipeMarker;
    text += cleaned.name;
    text += kOwnRecipeMarker;
    text += cleaned.ingredients;
    text += kOwnRecipeMarker;
    text += cleaned.preparation;
    return text;
}

std::string PersonalRecord(std::string_view name, std::string_view fileName) {
    std::string record(name);
    record.append(kPersonalRecordFiller, ' ');
    record += '#';
    record += fileName;
    return record;
}

std::string CatalogueEntry(std::string_view name, std::string_view fileName) {
    std::string entry(kCatalogueEntryLead);
    entry += name;
    entry += kCatalogueEntryTilde;
    entry += fileName;
    return entry;
}

const char* RefusalMessage(WorkingFileResult result) {
    switch (result) {
    case WorkingFileResult::AuthorTooLong:
    case WorkingFileResult::NameTooLong:
        return kFieldTooLong;
    case WorkingFileResult::NameEmpty:
        return kNameMissing;
    case WorkingFileResult::IngredientsTooLong:
        return kIngredientsTooLong;
    case WorkingFileResult::PreparationTooLong:
        return kPreparationTooLong;
    case WorkingFileResult::ContentEmpty:
        return kContentMissing;
    case WorkingFileResult::Written:
    case WorkingFileResult::NotCreated:
    case WorkingFileResult::NotWritten:
        break;
    }
    return nullptr;
}

WorkingFileResult WriteWorkingFile(const OwnRecipeFields& typed, OwnRecipeFields& cleaned) {
    cleaned = OwnRecipeFields();
    FilePtr f = CreateFreshDataFile(kWorkingFile);
    if (!f)
        return WorkingFileResult::NotCreated;
    bool ok = true;
    const auto write = [&](std::string_view text) { ok = WriteScrambledText(f.get(), text) && ok; };

    if (typed.author.size() > kAuthorLimit)
        return WorkingFileResult::AuthorTooLong;
    cleaned.author = CleanField(OwnRecipeField::Author, typed.author);
    write(cleaned.author);
    write(kOwnRecipeMarker);

    if (typed.name.size() > kNameLimit)
        return WorkingFileResult::NameTooLong;
    cleaned.name = CleanField(OwnRecipeField::Name, typed.name);
    if (cleaned.name.empty())
        return WorkingFileResult::NameEmpty;
    write(cleaned.name);
    write(kOwnRecipeMarker);

    if (typed.ingredients.size() > kIngredientsFieldLimit)
        return WorkingFileResult::IngredientsTooLong;
    cleaned.ingredients = CleanField(OwnRecipeField::Ingredients, typed.ingredients);
    write(cleaned.ingredients);
    write(kOwnRecipeMarker);

    if (typed.preparation.size() > kPreparationFieldLimit)
        return WorkingFileResult::PreparationTooLong;
    cleaned.preparation = CleanField(OwnRecipeField::Preparation, typed.preparation);
    write(cleaned.preparation);
    ok = CloseChecked(f) && ok;
    return ok ? WorkingFileResult::Written : WorkingFileResult::NotWritten;
}

std::optional<std::string> NextOwnRecipeFileName() {
    std::string text;
    if (!ReadWholeDataFile(kCatalogueFile, text))
        return std::nullopt;
    text = ScrambleBytes(text);
    bool any = false;
    std::uint64_t largest = 0;
    std::size_t pos = 0;
    while ((pos = text.find('~', pos)) != std::string::npos) {
        ++pos;
        while (pos < text.size() && text[pos] == ' ')
            ++pos;
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos)
            end = text.size();
        const std::string_view taken = std::string_view(text).substr(pos, end - pos);
        if (taken.find("xet") != std::string_view::npos) {
            any = true;
            largest = std::max(largest, FirstNumber(taken));
        }
        pos = end;
    }
    std::uint64_t number = any ? largest + 1 : 1;
    // A recipe file that the catalogue does not name (its line could not be appended, or
    // the catalogue was installed afresh) still belongs to the user: never write over it.
    while (DataEntryExists(OwnRecipeFileName(number)))
        ++number;
    return OwnRecipeFileName(number);
}

const char* StoreMessage(StoreResult result) {
    switch (result) {
    case StoreResult::CatalogueUnreadable:
        return kCatalogueUnreadable;
    case StoreResult::RecipeNotWritten:
    case StoreResult::ListsNotUpdated:
        return kStoreNotWritten;
    case StoreResult::Stored:
        break;
    }
    return nullptr;
}

StoreOutcome SaveOwnRecipe(SaveMode mode, const OwnRecipeFields& cleaned,
                           const std::string& fileName) {
    StoreOutcome outcome;
    const std::string working = ResolveDataName(kWorkingFile);
    if (mode == SaveMode::Modification) {
        outcome.fileName = fileName;
        if (!IsSafeDataName(fileName) || !CopyFileAtomically(working, fileName))
            outcome.result = StoreResult::RecipeNotWritten;
        return outcome;
    }
    const std::optional<std::string> next = NextOwnRecipeFileName();
    if (!next) {
        outcome.result = StoreResult::CatalogueUnreadable;
        return outcome;
    }
    outcome.fileName = *next;
    if (!CopyFileAtomically(working, *next)) {
        outcome.result = StoreResult::RecipeNotWritten;
        return outcome;
    }
    outcome.fieldsEmptied = true;
    const bool catalogued = AppendListLine(kCatalogueFile, CatalogueEntry(cleaned.name, *next));
    const bool listed = AppendListLine(kOwnRecipeList, PersonalRecord(cleaned.name, *next));
    if (!catalogued || !listed)
        outcome.result = StoreResult::ListsNotUpdated;
    return outcome;
}

EditorSaveResult SaveFromEditor(SaveMode mode, const OwnRecipeFields& typed,
                                const std::string& fileName) {
    EditorSaveResult result;
    const StoreLock lock;
    if (!lock.Held()) {
        result.busy = true;
        return result;
    }
    OwnRecipeFields cleaned;
    result.written = WriteWorkingFile(typed, cleaned);
    if (result.written == WorkingFileResult::Written && IsBlank(cleaned.ingredients) &&
        IsBlank(cleaned.preparation))
        result.written = WorkingFileResult::ContentEmpty;
    if (result.written == WorkingFileResult::Written)
        result.outcome = SaveOwnRecipe(mode, cleaned, fileName);
    return result;
}

LoadedOwnRecipe ParseOwnRecipe(std::string_view text) {
    // The fields never hold "#" (saving makes it a blank); each marker is a line feed, "#"
    // and a line feed, so one line feed on each side of a "#" belongs to the marker.
    LoadedOwnRecipe recipe;
    std::string* fields[] = {&recipe.author, &recipe.name, &recipe.ingredients,
                             &recipe.preparation};
    std::size_t start = 0;
    for (std::size_t f = 0; f < 4; ++f) {
        if (f > 0 && start < text.size() && text[start] == '\n')
            ++start;
        std::size_t end = f < 3 ? text.find('#', start) : text.size();
        if (end == std::string_view::npos)
            end = text.size();
        std::size_t last = end;
        if (f < 3 && end < text.size() && last > start && text[last - 1] == '\n')
            --last;
        std::string_view field = text.substr(start, last - start);
        if (f == 3)
            field = field.substr(0, kLoadedPreparationLimit);
        *fields[f] = std::string(field);
        if (f == 1) // the name is one line of the lists, whatever a hand-made file holds
            std::erase_if(recipe.name, [](char c) { return c == '\r' || c == '\n'; });
        if (end >= text.size())
            break;
        start = end + 1;
    }
    return recipe;
}

std::optional<LoadedOwnRecipe> LoadOwnRecipe(const std::string& fileName) {
    std::string text;
    if (!ReadRecipeText(fileName, text))
        return std::nullopt;
    return ParseOwnRecipe(text);
}

bool OwnRecipeModifiable(const std::string& fileName) {
    return OpenDataFile(fileName, "r+b") != nullptr;
}

} // namespace savorel
