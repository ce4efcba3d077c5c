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
#include <dirent.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <unordered_set>

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

namespace {

// One more than the largest number of an own recipe file the catalogue names (1 for none).
std::uint64_t NumberAfterCatalogued(std::string_view text) {
    bool any = false;
    std::uint64_t largest = 0;
    std::size_t pos = 0;
    while ((pos = text.find('~', pos)) != std::string_view::npos) {
        ++pos;
        while (pos < text.size() && text[pos] == ' ')
            ++pos;
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view taken = text.substr(pos, end - pos);
        if (taken.find("xet") != std::string_view::npos) {
            any = true;
            largest = std::max(largest, FirstNumber(taken));
        }
        pos = end;
    }
    return any ? largest + 1 : 1;
}

// Whether the catalogue has the own recipes' category already.
bool HasOwnCategory(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.remove_suffix(1);
        const std::size_t first = line.find_first_not_of(" \t");
        if (first != std::string_view::npos &&
            line.substr(first) == std::string("m ") + kOwnCategory)
            return true;
        pos = end + 1;
    }
    return false;
}

} // namespace

std::optional<std::string> NextOwnRecipeFileName() {
    std::string text;
    if (!ReadWholeDataFile(kCatalogueFile, text))
        return std::nullopt;
    std::uint64_t number = NumberAfterCatalogued(ScrambleBytes(text));
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
    // Once: a catalogue that has the category already (the shipped one ends with it) keeps it
    // where it stands, and recipes appended before stay where they are.
    if (HasOwnCategory(ScrambleBytes(text)))
        return true;
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

WorkingFileResult CheckLosslessRecipe(const Recipe& recipe, OwnRecipeFields& cleaned) {
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
    return WorkingFileResult::Written;
}

WorkingFileResult CleanFields(const OwnRecipeFields& typed, OwnRecipeFields& cleaned) {
    cleaned = OwnRecipeFields();
    if (typed.author.size() > kAuthorLimit)
        return WorkingFileResult::AuthorTooLong;
    cleaned.author = CleanField(OwnRecipeField::Author, typed.author);
    if (typed.name.size() > kNameLimit)
        return WorkingFileResult::NameTooLong;
    cleaned.name = CleanField(OwnRecipeField::Name, typed.name);
    if (cleaned.name.empty())
        return WorkingFileResult::NameEmpty;
    if (typed.ingredients.size() > kIngredientsFieldLimit)
        return WorkingFileResult::IngredientsTooLong;
    cleaned.ingredients = CleanField(OwnRecipeField::Ingredients, typed.ingredients);
    if (typed.preparation.size() > kPreparationFieldLimit)
        return WorkingFileResult::PreparationTooLong;
    cleaned.preparation = CleanField(OwnRecipeField::Preparation, typed.preparation);
    if (OnlyBlanksAndBreaks(cleaned.ingredients) && OnlyBlanksAndBreaks(cleaned.preparation))
        return WorkingFileResult::ContentEmpty;
    return WorkingFileResult::Written;
}

namespace {

WorkingFileResult WriteLosslessWorkingFile(const Recipe& recipe, OwnRecipeFields& cleaned) {
    if (const WorkingFileResult checked = CheckLosslessRecipe(recipe, cleaned);
        checked != WorkingFileResult::Written)
        return checked;
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

namespace {

std::string LowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    return out;
}

// The names of a folder's entries in lower case, read once (nothing when it cannot be read).
void AddLowerNamesIn(const char* folder, std::unordered_set<std::string>& names) {
    DIR* dir = ::opendir(folder);
    if (!dir)
        return;
    while (const dirent* entry = ::readdir(dir))
        names.insert(LowerAscii(entry->d_name));
    ::closedir(dir);
}

// Lines of a list text, each without its line feed; a last line without one is kept.
std::vector<std::string> ListLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        lines.emplace_back(text.substr(pos, end - pos));
        pos = end + 1;
    }
    return lines;
}

// The file name after the "~" of a catalogue line, or empty.
std::string_view CatalogueFileOf(std::string_view line) {
    const std::size_t tilde = line.rfind('~');
    if (tilde == std::string_view::npos)
        return {};
    std::string_view file = line.substr(tilde + 1);
    while (!file.empty() && (file.front() == ' ' || file.front() == '\t'))
        file.remove_prefix(1);
    while (!file.empty() && (file.back() == '\r' || file.back() == ' ' || file.back() == '\t'))
        file.remove_suffix(1);
    return file;
}

// A list text with its lines joined again and `added` after them, a last line left without
// its line feed ended first.
void AppendLines(std::string& text, std::string_view added) {
    if (added.empty())
        return;
    if (!text.empty() && text.back() != '\n')
        text += '\n';
    text += added;
}

} // namespace

