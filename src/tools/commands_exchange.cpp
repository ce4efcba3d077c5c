// Commands that take recipes out to other recipe programs and in from them.
#include "catalogue/catalogue.h"
#include "personal/exchange.h"
#include "personal/recipe_folders.h"
#include "tools/cookbook.h"

#include <iostream>

namespace cookbook {

using namespace savorel;

int RunExport(const Args& args) {
    bool own = false;
    std::string out = "-";
    std::string folders;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--own") {
            own = true;
        } else if (args[i] == "--folders") {
            if (i + 1 >= args.size())
                return UsageError(FindCommand("export"), "--folders needs a folder");
            folders = args[++i];
        } else if (args[i] == "-o") {
            if (i + 1 >= args.size())
                return UsageError(FindCommand("export"), "-o needs a file");
            out = args[++i];
        } else {
            return UsageError(FindCommand("export"), "unknown argument " + args[i]);
        }
    }
    const auto entries = ExportEntries(own);
    if (!entries)
        return Failure(std::string(kCannotOpenCatalogue) + " (virt-dir.txt)");
    std::vector<std::string> unreadable;
    if (!folders.empty()) {
        const FolderExportResult result = ExportRecipeFolders(*entries, CallerPath(folders));
        for (const std::string& file : result.unreadable)
            std::cerr << "cookbook export: " << file << " cannot be opened; left out\n";
        if (!result.failure.empty())
            return Failure("cookbook export: " + result.failure);
        std::cerr << "exported " << result.written << " recipes into " << folders << "\n";
        return result.unreadable.empty() ? kOk : kFailure;
    }
    const std::string json = ExportRecipes(*entries, unreadable);
    // JSON is UTF-8 whatever the terminal speaks: the bytes go out as they are.
    if (const WriteResult written = WriteOutput(out, json, true); !written)
        return Failure("cookbook export: " + CannotWrite(out, written));
    for (const std::string& file : unreadable)
        std::cerr << "cookbook export: " << file << " cannot be opened; left out\n";
    std::cerr << "exported " << entries->size() - unreadable.size() << " recipes\n";
    return unreadable.empty() ? kOk : kFailure;
}

int RunImport(const Args& args) {
    ImportOptions options;
    std::vector<std::string> files;
    for (const std::string& arg : args) {
        if (arg == "--update")
            options.update = true;
        else
            files.push_back(arg);
    }
    if (files.empty())
        return UsageError(FindCommand("import"), "needs at least one file");
    bool failed = false;
    for (const std::string& file : files) {
        const ImportReport report = ImportRecipeFile(CallerPath(file), options);
        std::cout << ImportReportText(file, report);
        failed = failed || !report.error.empty();
        // A recipe already there is no failure: importing the same file again is harmless.
        for (const ImportedRecipe& recipe : report.recipes)
            failed = failed || recipe.outcome == ImportOutcome::Refused;
    }
    return failed ? kFailure : kOk;
}

} // namespace cookbook
