// The calorie calculator over the shipped book: one recipe's page, and the whole book.
#include "catalogue/catalogue.h"
#include "catalogue/page.h"
#include "catalogue/servings.h"
#include "core/files.h"
#include "core/folders.h"
#include "core/report.h"
#include "core/scramble.h"
#include "viewing/calories.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

using namespace savorel;

namespace {

bool InBook(benchmark::State& state) {
    if (chdir(BOOK_DATA_DIR) != 0) {
        state.SkipWithError("no packed book");
        return false;
    }
    return true;
}

void CaloriePageOfOneRecipe(benchmark::State& state) {
    if (!InBook(state))
        return;
    CollectingReporter reporter;
    const std::string folder = "/tmp/";
    for (auto _ : state) {
        CalorieState result;
        benchmark::DoNotOptimize(CalculateCalories("RET001.TXT", folder, reporter, &result));
    }
}
BENCHMARK(CaloriePageOfOneRecipe)->Unit(benchmark::kMicrosecond);

// What the recipe window does when another number of servings is chosen while the calorie
// page is shown: the page and the calorie page regenerated. The book states no servings yet,
// so a copy of one of its recipes gets "4 portii" in a folder of its own with the tables.
void ServingsChangedWithCaloriesShown(benchmark::State& state) {
    if (!InBook(state))
        return;
    namespace fs = std::filesystem;
    const fs::path book = fs::current_path();
    const fs::path folder =
        fs::temp_directory_path() / ("savorel-bench-" + std::to_string(getpid()));
    fs::create_directories(folder);
    for (const char* table : {kFoodTableFile, kUnitTableFile, kPieceTableFile})
        fs::copy_file(book / table, folder / table, fs::copy_options::overwrite_existing);
    std::ifstream in(book / "RET001.TXT", std::ios::binary);
    std::string text = ScrambleBytes(std::string(std::istreambuf_iterator<char>(in), {}));
    const std::size_t second = text.find('#', text.find('#') + 1);
    text.insert(second + 1, "4 portii; ");
    std::ofstream(folder / "RET001.TXT", std::ios::binary) << ScrambleBytes(text);
    if (chdir(folder.c_str()) != 0) {
        state.SkipWithError("no bench folder");
        return;
    }
    const std::string temp = folder.string() + "/";
    CollectingReporter reporter;
    int servings = 1;
    for (auto _ : state) {
        servings = servings % 8 + 1;
        std::string recipe;
        (void)ReadRecipeText("RET001.TXT", recipe);
        (void)WriteTempFolderFile(temp, kRecipePageName,
                                  RenderServingsPage("RET001.TXT", recipe, servings));
        CalorieState result;
        benchmark::DoNotOptimize(
            CalculateCalories("RET001.TXT", temp, reporter, &result, servings));
    }
    if (chdir(book.c_str()) != 0)
        state.SkipWithError("cannot go back to the book");
    fs::remove_all(folder);
}
BENCHMARK(ServingsChangedWithCaloriesShown)->Unit(benchmark::kMillisecond);

void AuditWholeBook(benchmark::State& state) {
    if (!InBook(state))
        return;
    CategoryTable table;
    CollectingReporter reporter;
    if (!LoadCatalogue(table, reporter)) {
        state.SkipWithError("no catalogue");
        return;
    }
    for (auto _ : state) {
        double total = 0;
        for (const auto& category : table.categories)
            for (const auto& sub : category.subcategories)
                for (const auto& recipe : sub.recipes) {
                    CalorieState result;
                    (void)CalculateCalories(recipe.fileName, "/tmp/", reporter, &result);
                    total += result.total;
                }
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(AuditWholeBook)->Unit(benchmark::kMillisecond);

} // namespace