OwnRecipeBatchOutcome StoreOwnRecipes(const std::vector<OwnRecipeBatchEntry>& batch,
                                      const BatchProgress& progress) {
    OwnRecipeBatchOutcome out;
    out.results.assign(batch.size(), StoreResult::RecipeNotWritten);
    out.fileNames.assign(batch.size(), std::string());
    if (batch.empty())
        return out;
    const StoreLock lock;
    if (!lock.Held()) {
        out.busy = true;
        return out;
    }
    std::string catalogue;
    if (!ReadWholeDataFile(kCatalogueFile, catalogue)) {
        out.results.assign(batch.size(), StoreResult::CatalogueUnreadable);
        out.failure = std::string(kCatalogueUnreadable) + " (" + kCatalogueFile + ")";
        return out;
    }
    catalogue = ScrambleBytes(catalogue);
    std::string personal;
    if (ReadWholeDataFile(kOwnRecipeList, personal)) {
        personal = ScrambleBytes(personal);
    } else if (DataFileExists(kOwnRecipeList)) {
        // Rewriting a list that exists but cannot be read would lose every record in it.
        out.failure = std::string(kRecipeUnreadable) + " (" + kOwnRecipeList + ")";
        return out;
    }
    // The records by file name, with the name each shows.
    std::unordered_map<std::string, std::string> listed;
    for (const std::string& record : CompleteLines(personal, UnendedLine::KeptUnlessEmpty))
        listed.emplace(LowerAscii(FileNameFromEntry(record)), VisibleNameOfEntry(record));
    std::unordered_set<std::string> taken;
    AddLowerNamesIn(".", taken);
    {
        std::unordered_set<std::string> deleted;
        AddLowerNamesIn(kDeletedFolder, deleted);
        taken.insert(deleted.begin(), deleted.end());
    }
    std::uint64_t number = NumberAfterCatalogued(catalogue);

    std::string addedCatalogue, addedPersonal;
    std::unordered_map<std::string, std::string> renamed; // lower-case file -> its new name
    std::vector<std::string> written;                     // new files, removed on failure
    std::vector<std::pair<std::size_t, StagedFile>> updates;
    for (std::size_t i = 0; i < batch.size(); ++i) {
        if (progress && !progress(i, batch.size()))
            break;
        const OwnRecipeBatchEntry& entry = batch[i];
        if (!entry.replaces.empty()) {
            const std::string key = LowerAscii(entry.replaces);
            const auto record = listed.find(key);
            if (!IsSafeDataName(entry.replaces) || record == listed.end() ||
                !DataFileExists(entry.replaces)) {
                out.results[i] = StoreResult::RecipeDeleted;
                continue;
            }
            StagedFile staged;
            if (!staged.Stage(entry.replaces, ScrambleBytes(entry.text), false))
                continue;
            out.fileNames[i] = entry.replaces;
            updates.emplace_back(i, std::move(staged));
            if (record->second != entry.name)
                renamed[key] = entry.name;
            continue;
        }
        while (taken.count(LowerAscii(OwnRecipeFileName(number))))
            ++number;
        const std::string name = OwnRecipeFileName(number++);
        taken.insert(LowerAscii(name));
        // Not synced one by one: the one sync below covers them all before a list names them.
        if (!WriteFileAtomically("./" + name, ScrambleBytes(entry.text), false))
            continue;
        written.push_back(name);
        out.fileNames[i] = name;
        out.results[i] = StoreResult::Stored;
        addedCatalogue += CatalogueEntry(entry.name, name) + '\n';
        addedPersonal += PersonalRecord(entry.name, name) + '\n';
    }
    if (progress)
        (void)progress(batch.size(), batch.size());
    if (written.empty() && updates.empty())
        return out;

    if (!renamed.empty()) {
        // An update whose title changed: the lines that name its file carry the new name.
        std::string rewritten;
        for (const std::string& line : ListLines(catalogue)) {
            const auto found = renamed.find(LowerAscii(CatalogueFileOf(line)));
            rewritten += found == renamed.end()
                             ? line
                             : CatalogueEntry(found->second, CatalogueFileOf(line));
            rewritten += '\n';
        }
        if (!catalogue.empty() && catalogue.back() != '\n')
            rewritten.pop_back();
        catalogue = std::move(rewritten);
        rewritten.clear();
        for (const std::string& line : ListLines(personal)) {
            const std::string file = FileNameFromEntry(line);
            const auto found = renamed.find(LowerAscii(file));
            rewritten += found == renamed.end() ? line : PersonalRecord(found->second, file);
            rewritten += '\n';
        }
        if (!personal.empty() && personal.back() != '\n')
            rewritten.pop_back();
        personal = std::move(rewritten);
    }
    if (!written.empty() && !HasOwnCategory(catalogue))
        AppendLines(catalogue,
                    std::string("m ") + kOwnCategory + "\n  h " + kOwnSubcategory + "\n");
    AppendLines(catalogue, addedCatalogue);
    AppendLines(personal, addedPersonal);

    const auto undo = [&](const std::string& why) {
        for (const std::string& name : written)
            ::unlink(name.c_str());
        for (auto& [index, staged] : updates)
            staged.Discard();
        out.results.assign(batch.size(), StoreResult::RecipeNotWritten);
        out.fileNames.assign(batch.size(), std::string());
        out.failure = why;
    };
    if (!SyncFileSystemOf(".")) {
        undo("the recipe files did not reach the disk");
        return out;
    }
    StagedFile catalogueFile, personalFile;
    if (const WriteResult r = catalogueFile.Stage(kCatalogueFile, ScrambleBytes(catalogue)); !r) {
        undo(std::string(kCatalogueFile) + ": " + WriteFailureText(r));
        return out;
    }
    if (const WriteResult r = personalFile.Stage(kOwnRecipeList, ScrambleBytes(personal)); !r) {
        undo(std::string(kOwnRecipeList) + ": " + WriteFailureText(r));
        return out;
    }
    // Both lists are on the disk beside their old selves: only the renames remain, which
    // need no room.
    std::string oldCatalogue;
    (void)ReadWholeDataFile(kCatalogueFile, oldCatalogue);
    if (const WriteResult r = catalogueFile.Commit(); !r) {
        undo(std::string(kCatalogueFile) + ": " + WriteFailureText(r));
        return out;
    }
    if (const WriteResult r = personalFile.Commit(); !r) {
        (void)WriteFileAtomically(kCatalogueFile, oldCatalogue);
        undo(std::string(kOwnRecipeList) + ": " + WriteFailureText(r));
        return out;
    }
    for (auto& [index, staged] : updates)
        out.results[index] = staged.Commit() ? StoreResult::Stored : StoreResult::RecipeNotWritten;
    (void)SyncFolder(".");
    return out;
}

} // namespace savorel
