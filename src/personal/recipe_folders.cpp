#include "personal/recipe_folders.h"

#include "catalogue/page.h"
#include "core/cp1250.h"
#include "core/files.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <exception>
#include <sys/stat.h>

namespace savorel {

namespace {

std::string LowerAsciiOf(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    return out;
}

// The length of the valid UTF-8 sequence at `i`, or 0 for a byte that starts none.
std::size_t Utf8Length(std::string_view text, std::size_t i) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    std::size_t n = 0;
    char32_t cp = 0;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        n = 2, cp = lead & 0x1F;
    else if (lead >= 0xE0 && lead <= 0xEF)
        n = 3, cp = lead & 0x0F;
    else if (lead >= 0xF0 && lead <= 0xF4)
        n = 4, cp = lead & 0x07;
    else
        return 0;
    if (i + n > text.size())
        return 0;
    for (std::size_t k = 1; k < n; ++k) {
        const unsigned char c = static_cast<unsigned char>(text[i + k]);
        if ((c & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (c & 0x3F);
    }
    if ((n == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) || (n == 4 && cp < 0x10000) ||
        cp > 0x10FFFF)
        return 0;
    return n;
}

// A regular file no larger than a recipe file may be (a planted huge file is never read).
bool SmallRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           static_cast<unsigned long long>(st.st_size) <= kLosslessFileLimit;
}

bool Forbidden(char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7F ||
           std::strchr("/\\:*?\"<>|", c) != nullptr;
}

} // namespace

bool ParseRecipeDocumentGuarded(std::string_view bytes, std::vector<ForeignRecipe>& recipes,
                                std::string& error) {
    try {
        return ParseRecipeDocument(bytes, recipes, error);
    } catch (const std::exception& e) {
        recipes.clear();
        error = std::string("fi\xBA"
                            "ierul nu poate fi citit (") +
                e.what() + "); nu s-a importat nimic.";
        return false;
    }
}

std::string RecipeFolderName(std::string_view title, std::set<std::string>& taken) {
    std::string name;
    for (std::size_t i = 0; i < title.size();) {
        const std::size_t n = Utf8Length(title, i);
        if (n == 0 || (n == 1 && Forbidden(title[i]))) {
            if (!name.empty() && name.back() != ' ')
                name += ' ';
            i += n == 0 ? 1 : n;
            continue;
        }
        if (name.size() + n > kFolderNameLimit)
            break;
        if (!(title[i] == ' ' && (name.empty() || name.back() == ' ')))
            name.append(title.substr(i, n));
        i += n;
    }
    while (!name.empty() && (name.back() == ' ' || name.back() == '.'))
        name.pop_back();
    const std::size_t lead = name.find_first_not_of(" .");
    name.erase(0, lead == std::string::npos ? name.size() : lead);
    if (name.empty())
        name = "Re\xC8\x9B"
               "et\xC4\x83"; // "Rețetă"
    std::string unique = name;
    for (int n = 2; taken.count(LowerAsciiOf(unique)); ++n)
        unique = name + " (" + std::to_string(n) + ")";
    taken.insert(LowerAsciiOf(unique));
    return unique;
}

FolderExportResult ExportRecipeFolders(const std::vector<ExportEntry>& entries,
                                       const std::string& dir) {
    FolderExportResult result;
    if (::mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) {
        result.failure = dir + ": " + std::strerror(errno);
        return result;
    }
    std::set<std::string> taken;
    for (const ExportEntry& entry : entries) {
        std::string text;
        if (!IsSafeDataName(entry.fileName) || !ReadRecipeText(entry.fileName, text)) {
            result.unreadable.push_back(entry.fileName);
            continue;
        }
        const Recipe model = ReadRecipe(text);
        const std::string title =
            model.form == RecipeForm::Book ? Cp1250ToUtf8(model.title) : model.title;
        const std::string folder = dir + "/" + RecipeFolderName(title, taken);
        if (::mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) {
            result.failure = folder + ": " + std::strerror(errno);
            return result;
        }
        const std::string json = RecipeJsonLd(entry, model, CaloriesForExport(text)) + "\n";
        if (const WriteResult written =
                WriteUserFile(folder + "/" + kFolderRecipeFile, json, false);
            !written) {
            result.failure = folder + "/" + kFolderRecipeFile + ": " + WriteFailureText(written);
            return result;
        }
        ++result.written;
    }
    // One sync for the whole tree rather than one per file.
    if (result.written > 0 && !SyncFileSystemOf(dir))
        result.failure = dir + ": the files did not reach the disk";
    return result;
}

bool RecipesFromFolderFiles(std::vector<std::pair<std::string, std::string>> files,
                            std::vector<ForeignRecipe>& recipes, std::vector<std::string>& notes,
                            std::string& error) {
    recipes.clear();
    std::stable_sort(files.begin(), files.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [folder, bytes] : files) {
        std::vector<ForeignRecipe> found;
        std::string why;
        if (!ParseRecipeDocumentGuarded(bytes, found, why)) {
            notes.push_back(folder + "/" + kFolderRecipeFile + ": " + why);
            continue;
        }
        for (ForeignRecipe& recipe : found)
            recipes.push_back(std::move(recipe));
    }
    if (recipes.empty()) {
        error = files.empty() ? "dosarul nu con\xFE"
                                "ine niciun " +
                                    std::string(kFolderRecipeFile) + "; nu s-a importat nimic."
                              : "niciun " + std::string(kFolderRecipeFile) +
                                    " al dosarului nu con\xFE"
                                    "ine o re\xFE"
                                    "et\xE3; nu s-a importat "
                                    "nimic.";
        return false;
    }
    return true;
}

bool ReadRecipeFolders(const std::string& dir, std::vector<ForeignRecipe>& recipes,
                       std::vector<std::string>& notes, std::string& error) {
    std::vector<std::pair<std::string, std::string>> files;
    DIR* folder = ::opendir(dir.c_str());
    if (!folder) {
        error = "dosarul nu poate fi citit; nu s-a importat nimic.";
        return false;
    }
    std::string bytes;
    if (SmallRegularFile(dir + "/" + kFolderRecipeFile) &&
        ReadWholeFile(dir + "/" + kFolderRecipeFile, bytes))
        files.emplace_back(".", std::move(bytes));
    while (const dirent* entry = ::readdir(folder)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        struct stat st {};
        // A link may lead anywhere, even back up the tree: only real folders are read.
        if (::lstat((dir + "/" + name).c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            continue;
        if (files.size() >= kRecipeFolderLimit) {
            notes.push_back("dosarul are peste " + std::to_string(kRecipeFolderLimit) +
                            " de re\xFE"
                            "ete; s-au citit primele " +
                            std::to_string(kRecipeFolderLimit) + ".");
            break;
        }
        const std::string path = dir + "/" + name + "/" + kFolderRecipeFile;
        std::string text;
        if (!SmallRegularFile(path) || !ReadWholeFile(path, text))
            continue;
        files.emplace_back(name, std::move(text));
    }
    ::closedir(folder);
    return RecipesFromFolderFiles(std::move(files), recipes, notes, error);
}

} // namespace savorel
