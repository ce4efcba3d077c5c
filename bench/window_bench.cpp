// Time to the main window shown with the real book, time from choosing a recipe to its page
// shown, and the peak resident memory. Offscreen platform; run by hand:
//   QT_QPA_PLATFORM=offscreen build/bench/window_bench
#include "catalogue/CMainDlg.h"
#include "core/qt_dialogs.h"
#include "viewing/qt_open_recipe.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>

#include <algorithm>
#include <cstdio>
#include <fstream>
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
    if (chdir(BOOK_DATA_DIR) != 0) {
        std::fprintf(stderr, "no packed book at %s\n", BOOK_DATA_DIR);
        return 1;
    }
    using namespace savorel::ui;
    // Windows are shown and painted, never waited on.
    SetModalFunction([](QDialog& d) {
        d.show();
        d.repaint();
        QCoreApplication::processEvents();
        d.hide();
        return 1;
    });

    std::vector<double> starts, recipes;
    double first = 0;
    for (int run = 0; run < 20; ++run) {
        QElapsedTimer t;
        t.start();
        CMainDlg w;
        w.show();
        w.repaint();
        QCoreApplication::processEvents();
        starts.push_back(t.nsecsElapsed() / 1e6);
        if (run == 0)
            first = sinceStart.nsecsElapsed() / 1e6;
        auto* categories = FindControlAs<QListWidget>(&w, 1000);
        auto* subcategories = FindControlAs<QListWidget>(&w, 1001);
        auto* list = FindControlAs<QListWidget>(&w, 1002);
        categories->setCurrentRow(run % categories->count());
        subcategories->setCurrentRow(0);
        for (int r = 0; r < std::min(5, list->count()); ++r) {
            QElapsedTimer o;
            o.start();
            list->setCurrentRow(r);
            recipes.push_back(o.nsecsElapsed() / 1e6);
        }
    }
    std::printf("process start to first main window shown: %.1f ms\n", first);
    std::printf("main window built and shown (median of %zu): %.1f ms\n", starts.size(),
                Median(starts));
    std::printf("recipe chosen to its page shown (median of %zu): %.1f ms\n", recipes.size(),
                Median(recipes));
    std::printf("peak resident memory: %.1f MB\n", PeakResidentKb() / 1024.0);
    return 0;
}
