// Commands that take recipes out to other recipe programs and in from them.
#include "catalogue/catalogue.h"
#include "personal/exchange.h"
#include "tools/cookbook.h"

#include <iostream>

namespace cookbook {

using namespace savorel;

int RunExport(const Args& args) {
    bool own = false;
    std::string out = "-";
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--own") {
            own = true;
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
    if (args.empty())
        return UsageError(FindCommand("import"), "needs at least one file");
    bool failed = false;
    for (const std::string& file : args) {
        const ImportReport report = ImportRecipeFile(CallerPath(file));
        std::cout << ImportReportText(file, report);
        failed = failed || !report.error.empty();
        // A recipe already there is no failure: importing the same file again is harmless.
        for (const ImportedRecipe& recipe : report.recipes)
            failed = failed || (!recipe.stored && recipe.reason != kImportDuplicate);
    }
    return failed ? kFailure : kOk;
}

} // namespace cookbook
