#include "personal/store.h"

#include "catalogue/catalogue.h"
#include "catalogue/page.h"
#include "catalogue/servings.h"
#include "core/cp1250.h"
#include "core/files.h"
#include "core/records.h"
#include "core/scramble.h"
#include "core/store_lock.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <random>
#include <sys/stat.h>
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

// Whether a typed field holds nothing but blanks, tabs and line breaks.
bool OnlyBlanksAndBreaks(std::string_view text) {
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
    // Nor the name of a deleted recipe kept in sterse/: a list or editor of another copy that
    // still shows the deleted one would reach the new recipe under it.
    const auto kept = [](const std::string& name) {
        struct stat st;
        return ::lstat((std::string(kDeletedFolder) + "/" + name).c_str(), &st) == 0;
    };
    while (DataEntryExists(OwnRecipeFileName(number)) || kept(OwnRecipeFileName(number)))
        ++number;
    return OwnRecipeFileName(number);
}

bool EnsureOwnRecipesSubcategory() {
    std::string text;
    if (!ReadWholeDataFile(kCatalogueFile, text))
        return false;
    text = ScrambleBytes(text);
    // Once: a catalogue that has the category already (the shipped one ends with it) keeps it
    // where it stands, and recipes appended before stay where they are.
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        std::string_view line = std::string_view(text).substr(pos, end - pos);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.remove_suffix(1);
        const std::size_t first = line.find_first_not_of(" \t");
        if (first != std::string_view::npos &&
            line.substr(first) == std::string("m ") + kOwnCategory)
            return true;
        pos = end + 1;
    }
    // Both lines in one replacement of the file (the append starts them on a line of their own).
    return AppendListLine(kCatalogueFile,
                          std::string("m ") + kOwnCategory + "\n  h " + kOwnSubcategory);
}

const char* StoreMessage(StoreResult result) {
    switch (result) {
    case StoreResult::CatalogueUnreadable:
        return kCatalogueUnreadable;
    case StoreResult::RecipeNotWritten:
    case StoreResult::ListsNotUpdated:
        return kStoreNotWritten;
    case StoreResult::RecipeDeleted:
        return kRecipeDeletedMeanwhile;
    case StoreResult::Stored:
        break;
    }
    return nullptr;
}

bool OwnRecipeStillExists(const std::string& fileName) {
    if (!IsSafeDataName(fileName) || !DataFileExists(fileName))
        return false;
    std::string bytes;
    if (!ReadWholeDataFile(kOwnRecipeList, bytes))
        return false;
    // A last record without its line feed (a hand-edited list) still names its recipe, as
    // the delete, which drops it, counts it.
    const std::vector<std::string> records =
        CompleteLines(ScrambleBytes(bytes), UnendedLine::KeptUnlessEmpty);
    return std::any_of(records.begin(), records.end(), [&](const std::string& record) {
        return EqualsIgnoreAsciiCase(FileNameFromEntry(record), fileName);
    });
}

