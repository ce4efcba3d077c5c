// Loading the catalogue and rendering one page: what the main window does on every choice.
#include "catalogue/catalogue.h"
#include "catalogue/page.h"
#include "core/files.h"
#include "core/scramble.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

using namespace savorel;

namespace {

std::string SyntheticCatalogue(int recipes) {
    std::string text;
    int file = 0;
    for (int c = 0; c < 10 && file < recipes; ++c) {
        text += "m Categoria " + std::to_string(c) + "\n";
        for (int s = 0; s < 8 && file < recipes; ++s) {
            text += "  h Subcategoria " + std::to_string(s) + "\n";
            const int perSub = recipes / 80 + 1;
            for (int r = 0; r < perSub && file < recipes; ++r, ++file)
                text += "    i Reteta numarul " + std::to_string(file) + " cu ceva ~ RET" +
                        std::to_string(file) + ".TXT\n";
        }
    }
    return text;
}

void LoadFromMemory(benchmark::State& state) {
    const std::string scrambled =
        ScrambleBytes(SyntheticCatalogue(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        std::FILE* f = fmemopen(const_cast<char*>(scrambled.data()), scrambled.size(), "rb");
        CategoryTable table;
        (void)LoadCatalogueFrom(f, table, nullptr);
        std::fclose(f);
        benchmark::DoNotOptimize(table.categories.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(LoadFromMemory)->Arg(740)->Arg(100000)->Unit(benchmark::kMicrosecond);

void LoadShippedBook(benchmark::State& state) {
    if (chdir(BOOK_DATA_DIR) != 0) {
        state.SkipWithError("no packed book");
        return;
    }
    CollectingReporter reporter;
    for (auto _ : state) {
        CategoryTable table;
        (void)LoadCatalogue(table, reporter);
        benchmark::DoNotOptimize(table.categories.data());
    }
}
BENCHMARK(LoadShippedBook)->Unit(benchmark::kMicrosecond);

void RenderOnePage(benchmark::State& state) {
    std::string text = "#\nCiorba de perisoare\n#\n";
    for (int i = 0; i < 20; ++i)
        text += "Pentru ciorba: 2,5 l apa; 1 ceapa; 2 morcovi;\n";
    text += "#\n";
    for (int i = 0; i < 10; ++i)
        text += "Se fierbe totul la foc mic timp de 20 de minute, apoi se acrește.\r\n";
    for (auto _ : state)
        benchmark::DoNotOptimize(RenderRecipePageText("RET001.TXT", text));
}
BENCHMARK(RenderOnePage);

} // namespace
