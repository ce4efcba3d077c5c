// Import and export speed: N recipes (740, 10,000, 100,000) as one JSON array imported into a
// temporary copy of the packed book (never the book itself), wall and CPU time for reading
// and for storing; then the whole book exported as one array and as a folder tree.
// Run by hand: build/bench/import_bench [N...]
#include "catalogue/catalogue.h"
#include "personal/exchange.h"
#include "personal/recipe_folders.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

using namespace savorel;
namespace fs = std::filesystem;

namespace {

struct Clock {
    std::chrono::steady_clock::time_point wall = std::chrono::steady_clock::now();
    double cpu = CpuSeconds();
    static double CpuSeconds() {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
    }
    void Print(const char* what, std::size_t count) const {
        const double w =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count();
        std::printf("%-34s %8zu  wall %8.3f s  cpu %8.3f s  %10.0f /s\n", what, count, w,
                    CpuSeconds() - cpu, w > 0 ? static_cast<double>(count) / w : 0.0);
    }
};

std::string FreshDataFolder() {
    std::string folder = (fs::temp_directory_path() / "savorel-import-XXXXXX").string();
    if (!::mkdtemp(folder.data()))
        std::exit(1);
    for (const auto& entry : fs::directory_iterator(BOOK_DATA_DIR))
        if (entry.is_regular_file())
            fs::copy_file(entry.path(), folder + "/" + entry.path().filename().string());
    return folder;
}

// Recipes of the shapes sites write: sections, several steps, a yield, an identifier.
std::string Recipes(std::size_t n) {
    std::string json = "[";
    for (std::size_t i = 0; i < n; ++i) {
        const std::string k = std::to_string(i);
        json += (i ? ",\n" : "\n");
        json += R"({"@context": "https://schema.org", "@type": "Recipe", "identifier": "bench-)" +
                k + R"(", "name": "Ciorbă de perişoare nr. )" + k +
                R"(", "author": {"@type": "Person", "name": "Ana"}, "recipeYield": "6 porţii",
  "prepTime": "PT20M", "cookTime": "PT1H", "recipeIngredient": ["Perişoare:", "500 g carne tocată",
  "1 ou", "50 g orez", "Ciorbă:", "2 l apă", "1 morcov", "1 ceapă", "200 ml borş", "sare"],
  "recipeInstructions": [{"@type": "HowToStep", "text": "Amestecă carnea cu orezul şi oul."},
  {"@type": "HowToStep", "text": "Fierbe legumele )" +
                k + R"( minute."},
  {"@type": "HowToStep", "text": "Pune perişoarele şi borşul."}]})";
    }
    return json + "\n]\n";
}

} // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::vector<std::size_t> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::strtoul(argv[i], nullptr, 10));
    if (sizes.empty())
        sizes = {740, 10000, 100000};
    const std::string previous = fs::current_path().string();
    for (const std::size_t n : sizes) {
        const std::string folder = FreshDataFolder();
        if (::chdir(folder.c_str()) != 0)
            return 1;
        const std::string json = Recipes(n);
        std::vector<ForeignRecipe> recipes;
        std::string error;
        const Clock read;
        if (!ParseRecipeDocument(json, recipes, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
        read.Print("read (parse JSON)", recipes.size());
        const Clock store;
        const ImportReport report = StoreForeignRecipes(recipes);
        store.Print("store (one batch)", static_cast<std::size_t>(report.StoredCount()));
        if (report.StoredCount() != static_cast<int>(n))
            std::fprintf(stderr, "only %d of %zu stored\n", report.StoredCount(), n);
        const Clock again;
        const ImportReport same = StoreForeignRecipes(recipes);
        again.Print("import again (all identical)",
                    static_cast<std::size_t>(same.Count(ImportOutcome::Identical)));
        // The export of the book with the first import's recipes (740 by default): the
        // calorie calculator reads its tables for every recipe.
        if (n == sizes.front() && n <= 10000) {
            const Clock whole;
            const auto entries = ExportEntries(false);
            std::vector<std::string> unreadable;
            const std::string out = ExportRecipes(*entries, unreadable);
            whole.Print("export book + own (one array)", entries->size() - unreadable.size());
            std::printf("%-34s %8zu bytes\n", "  array size", out.size());
            const Clock tree;
            const FolderExportResult folders = ExportRecipeFolders(*entries, folder + "/out");
            tree.Print("export book + own (folders)", folders.written);
        }
        if (::chdir(previous.c_str()) != 0)
            return 1;
        fs::remove_all(folder);
    }
    return 0;
}
