// Time to the main window shown with the real book, time from choosing a recipe to its page
// shown, time from the search button to the filled result list and count message, and the
// peak resident memory; the search box key by key on the book and on 100,000 own recipes.
// Every run works on temporary copies of the data folder. Entries are chosen and buttons pressed
// with mouse events, as a user does (the lists answer nothing else). Offscreen platform; run by
// hand:
//   QT_QPA_PLATFORM=offscreen build/bench/window_bench [--book]
#include "app/application.h"
#include "app/ui/CMainDlg.h"
#include "core/scramble.h"
#include "core/ui/qt_geometry.h"
#include "core/ui/qt_messages.h"
#include "personal/backup.h"
#include "personal/store.h"
#include "search/ui/CSearchDlg.h"
#include "viewing/ui/qt_open_recipe.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
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

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double Max(const std::vector<double>& v) {
    return *std::max_element(v.begin(), v.end());
}

double P95(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() * 95 / 100];
}

namespace fs = std::filesystem;

// A copy of the packed book in a folder of its own, removed at the end: the runs write
// cook.ini, backups and working files where they run.
struct DataCopy {
    fs::path folder;
    explicit DataCopy(const char* name) {
        std::string pattern = (fs::temp_directory_path() / name).string() + "-XXXXXX";
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

void WriteScrambledFile(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << savorel::ScrambleBytes(text);
}

// Own recipes as the editor saves them: a catalogue line, a pers.txt record and a file each.
void AddOwnRecipes(const fs::path& folder, int count) {
    const char* words[] = {"varza", "ciuperci", "pui",     "porc",  "smantana", "ceapa",
                           "sare",  "morcovi",  "cartofi", "orez",  "faina",    "oua",
                           "lapte", "unt",      "zahar",   "rosii", "ardei",    "usturoi"};
    std::mt19937 random(100000);
    std::string catalogue, list;
    {
        std::ifstream in(folder / "virt-dir.txt", std::ios::binary);
        catalogue.assign(std::istreambuf_iterator<char>(in), {});
        catalogue = savorel::ScrambleBytes(catalogue);
    }
    // Appended as the editor appends them: to the last subcategory of the book.
    for (int n = 1; n <= count; ++n) {
        const std::string name = "Reteta proprie " + std::to_string(n);
        const std::string file = "xet" + std::to_string(n) + ".txt";
        catalogue += "             i " + name + "        ~ " + file + "\n";
        list += name + std::string(137, ' ') + "#" + file + "\n";
        std::string text = "Autor\n#\n" + name + "\n#\n";
        for (int i = 0; i < 8; ++i)
            text += std::to_string(50 + random() % 450) + " g " + words[random() % 18] + "; ";
        text += "\n#\nSe amesteca bine si se lasa la foc mic.";
        WriteScrambledFile(folder / file, text);
    }
    WriteScrambledFile(folder / "virt-dir.txt", catalogue);
    WriteScrambledFile(folder / "pers.txt", list);
    ::sync();
}

void SendKey(QWidget* target, int key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QApplication::sendEvent(target, &release);
}

struct KeyTimes {
    std::vector<double> handled; // the key press itself: what typing waits for
    std::vector<double> painted; // key press to the answer painted
};

// Types `word` letter by letter, then erases it, into the main window's search box.
void TypeIntoSearchBox(savorel::ui::CMainDlg& w, const QString& word, KeyTimes& times) {
    QLineEdit* box = w.QuickBox();
    auto one = [&](int key, const QString& text) {
        QElapsedTimer t;
        t.start();
        SendKey(box, key, text);
        times.handled.push_back(t.nsecsElapsed() / 1e6);
        while (!w.QuickAnswered())
            QCoreApplication::processEvents();
        w.QuickResults()->repaint();
        box->repaint();
        times.painted.push_back(t.nsecsElapsed() / 1e6);
    };
    for (const QChar c : word)
        one(c == QLatin1Char(' ') ? Qt::Key_Space : Qt::Key_A, QString(c));
    for (int i = 0; i < word.size(); ++i)
        one(Qt::Key_Backspace, QString());
}

void PrintKeyTimes(const char* what, const KeyTimes& times) {
    std::printf("%s, per key (%zu keys): painted median %.2f ms, 95%% %.2f ms, max %.2f ms; "
                "key press handled max %.2f ms\n",
                what, times.painted.size(), Median(times.painted), P95(times.painted),
                Max(times.painted), Max(times.handled));
}

} // namespace

int main(int argc, char** argv) {
    QElapsedTimer sinceStart;
    sinceStart.start();
    QApplication app(argc, argv);
    savorel::ui::ApplyApplicationLook();
    const DataCopy book("savorel-window-bench");
    if (book.folder.empty() || chdir(book.folder.c_str()) != 0) {
        std::fprintf(stderr, "no copy of the packed book at %s\n", BOOK_DATA_DIR);
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
    // The search box on the book: ingredients read in the background first.
    KeyTimes bookKeys;
    double bookIndexMs = 0;
    for (int run = 0; run < 5; ++run) {
        savorel::Application application(session);
        CMainDlg w(application);
        w.show();
        QCoreApplication::processEvents();
        QElapsedTimer t;
        t.start();
        w.FinishQuickWork();
        bookIndexMs = t.nsecsElapsed() / 1e6;
        for (const char* word : {"ciorba de burta", "ceapa", "sarmale", "smantana"})
            TypeIntoSearchBox(w, QString::fromLatin1(word), bookKeys);
    }
    const long bookPeakKb = PeakResidentKb();

    // 100,000 own recipes beside the book (some twenty minutes on a busy disk, most of it the
    // day's first backup); "--book" leaves them out.
    const bool bookOnly = argc > 1 && std::string(argv[1]) == "--book";
    KeyTimes ownKeys, ownKeysIndexing;
    double ownStartMs = 0, ownIndexMs = 0, ownBackupMs = 0, ownSearchMs = 0, ownListMs = 0;
    int ownSearchFound = 0;
    int ownAnswers = 0;
    if (!bookOnly) {
        const DataCopy own("savorel-window-bench-own");
        AddOwnRecipes(own.folder, 100000);
        if (chdir(own.folder.c_str()) == 0) {
            {
                // The first start of a day copies every own recipe: timed on its own, so
                // that the window's start below is that of every other start.
                QElapsedTimer b;
                b.start();
                (void)savorel::BackupIfChanged(savorel::Today());
                ownBackupMs = b.nsecsElapsed() / 1e6;
            }
            savorel::Application application(session);
            QElapsedTimer t;
            t.start();
            CMainDlg w(application);
            w.show();
            w.repaint();
            QCoreApplication::processEvents();
            ownStartMs = t.nsecsElapsed() / 1e6;
            // Typing while the ingredients are still being read.
            TypeIntoSearchBox(w, QStringLiteral("proprie 77"), ownKeysIndexing);
            t.restart();
            while (!w.QuickIndexReady())
                QCoreApplication::processEvents();
            ownIndexMs = t.nsecsElapsed() / 1e6;
            for (const char* word : {"ceapa", "reteta proprie 9", "morcovi ceapa", "ciorba"})
                TypeIntoSearchBox(w, QString::fromLatin1(word), ownKeys);
            SendKey(w.QuickBox(), Qt::Key_A, QStringLiteral("c"));
            while (!w.QuickAnswered())
                QCoreApplication::processEvents();
            ownAnswers = w.QuickResults()->count();

            // The search window over the same folder: button to filled, painted list.
            CSearchDlg search(session);
            search.show();
            QCoreApplication::processEvents();
            FindControlAs<QPlainTextEdit>(&search, 1009)->setPlainText(QStringLiteral("ceapa"));
            auto* start = FindControlAs<QPushButton>(&search, 1003);
            t.restart();
            Press(start, start->rect().center());
            auto* results = FindControlAs<QListWidget>(&search, 1000);
            results->repaint();
            ownSearchMs = t.nsecsElapsed() / 1e6;
            ownSearchFound = results->count();

            // The own recipes window: button to listed and painted.
            t.restart();
            {
                SetModalFunction([&](QDialog& d) {
                    d.show();
                    d.repaint();
                    ownListMs = t.nsecsElapsed() / 1e6;
                    return 1;
                });
                auto* own = FindControlAs<QPushButton>(&w, 1016);
                Press(own, own->rect().center());
            }
        }
        if (chdir(book.folder.c_str()) != 0)
            return 1;
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
    std::printf("search box: book's ingredients read in %.1f ms\n", bookIndexMs);
    PrintKeyTimes("search box on the book", bookKeys);
    std::printf("peak resident memory with the book: %.1f MB\n", bookPeakKb / 1024.0);
    if (bookOnly) {
        std::printf("peak resident memory: %.1f MB\n", PeakResidentKb() / 1024.0);
        return 0;
    }
    std::printf("100,000 own recipes: the day's first backup of them took %.1f ms\n", ownBackupMs);
    std::printf("100,000 own recipes: main window built and shown in %.1f ms, ingredients read "
                "in the background in %.1f ms more\n",
                ownStartMs, ownIndexMs);
    PrintKeyTimes("search box on 100,000 own recipes while reading", ownKeysIndexing);
    PrintKeyTimes("search box on 100,000 own recipes", ownKeys);
    std::printf("(\"c\" painted %d entries)\n", ownAnswers);
    std::printf("100,000 own recipes: search window, button to filled and painted list: %.1f ms "
                "(%d entries)\n",
                ownSearchMs, ownSearchFound);
    std::printf("100,000 own recipes: own recipes window, button to listed and painted: %.1f ms\n",
                ownListMs);
    std::printf("peak resident memory: %.1f MB\n", PeakResidentKb() / 1024.0);
    return 0;
}