StoreOutcome SaveOwnRecipe(SaveMode mode, const OwnRecipeFields& cleaned,
                           const std::string& fileName) {
    StoreOutcome outcome;
    const std::string working = ResolveDataName(kWorkingFile);
    if (mode == SaveMode::Modification) {
        outcome.fileName = fileName;
        // Checked and written under one hold of the lock, which a delete takes too: a recipe
        // deleted meanwhile is never brought back as a file no list names.
        const StoreLock lock;
        if (!lock.Held()) {
            outcome.result = StoreResult::RecipeNotWritten;
            return outcome;
        }
        if (!IsSafeDataName(fileName))
            outcome.result = StoreResult::RecipeNotWritten;
        else if (!OwnRecipeStillExists(fileName))
            outcome.result = StoreResult::RecipeDeleted;
        else if (!CopyFileAtomically(working, fileName))
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
    const bool catalogued = EnsureOwnRecipesSubcategory() &&
                            AppendListLine(kCatalogueFile, CatalogueEntry(cleaned.name, *next));
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
    if (result.written == WorkingFileResult::Written && OnlyBlanksAndBreaks(cleaned.ingredients) &&
        OnlyBlanksAndBreaks(cleaned.preparation))
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

namespace {

std::size_t Characters(std::string_view utf8) {
    std::size_t n = 0;
    for (const char c : utf8)
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

bool HoldsOnlyCp1250(std::string_view utf8) {
    std::string ignored;
    return Utf8ToCp1250Exact(utf8, ignored);
}

// A field's own text without line breaks at its ends.
std::string_view WithoutOuterBreaks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

} // namespace

bool NeedsLosslessForm(const TypedRecipe& typed, bool ingredientsAsLoaded) {
    for (const std::string* field :
         {&typed.author, &typed.name, &typed.ingredients, &typed.preparation})
        if (!HoldsOnlyCp1250(*field))
            return true;
    return !ingredientsAsLoaded &&
           WithoutOuterBreaks(typed.ingredients).find('\n') != std::string_view::npos;
}

std::string NewRecipeIdentifier() {
    std::random_device random;
    static constexpr char kHex[] = "0123456789abcdef";
    std::string id = "savorel:";
    for (int i = 0; i < 4; ++i) {
        const std::uint32_t word = random();
        for (int shift = 28; shift >= 0; shift -= 4)
            id.push_back(kHex[(word >> shift) & 15]);
    }
    return id;
}

Recipe RecipeFromTyped(const TypedRecipe& typed, const RecipeFacts& kept) {
    Recipe recipe;
    recipe.form = RecipeForm::Lossless;
    recipe.hasTitle = recipe.hasPreparation = true;
    const auto oneLine = [](std::string_view text) {
        std::string line(WithoutOuterBreaks(text));
        for (char& c : line)
            if (c == '\r' || c == '\n' || c == '\t')
                c = ' ';
        return line;
    };
    recipe.author = oneLine(typed.author);
    recipe.title = oneLine(typed.name);
    recipe.sections = SectionsFromLines(typed.ingredients);
    std::size_t start = 0;
    const std::string_view preparation = typed.preparation;
    while (start <= preparation.size()) {
        std::size_t end = preparation.find('\n', start);
        if (end == std::string_view::npos)
            end = preparation.size();
        const std::string_view line = WithoutOuterBreaks(preparation.substr(start, end - start));
        if (!line.empty())
            recipe.steps.emplace_back(line);
        start = end + 1;
    }
    recipe.servings =
        typed.servings >= kMinServings && typed.servings <= kMaxServings ? typed.servings : 0;
    recipe.facts = kept;
    if (recipe.facts.identifier.empty())
        recipe.facts.identifier = NewRecipeIdentifier();
    return recipe;
}

namespace {

WorkingFileResult WriteLosslessWorkingFile(const Recipe& recipe, OwnRecipeFields& cleaned) {
    cleaned = OwnRecipeFields();
    if (Characters(recipe.author) > kAuthorLimit)
        return WorkingFileResult::AuthorTooLong;
    if (Characters(recipe.title) > kNameLimit)
        return WorkingFileResult::NameTooLong;
    cleaned.name = CleanField(OwnRecipeField::Name, ListTitleOf(recipe));
    if (WithoutOuterBreaks(cleaned.name).empty())
        return WorkingFileResult::NameEmpty;
    const std::string ingredients = LinesFromSections(recipe.sections);
    if (Characters(ingredients) > kIngredientsFieldLimit)
        return WorkingFileResult::IngredientsTooLong;
    std::string preparation;
    for (const std::string& step : recipe.steps)
        preparation += step + "\n";
    if (Characters(preparation) > kPreparationFieldLimit)
        return WorkingFileResult::PreparationTooLong;
    if (ingredients.empty() && preparation.empty())
        return WorkingFileResult::ContentEmpty;
    cleaned.author = Utf8ToCp1250Folded(recipe.author);
    cleaned.ingredients = Utf8ToCp1250Folded(ingredients);
    cleaned.preparation = Utf8ToCp1250Folded(preparation);
    FilePtr f = CreateFreshDataFile(kWorkingFile);
    if (!f)
        return WorkingFileResult::NotCreated;
    bool ok = WriteScrambledText(f.get(), LosslessRecipeText(recipe));
    ok = CloseChecked(f) && ok;
    return ok ? WorkingFileResult::Written : WorkingFileResult::NotWritten;
}

} // namespace

EditorSaveResult SaveLosslessFromEditor(SaveMode mode, const Recipe& recipe,
                                        const std::string& fileName) {
    EditorSaveResult result;
    const StoreLock lock;
    if (!lock.Held()) {
        result.busy = true;
        return result;
    }
    OwnRecipeFields cleaned;
    result.written = WriteLosslessWorkingFile(recipe, cleaned);
    if (result.written == WorkingFileResult::Written)
        result.outcome = SaveOwnRecipe(mode, cleaned, fileName);
    return result;
}

std::optional<LoadedLosslessRecipe> LoadLosslessOwnRecipe(const std::string& fileName) {
    std::string text;
    if (!ReadRecipeText(fileName, text) || !IsLosslessText(text))
        return std::nullopt;
    const auto recipe = ReadLosslessRecipe(text);
    if (!recipe)
        return std::nullopt;
    LoadedLosslessRecipe loaded;
    loaded.typed.author = recipe->author;
    loaded.typed.name = recipe->title;
    loaded.typed.ingredients = LinesFromSections(recipe->sections);
    for (const std::string& step : recipe->steps) {
        if (!loaded.typed.preparation.empty())
            loaded.typed.preparation += '\n';
        loaded.typed.preparation += step;
    }
    loaded.typed.servings = recipe->servings;
    loaded.facts = recipe->facts;
    return loaded;
}

bool OwnRecipeModifiable(const std::string& fileName) {
    return OpenDataFile(fileName, "r+b") != nullptr;
}

} // namespace savorel
