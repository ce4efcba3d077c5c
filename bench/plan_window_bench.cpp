// Time to the week plan window shown with 21 planned recipes of the book (breakfast, lunch
// and dinner of seven days, the lunches eaten again the next day), and to the shopping list
// window made from that week, on a temporary copy of the data folder. Offscreen; by hand:
//   QT_QPA_PLATFORM=offscreen build/bench/plan_window_bench
#include "core/ui/qt_geometry.h"
#include "core/ui/qt_messages.h"
#include "planning/plan.h"
#include "planning/shopping.h"
#include "planning/ui/CPlanDlg.h"
#include "planning/ui/CShoppingListDlg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct DataCopy {
    fs::path folder;
    DataCopy() {
        std::string pattern = (fs::temp_directory_path() / "plan-bench").string() + "-XXXXXX";
        if (::mkdtemp(pattern.data()))
            folder = pattern;
        std::error_code ec;
        if (!folder.empty())
            fs::copy(BOOK_DATA_DIR, folder, fs::copy_options::recursive, ec);
        if (ec)
            folder.clear();
    }
    ~DataCopy() {
        std::error_code ec;
        if (!folder.empty())
            fs::remove_all(folder, ec);
    }
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    savorel::ui::ApplyApplicationLook();
    // Nothing may block: a box would wait for a click.
    savorel::ui::SetMessageFunction([](const savorel::ui::MessageRecord& r) {
        std::fprintf(stderr, "message: %s\n", r.text.toLocal8Bit().constData());
    });
    DataCopy data;
    if (data.folder.empty()) {
        std::fprintf(stderr, "cannot copy %s\n", BOOK_DATA_DIR);
        return 1;
    }
    fs::current_path(data.folder);

    using namespace savorel;
    const Date monday = std::chrono::year{2026} / std::chrono::December / std::chrono::day{14};
    int recipe = 1;
    for (int day = 0; day < 7; ++day)
        for (Meal meal : {Meal::Breakfast, Meal::Lunch, Meal::Dinner}) {
            char file[24];
            std::snprintf(file, sizeof file, "RET%03d.TXT", recipe);
            recipe += 17; // recipes from all over the book
            PlanEntry entry{0, {AddDays(monday, day), meal}, file, file, 4, {}};
            if (meal == Meal::Lunch)
                entry.leftovers = LeftoverLunches(entry.cooked, 1);
            if (AddToPlan(entry).status != PlanStatus::Ok) {
                std::fprintf(stderr, "cannot plan %s\n", file);
                return 1;
            }
        }
    SetHousehold({{{"Ana", 2000}, {"Dan", 2400}, {"Ioana", 1600}}});

    Session session;
    std::vector<double> plan, shopping;
    for (int run = 0; run < 15; ++run) {
        QElapsedTimer timer;
        timer.start();
        {
            ui::CPlanDlg window(session);
            window.ShowWeek(QDate(2026, 12, 14));
            window.show();
            if (!QTest::qWaitForWindowExposed(&window))
                return 1;
            QApplication::processEvents();
            plan.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
            if (run == 0)
                std::printf("plan window: %zu cells filled, week total %s\n",
                            window.Shown().entries.size(),
                            window.WeekTotal()->text().toUtf8().constData());
        }
        ClearShoppingList();
        timer.restart();
        {
            ui::CShoppingListDlg window(session);
            window.SetWeek(QDate(2026, 12, 14));
            window.show();
            if (!QTest::qWaitForWindowExposed(&window))
                return 1;
            QApplication::processEvents();
            shopping.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
            if (run == 0)
                std::printf("shopping list: %d lines\n", window.Shown().lineCount);
        }
    }
    const double planMs = Median(plan), shopMs = Median(shopping);
    std::printf("plan window, 21 recipes: median %.1f ms, max %.1f ms (bar 100 ms)\n", planMs,
                *std::max_element(plan.begin(), plan.end()));
    std::printf("shopping list window from that week: median %.1f ms, max %.1f ms\n", shopMs,
                *std::max_element(shopping.begin(), shopping.end()));
    fs::current_path("/");
    return planMs < 100 ? 0 : 2;
}
