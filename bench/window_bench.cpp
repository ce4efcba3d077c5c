// Time to the main window shown with the real book, time from choosing a recipe to its page
// shown, time from the search button to the filled result list and count message, and the
// peak resident memory. Entries are chosen and buttons pressed with mouse events, as a user
// does (the lists answer nothing else). Offscreen platform; run by hand:
//   QT_QPA_PLATFORM=offscreen build/bench/window_bench
#include "app/application.h"
#include "app/ui/CMainDlg.h"
#include "core/ui/qt_geometry.h"
#include "core/ui/qt_messages.h"
#include "personal/store.h"
#include "search/ui/CSearchDlg.h"
#include "viewing/ui/qt_open_recipe.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

long PeakResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

void Press(QWidget* target, QPoint at) {
    const QPointF local(at), global(target->mapToGlobal(at));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QApplication::sendEvent(target, &release);
}

void ClickRow(QListWidget* list, int row) {
    list->scrollToItem(list->item(row));
    Press(list->viewport(), list->visualItemRect(list->item(row)).center());
}

// A private copy of the packed book in the temporary folder.
std::optional<std::filesystem::path> CopyOfBook() {
    std::string pattern = (std::filesystem::temp_directory_path() / "window-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        return std::nullopt;
    std::error_code error;
    std::filesystem::copy(BOOK_DATA_DIR, pattern, std::filesystem::copy_options::recursive, error);
    if (error || !std::filesystem::exists(std::filesystem::path(pattern) / "virt-dir.txt")) {
        std::filesystem::remove_all(pattern, error);
        return std::nullopt;
    }
    return std::filesystem::path(pattern);
}

struct RemovedAtExit {
    std::filesystem::path folder;
    ~RemovedAtExit() {
        std::error_code error;
        std::filesystem::remove_all(folder, error);
    }
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QElapsedTimer sinceStart;
    sinceStart.start();
    QApplication app(argc, argv);
    savorel::ui::ApplyApplicationLook();
    // Start-up writes into the data folder (cook.ini, the day's backup in copii/, savorel.lock):
    // the bench runs on a copy, so build/data, which the package is made from, stays as built.
    const std::optional<std::filesystem::path> copy = CopyOfBook();
    if (!copy || chdir(copy->c_str()) != 0) {
        std::fprintf(stderr, "no packed book at %s, or no copy of it\n", BOOK_DATA_DIR);
        return 1;
    }
    const RemovedAtExit removed{*copy};
    using namespace savorel::ui;
    // Windows are shown and painted, never waited on.
    SetModalFunction([](QDialog& d) {
        d.show();
        d.repaint();
        QCoreApplication::processEvents();
        d.hide();
        return 1;
    });

    // Five own recipes in the lossless form (sections, one item per line, letters the code page
    // lacks), filed where new own recipes go: the catalogue's last category.
    for (int n = 1; n <= 5; ++n) {
        savorel::TypedRecipe typed{
            "Ana",
            "Cr\xc3\xa8me br\xc3\xbbl\xc3\xa9"
            "e " +
                std::to_string(n),
            "Crem\xc4\x83:\n500 ml sm\xc3\xa2nt\xc3\xa2n\xc4\x83 pentru fri\xc8\x99"
            "c\xc4\x83\n"
            "6 g\xc4\x83lbenu\xc8\x99uri, b\xc4\x83tute\n100 g zah\xc4\x83r\nCaramel:\n"
            "4 linguri zah\xc4\x83r brun",
            "Se \xc3\xaenc\xc4\x83lze\xc8\x99te sm\xc3\xa2nt\xc3\xa2na.\nSe coace la 150\xc2\xb0"
            "C.",
            4};
        const auto saved = savorel::SaveLosslessFromEditor(savorel::SaveMode::NewRecipe,
                                                           savorel::RecipeFromTyped(typed, {}));
        if (saved.outcome.result != savorel::StoreResult::Stored) {
            std::fprintf(stderr, "the lossless recipes could not be stored\n");
            return 1;
        }
    }

    savorel::Session session; // as cook holds it: one for the whole run
    std::vector<double> starts, recipes, lossless;
    double first = 0;
    for (int run = 0; run < 20; ++run) {
        QElapsedTimer t;
        t.start();
        savorel::Application application(session); // start-up again, as a fresh cook does
        CMainDlg w(application);
        w.show();
        w.repaint();
        QCoreApplication::processEvents();
        starts.push_back(t.nsecsElapsed() / 1e6);
        if (run == 0)
            first = sinceStart.nsecsElapsed() / 1e6;
        auto* categories = FindControlAs<QListWidget>(&w, 1000);
        auto* subcategories = FindControlAs<QListWidget>(&w, 1001);
        auto* list = FindControlAs<QListWidget>(&w, 1002);
        // The book's categories; the last one holds the own recipes.
        const int own = categories->count() - 1;
        ClickRow(categories, run % own);
        ClickRow(subcategories, 0);
        for (int r = 0; r < std::min(5, list->count()); ++r) {
            QElapsedTimer o;
            o.start();
            ClickRow(list, r);
            recipes.push_back(o.nsecsElapsed() / 1e6);
        }
        ClickRow(categories, own);
        ClickRow(subcategories, 0);
        for (int r = 0; r < std::min(5, list->count()); ++r) {
            QElapsedTimer o;
            o.start();
            ClickRow(list, r);
            lossless.push_back(o.nsecsElapsed() / 1e6);
        }
    }
    // The search: keys typed with diacritics, the button pressed, the list filled and the
    // count message given (message boxes answer at once here).
    std::vector<double> searches;
    int found = 0;
    SetMessageFunction([&](const MessageRecord&) {});
    for (int run = 0; run < 21; ++run) {
        CSearchDlg search(session);
        search.show();
        QCoreApplication::processEvents();
        FindControlAs<QPlainTextEdit>(&search, 1009)
            ->setPlainText(
                QString::fromUtf8(run % 2 ? "ceap\xc4\x83 + morcov" : "br\xc3\xa2nz\xc4\x83"));
        auto* start = FindControlAs<QPushButton>(&search, 1003);
        QElapsedTimer t;
        t.start();
        Press(start, start->rect().center());
        searches.push_back(t.nsecsElapsed() / 1e6);
        found = FindControlAs<QListWidget>(&search, 1000)->count();
    }
    std::printf("process start to first main window shown: %.1f ms\n", first);
    std::printf("main window built and shown (median of %zu): %.1f ms\n", starts.size(),
                Median(starts));
    std::printf("recipe chosen to its page shown (median of %zu): %.1f ms\n", recipes.size(),
                Median(recipes));
    std::printf("lossless own recipe chosen to its page shown (median of %zu): %.1f ms\n",
                lossless.size(), Median(lossless));
    std::printf("search button to filled list and count message (median of %zu, %d entries "
                "last): %.1f ms\n",
                searches.size(), found, Median(searches));
    std::printf("peak resident memory: %.1f MB\n", PeakResidentKb() / 1024.0);
    return 0;
}
