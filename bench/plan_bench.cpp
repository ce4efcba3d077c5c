// A week of 21 planned recipes: its shopping list and its calories, on a temporary copy of the
// shipped book, and on one that also holds 100,000 own recipes (the plan names some of them).
#include "core/scramble.h"
#include "planning/plan.h"
#include "planning/shopping.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

using namespace savorel;
namespace fs = std::filesystem;

namespace {

// A copy of the book in a temporary folder, with `own` own recipes made from its recipes.
class Folder {
public:
    explicit Folder(int own) {
        m_path = fs::temp_directory_path() /
                 ("savorel-plan-bench-" + std::to_string(getpid()) + "-" + std::to_string(own));
        fs::remove_all(m_path);
        fs::copy(BOOK_DATA_DIR, m_path, fs::copy_options::recursive);
        for (const auto& e : fs::directory_iterator(m_path)) {
            const std::string name = e.path().filename().string();
            if (name.size() == 10 && name.compare(0, 3, "RET") == 0)
                m_book.push_back(name);
        }
        std::sort(m_book.begin(), m_book.end());
        std::vector<std::string> texts;
        for (const std::string& name : m_book) {
            std::ifstream in(m_path / name, std::ios::binary);
            texts.emplace_back(std::istreambuf_iterator<char>(in),
                               std::istreambuf_iterator<char>());
        }
        for (int i = 1; i <= own; ++i) {
            std::ofstream out(m_path / ("xet" + std::to_string(i) + ".txt"), std::ios::binary);
            out << texts[static_cast<std::size_t>(i) % texts.size()];
        }
        m_previous = fs::current_path();
        fs::current_path(m_path);
    }
    ~Folder() {
        std::error_code ec;
        fs::current_path(m_previous, ec);
        fs::remove_all(m_path, ec);
    }
    const fs::path& Path() const { return m_path; }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    // Breakfast, lunch and dinner of seven days from `monday`, for three: book recipes spread
    // over the book, or own ones spread over the 100,000.
    Plan Week(Date monday, int own) const {
        Plan plan;
        plan.household.people = {{"Ana", 2000}, {"Mihai", 2500}, {"Ioana", 1800}};
        for (int i = 0; i < 21; ++i) {
            PlanEntry e;
            e.recipeFile = own > 0 ? "xet" + std::to_string(1 + i * (own / 21)) + ".txt"
                                   : m_book[static_cast<std::size_t>(i) * (m_book.size() / 21)];
            e.cooked = {AddDays(monday, i / 3), kMeals[static_cast<std::size_t>(i % 3)]};
            e.portions = 3 + i % 4;
            AddEntry(plan, e);
        }
        return plan;
    }

private:
    fs::path m_path;
    fs::path m_previous;
    std::vector<std::string> m_book;
};

const Date kMonday{std::chrono::year(2026), std::chrono::month(12), std::chrono::day(14)};

// Made once for the run (a benchmark function is called several times), removed at its end.
Folder& FolderWith(int own) {
    if (own == 0) {
        static Folder book(0);
        fs::current_path(book.Path());
        return book;
    }
    static Folder large(100000);
    fs::current_path(large.Path());
    return large;
}

void WeekShoppingList(benchmark::State& state) {
    const int own = static_cast<int>(state.range(0));
    const Plan plan = FolderWith(own).Week(kMonday, own);
    std::size_t lines = 0;
    for (auto _ : state) {
        const ShoppingList list = BuildShoppingList(SourcesOfWeek(plan, kMonday));
        lines = 0;
        for (const auto& section : list.sections)
            lines += section.size();
        if (!list.missing.empty())
            state.SkipWithError("a planned recipe is missing");
        benchmark::DoNotOptimize(lines);
    }
    state.counters["lines"] = static_cast<double>(lines);
}
BENCHMARK(WeekShoppingList)->Arg(0)->Arg(100000)->Unit(benchmark::kMillisecond);

void WeekCaloriesAndText(benchmark::State& state) {
    const int own = static_cast<int>(state.range(0));
    const Plan plan = FolderWith(own).Week(kMonday, own);
    for (auto _ : state)
        benchmark::DoNotOptimize(PlanWeekText(plan, kMonday));
}
BENCHMARK(WeekCaloriesAndText)->Arg(0)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace
