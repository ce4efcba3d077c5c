// The calorie calculator over the shipped book: one recipe's page, and the whole book.
#include "catalogue/catalogue.h"
#include "core/report.h"
#include "viewing/calories.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
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

void AuditWholeBook(benchmark::State& state) {
    if (!InBook(state))
        return;
    CategoryTable table;
    CollectingReporter reporter;
    LoadCatalogue(table, reporter);
    for (auto _ : state) {
        double total = 0;
        for (const auto& category : table.categories)
            for (const auto& sub : category.subcategories)
                for (const auto& recipe : sub.recipes) {
                    CalorieState result;
                    CalculateCalories(recipe.fileName, "/tmp/", reporter, &result);
                    total += result.total;
                }
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(AuditWholeBook)->Unit(benchmark::kMillisecond);

} // namespace
