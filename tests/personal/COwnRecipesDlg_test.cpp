// The own recipes window on the offscreen platform: its sorted list, the watch on pers.txt,
// the way to the editor and to the recipe window.
#include "catalogue/recipe_model.h"
#include "core/records.h"
#include "core/ui/qt_geometry.h"
#include "core/ui/qt_text.h"
#include "core/ui/qt_window_frame.h"
#include "personal/store.h"
#include "personal/ui/CImportReportDlg.h"
#include "personal/ui/COwnRecipeEditDlg.h"
#include "personal/ui/COwnRecipesDlg.h"
#include "support/support.h"
#include "support/window_checks.h"
#include "support/window_support.h"

#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QToolTip>
#include <QtTest>

#include <filesystem>
#include <memory>

using namespace savorel;
using namespace savorel::testing;
using savorel::ui::COwnRecipeEditDlg;
using savorel::ui::COwnRecipesDlg;

namespace {

std::string Record(const std::string& name, const std::string& file) {
    return PersonalRecord(name, file) + "\n";
}

QStringList Names(const QListWidget* list) {
    QStringList names;
    for (int i = 0; i < list->count(); ++i)
        names << list->item(i)->text().section(QLatin1Char(' '), 0, 0);
    return names;
}

// A new recipe saved through the store, as the editor saves it.
void SaveNew(const std::string& name) {
    OwnRecipeFields cleaned;
    QCOMPARE(WriteWorkingFile({"", name, "", "Se fierbe."}, cleaned), WorkingFileResult::Written);
    QCOMPARE(SaveOwnRecipe(SaveMode::NewRecipe, cleaned).result, StoreResult::Stored);
}

// What an import report dialog showed, taken from the dialog handed to the modal runner.
struct ReportSeen {
    QString summary;
    QStringList lines;
    std::function<int(QDialog&)> Handler() {
        return [this](QDialog& dialog) {
            auto* report = qobject_cast<ui::CImportReportDlg*>(&dialog);
            if (!report)
                return int(QDialog::Rejected);
            summary = report->Summary()->text();
            lines = Texts(report->List());
            // Never taller or wider than the screen: its OK button can always be clicked.
            const QRect room = QGuiApplication::primaryScreen()->availableGeometry();
            if (report->width() > room.width() || report->height() > room.height())
                lines << QStringLiteral("TOO LARGE");
            return int(QDialog::Accepted);
        };
    }
};

} // namespace

class OwnRecipesWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { ui::ApplyApplicationLook(); }
    void init() {
        m_session = Session(); // nothing carries over from the last test
        m_dir = std::make_unique<TempDataDir>();
        std::filesystem::create_directory("tmp");
        WritePlain("cook.ini", m_dir->path() + "/tmp/");
        WriteScrambled("virt-dir.txt", "m Supe\nh Ciorbe\n");
    }
    void cleanup() { m_dir.reset(); }

    void layoutTextsAndSortedList() {
        MessageLog log;
        WriteScrambled("pers.txt", Record("ciorba", "xet1.txt") + Record("Zacusca", "xet2.txt") +
                                       Record("Ardei", "xet3.txt"));
        COwnRecipesDlg w(m_session);
        QCOMPARE(w.windowTitle(), QStringLiteral("Retete proprii scrise de dumneavoastra"));
        QCOMPARE(w.size(), QSize(561, 346));
        const std::pair<int, const char*> buttons[] = {{1003, "Adaugare retete noi"},
                                                       {1004, "Sterge reteta"},
                                                       {1005, "Modificare reteta"},
                                                       {1006, "Ajutor"},
                                                       {1, "Iesire"}};
        for (const auto& [id, text] : buttons)
            QCOMPARE(ui::FindControlAs<QPushButton>(&w, id)->text(), QString::fromLatin1(text));
        QVERIFY(ui::FindControlAs<QPushButton>(&w, 1)->isDefault());
        QCOMPARE(w.List()->geometry(), ui::DluRect(13, 13, 260, 196));
        QVERIFY(log.records.empty());
        QCOMPARE(Names(w.List()), (QStringList{"Ardei", "ciorba", "Zacusca"}));
        // The whole record is the entry; the file name lies beyond the visible width.
        QCOMPARE(w.List()->item(0)->text(),
                 QStringLiteral("Ardei") + QString(137, QLatin1Char(' ')) + "#xet3.txt");
        QCOMPARE(w.Timer().interval(), 1000);
        QVERIFY(w.Timer().isActive());
        VerifyNothingClipped(w, "own_recipes");
        VerifyGrows(w, "own_recipes");
        QVERIFY(ui::FindControl(&w, 1004)->isVisible());

        Click(w, 1006);
        QCOMPARE(log.Messages(),
                 QStringList{"Adaugati retete proprii, altele decat cele existente!!!"});
    }

    // Romanian order whatever the order of pers.txt: ă after a, ş after s, ţ after t, and
    // numbers by value, also for records the watch lists later.
    void listInRomanianOrderWithNumbersByValue() {
        MessageLog log;
        const char* names[] = {"copie 10", "Ţuică", "copie 2", "Şniţel", "Tort",
                               "Salată",   "Ăsta",  "Ardei",   "copie 1"};
        std::string list;
        for (int i = 0; const char* name : names)
            list += Record(Utf8ToCp1250(name), "xet" + std::to_string(++i) + ".txt");
        WriteScrambled("pers.txt", list);
        COwnRecipesDlg w(m_session);
        auto shown = [&] {
            QStringList out;
            for (int i = 0; i < w.List()->count(); ++i)
                out << w.List()->item(i)->text().section(QLatin1Char('#'), 0, 0).trimmed();
            return out;
        };
        QCOMPARE(shown(), (QStringList{"Ardei", "Ăsta", "copie 1", "copie 2", "copie 10", "Salată",
                                       "Şniţel", "Tort", "Ţuică"}));
        WriteScrambled("pers.txt", list + Record("copie 3", "xet10.txt"));
        QTRY_COMPARE_WITH_TIMEOUT(w.List()->count(), 10, 2000);
        QCOMPARE(shown().mid(2, 4), (QStringList{"copie 1", "copie 2", "copie 3", "copie 10"}));
    }

    void firstOpeningThenANewRecipeIsListedWithinASecond() {
        MessageLog log;
        ModalScript script;
        COwnRecipesDlg w(m_session);
        QCOMPARE(log.Messages(), QStringList{"Lista retetelor personale este goala..."});
        QCOMPARE(w.List()->count(), 0);
        // While the editor's modal run lasts, the window's own timer lists the new record.
        bool listedMeanwhile = false;
        script.Push([&](QDialog& dialog) {
            auto& editor = static_cast<COwnRecipeEditDlg&>(dialog);
            ui::FindControlAs<QLineEdit>(&editor, 1009)->setText(QStringLiteral("Ciorba"));
            ui::FindControlAs<QPlainTextEdit>(&editor, 1012)
                ->setPlainText(QStringLiteral("Fierbe"));
            Click(editor, 1003);
            listedMeanwhile = QTest::qWaitFor([&] { return w.List()->count() == 1; }, 1200);
            return editor.result();
        });
        Click(w, 1003);
        QCOMPARE(script.opened, QStringList{"savorel::ui::COwnRecipeEditDlg"});
        QVERIFY(listedMeanwhile);
        QCOMPARE(FileNameFromEntry(ToStd(w.List()->item(0)->text())), std::string("xet1.txt"));

        // Listed once; a second recipe adds just itself.
        w.OnTimer();
        QCOMPARE(w.List()->count(), 1);
        SaveNew("Ardei");
        w.OnTimer();
        QCOMPARE(Names(w.List()), (QStringList{"Ardei", "Ciorba"}));
        QCOMPARE(log.records.size(), std::size_t(1));
    }

    void shrunkListSaysBeginAndMatchesTheFile() {
        MessageLog log;
        WriteScrambled("pers.txt",
                       Record("A", "xet1.txt") + Record("B", "xet2.txt") + Record("C", "xet3.txt"));
        COwnRecipesDlg w(m_session);
        QCOMPARE(w.List()->count(), 3);
        WriteScrambled("pers.txt", Record("C", "xet3.txt") + Record("A", "xet1.txt"));
        w.OnTimer();
        QCOMPARE(log.Messages(), QStringList{"Begin"});
        QCOMPARE(Names(w.List()), (QStringList{"A", "C"}));
        w.OnTimer();
        QCOMPARE(log.records.size(), std::size_t(1));
    }

    void longRecordsAreListedWhole() {
        MessageLog log;
        const std::string longName(480, 'L');
        WriteScrambled("pers.txt", Record(longName, "xet2.txt") + Record("Scurta", "xet1.txt"));
        COwnRecipesDlg w(m_session);
        QCOMPARE(w.List()->count(), 2);
        QCOMPARE(ToStd(w.List()->item(0)->text()), PersonalRecord(longName, "xet2.txt"));
    }

    void modifyNeedsAnExistingSelectedRecipe() {
        MessageLog log;
        ModalScript script;
        WriteScrambled("pers.txt", Record("Ciorba", "xet1.txt") + Record("Pierduta", "xet7.txt"));
        WriteScrambled("xet1.txt", "Ana\n#\nCiorba\n#\napa\n#\nfierbe");
        COwnRecipesDlg w(m_session);
        Click(w, 1005);
        QCOMPARE(log.Messages(), QStringList{"Selectati o reteta existenta!!!!!!!!!!"});
        QVERIFY(script.opened.isEmpty());

        // Selecting opens the recipe; "Modificare reteta" then opens the editor on its file.
        ClickRow(w.List(), 0);
        QCOMPARE(script.opened, QStringList{"savorel::ui::CRecipeViewDlg"});
        std::string editedFile;
        script.Push([&](QDialog& dialog) {
            auto& editor = static_cast<COwnRecipeEditDlg&>(dialog);
            editedFile = editor.Editing() == SaveMode::Modification ? editor.RecipeFileName()
                                                                    : std::string();
            return ui::FindControlAs<QLineEdit>(&editor, 1009)->isReadOnly() ? 1 : -1;
        });
        Click(w, 1005);
        QCOMPARE(editedFile, std::string("xet1.txt"));
        QCOMPARE(script.opened.size(), 2);

        // An entry whose file is gone: not opened, not edited.
        ClickRow(w.List(), 1);
        QCOMPARE(log.Messages().last(), QStringLiteral("Cannot open the input file...  "));
        QCOMPARE(log.records.back().owner, static_cast<QWidget*>(&w));
        Click(w, 1005);
        QCOMPARE(log.Messages().last(), QStringLiteral("Selectati o reteta existenta!!!!!!!!!!"));
        QCOMPARE(script.opened.size(), 2);
    }

    // "Import" under "Ajutor": a file chosen in the file dialog, a report of each recipe in a
    // scrollable list that fits the screen, and the stored ones listed by the timer.
    void importStoresChosenFilesAndReports() {
        MessageLog log;
        ModalScript script;
        const char* recipe = R"({"@type": "Recipe", "name": "Ciorbă de miel", "recipeYield": 4,
                                 "recipeIngredient": ["1 kg miel"], "recipeInstructions": ["Fierbe."]})";
        WritePlain("retete.json", std::string("[") + recipe + "," + recipe + "]");
        COwnRecipesDlg w(m_session);
        log.records.clear();
        QPushButton* import = ui::FindControlAs<QPushButton>(&w, 1007);
        QVERIFY(import);
        QCOMPARE(import->text(), QStringLiteral("Import"));
        QCOMPARE(import->geometry(), ui::DluRect(282, 103, 91, 19));
        const QString chosen = QString::fromStdString(m_dir->path() + "/retete.json");
        script.Push([&](QDialog& dialog) {
            auto* files = qobject_cast<QFileDialog*>(&dialog);
            if (!files)
                return int(QDialog::Rejected);
            files->selectFile(chosen);
            return int(QDialog::Accepted);
        });
        ReportSeen seen;
        script.Push(seen.Handler());
        Click(w, 1007);
        QCOMPARE(script.opened, (QStringList{"QFileDialog", "savorel::ui::CImportReportDlg"}));
        QCOMPARE(log.records.size(), std::size_t(0)); // no message box
        QCOMPARE(seen.lines.size(), 2);
        QCOMPARE(seen.lines[0],
                 QStringLiteral("retete.json: importată: Ciorbă de miel (xet1.txt)"));
        QVERIFY2(seen.lines[1].startsWith(QStringLiteral(
                     "retete.json: sărită: Ciorbă de miel: există deja printre reţetele proprii")),
                 qPrintable(seen.lines[1]));
        QCOMPARE(seen.summary, QStringLiteral("1 importate, 0 actualizate, 1 sărite"));
        w.OnTimer();
        QCOMPARE(Names(w.List()), QStringList{QStringLiteral("Ciorbă")});
        QCOMPARE(ReadBack("xet1.txt", true),
                 ToStd(QStringLiteral("\n#\nCiorbă de miel\n#\n"
                                      "4 porţii; 1 kg miel\n#\nFierbe.")));
        // A dialog closed without a choice imports nothing and says nothing.
        Click(w, 1007);
        QCOMPARE(log.records.size(), std::size_t(0));
        QCOMPARE(script.opened.size(), 3);
    }

    // Recipes that differ from the own recipes they match: one question for all of them, "Da"
    // updates, "Nu" reports them as not updated.
    void importAsksOnceBeforeUpdating() {
        MessageLog log;
        ModalScript script;
        const auto recipe = [](const char* step) {
            return std::string(R"({"@type": "Recipe", "identifier": "id-)") + step[0] +
                   R"(", "name": "Tort", "recipeIngredient": ["1 ou"], "recipeInstructions": [")" +
                   step + "\"]}";
        };
        WritePlain("vechi.json", "[" + recipe("a") + "," + recipe("b") + "]");
        WritePlain("nou.json", "[" + recipe("a nou") + "," + recipe("b nou") + "]");
        COwnRecipesDlg w(m_session);
        ReportSeen first;
        script.Push(first.Handler());
        w.ImportFiles({QString::fromStdString(m_dir->path() + "/vechi.json")});
        QCOMPARE(first.summary, QStringLiteral("2 importate, 0 actualizate, 0 sărite"));
        for (const char* answer : {"no", "yes"}) {
            QString asked;
            script.Push([&, answer](QDialog& box) {
                box.show();
                if (!QTest::qWaitForWindowExposed(&box))
                    return -1;
                asked = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))->text();
                QTest::mouseClick(box.findChild<QPushButton*>(QString::fromLatin1(answer)),
                                  Qt::LeftButton);
                return box.result();
            });
            ReportSeen seen;
            script.Push(seen.Handler());
            w.ImportFiles({QString::fromStdString(m_dir->path() + "/nou.json")});
            QVERIFY2(asked.startsWith(QStringLiteral("2 dintre reţetele importate există deja")),
                     qPrintable(asked));
            const bool yes = std::string(answer) == "yes";
            QCOMPARE(seen.summary, yes ? QStringLiteral("0 importate, 2 actualizate, 0 sărite")
                                       : QStringLiteral("0 importate, 0 actualizate, 2 sărite"));
            QCOMPARE(ReadRecipe(ReadBack("xet1.txt", true)).steps,
                     std::vector<std::string>{yes ? "a nou" : "a"});
        }
        QCOMPARE(ReadListFile(kOwnRecipeList)->size(), std::size_t(2));
    }

    // Thousands of recipes: the progress dialog counts them and the window's events are
    // handled on the way; the report lists them all within the screen.
    void aLargeImportShowsProgressAndStaysResponsive() {
        MessageLog log;
        ModalScript script;
        constexpr int kRecipes = 3000;
        std::string json = "[";
        for (int i = 0; i < kRecipes; ++i)
            json += (i ? "," : "") + std::string(R"({"@type": "Recipe", "name": "Reţeta )") +
                    std::to_string(i) +
                    R"(", "recipeIngredient": ["1 ou"], "recipeInstructions": ["Pas )" +
                    std::to_string(i) + "\"]}";
        WritePlain("multe.json", json + "]");
        COwnRecipesDlg w(m_session);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        int ticks = 0, maximum = 0, largestSeen = 0;
        QTimer watcher;
        QObject::connect(&watcher, &QTimer::timeout, [&] {
            ++ticks;
            if (const auto* p = w.findChild<QProgressDialog*>(QStringLiteral("importProgress"))) {
                maximum = p->maximum();
                largestSeen = std::max(largestSeen, p->value());
            }
        });
        watcher.start(5);
        ReportSeen seen;
        script.Push(seen.Handler());
        w.ImportFiles({QString::fromStdString(m_dir->path() + "/multe.json")});
        watcher.stop();
        QCOMPARE(seen.summary, QStringLiteral("3000 importate, 0 actualizate, 0 sărite"));
        QCOMPARE(seen.lines.size(), kRecipes);
        QVERIFY2(ticks > 0, "no event was handled during the import");
        QCOMPARE(maximum, kRecipes);
        QVERIFY(largestSeen > 0);
        QCOMPARE(ReadListFile(kOwnRecipeList)->size(), std::size_t(kRecipes));
    }

    void deleteAsksNamingTheRecipeAndKeepsItsFile() {
        MessageLog log;
        ModalScript script;
        WriteScrambled("virt-dir.txt", "m Supe\nh Ciorbe\n             i Ciorba        ~ xet1.txt\n"
                                       "             i Ardei        ~ xet2.txt\n");
        WriteScrambled("pers.txt", Record("Ciorba", "xet1.txt") + Record("Ardei", "xet2.txt"));
        WriteScrambled("xet1.txt", "Ana\n#\nCiorba\n#\napa\n#\nfierbe");
        COwnRecipesDlg w(m_session);
        Click(w, 1004); // nothing selected
        QCOMPARE(log.Messages(), QStringList{"Selectati o reteta existenta!!!!!!!!!!"});

        ClickRow(w.List(), 1); // "Ciorba": its recipe window opens and closes
        // "Nu" keeps everything; "Da" deletes. Each box is answered by a click on its button.
        QString asked;
        for (const char* answer : {"no", "yes"})
            script.Push([&, answer](QDialog& box) {
                box.show();
                if (!QTest::qWaitForWindowExposed(&box))
                    return -1;
                asked = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))->text();
                QTest::mouseClick(box.findChild<QPushButton*>(QString::fromLatin1(answer)),
                                  Qt::LeftButton);
                return box.result();
            });
        Click(w, 1004);
        QVERIFY(Exists("xet1.txt"));
        QCOMPARE(w.List()->count(), 2);
        Click(w, 1004);
        QVERIFY(asked.contains(QStringLiteral("\"Ciorba\"")));
        QVERIFY(!asked.contains(QLatin1Char('#')));
        QCOMPARE(Names(w.List()), QStringList{"Ardei"});
        QVERIFY(!Exists("xet1.txt"));
        QCOMPARE(ReadBack("sterse/xet1.txt", true),
                 std::string("Ana\n#\nCiorba\n#\napa\n#\nfierbe"));
        QCOMPARE(ReadBack("pers.txt", true), Record("Ardei", "xet2.txt"));
        QCOMPARE(ReadBack("virt-dir.txt", true),
                 std::string("m Supe\nh Ciorbe\n             i Ardei        ~ xet2.txt\n"));
        // The window listed the shorter file itself: its watch says no "Begin".
        w.OnTimer();
        QCOMPARE(log.Messages().size(), 1);
    }

    // The list still shows a recipe another copy deleted, and a new recipe has taken its file
    // name since: the delete of the stale entry says so, touches nothing, and lists afresh.
    void deleteOfAnEntryDeletedMeanwhileSaysSoAndTouchesNothing() {
        MessageLog log;
        ModalScript script;
        WriteScrambled("virt-dir.txt",
                       "m Supe\nh Ciorbe\n             i Ciorba        ~ xet1.txt\n");
        WriteScrambled("pers.txt", Record("Ciorba", "xet1.txt") + Record("Ardei", "xet2.txt"));
        WriteScrambled("xet1.txt", "Ana\n#\nCiorba\n#\napa\n#\nfierbe");
        COwnRecipesDlg w(m_session);
        QCOMPARE(Names(w.List()), (QStringList{"Ardei", "Ciorba"}));
        // The other copy: Ciorba deleted, then a new recipe stored under its file name.
        WriteScrambled("virt-dir.txt", "m Supe\nh Ciorbe\n             i Noua        ~ xet1.txt\n");
        WriteScrambled("pers.txt", Record("Ardei", "xet2.txt") + Record("Noua", "xet1.txt"));
        WriteScrambled("xet1.txt", "\n#\nNoua\n#\napa\n#\nx");
        const std::string list = ReadBack("pers.txt"), catalogue = ReadBack("virt-dir.txt");

        ClickRow(w.List(), 1); // the stale "Ciorba"
        script.Push([&](QDialog& box) {
            box.show();
            if (!QTest::qWaitForWindowExposed(&box))
                return -1;
            QTest::mouseClick(box.findChild<QPushButton*>(QStringLiteral("yes")), Qt::LeftButton);
            return box.result();
        });
        log.records.clear();
        Click(w, 1004);
        QCOMPARE(log.Messages(), QStringList{"Reteta a fost stearsa intre timp."});
        QCOMPARE(ReadBack("xet1.txt", true), std::string("\n#\nNoua\n#\napa\n#\nx"));
        QVERIFY(!Exists("sterse"));
        QVERIFY(ReadBack("pers.txt") == list);
        QVERIFY(ReadBack("virt-dir.txt") == catalogue);
        QCOMPARE(Names(w.List()), (QStringList{"Ardei", "Noua"}));
    }

    void growsKeepsItsPlaceAndTellsCutNames() {
        MessageLog log;
        const std::string longName = "Ciorba " + std::string(60, 'a') + " de la bunica";
        WriteScrambled("pers.txt", Record(longName, "xet1.txt") + Record("Ardei", "xet2.txt"));
        m_session.windowPlacesFile = m_dir->path() + "/places.ini";
        QSize grown;
        {
            COwnRecipesDlg w(m_session);
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QWidget* exit = ui::FindControl(&w, 1);
            QWidget* add = ui::FindControl(&w, 1003);
            const int exitFromRight = w.width() - exit->geometry().right();
            const int exitFromBottom = w.height() - exit->geometry().bottom();
            const QSize list = w.List()->size();
            w.resize(w.size() + QSize(150, 100));
            grown = w.size();
            QCOMPARE(w.List()->size(), list + QSize(150, 100));
            QCOMPARE(w.width() - exit->geometry().right(), exitFromRight);
            QCOMPARE(w.height() - exit->geometry().bottom(), exitFromBottom);
            QCOMPARE(add->y(), ui::DluY(13)); // top right stays top right
            // The backdrop is drawn to the new size: no black corner.
            const QImage shot = w.grab().toImage();
            QVERIFY(shot.pixelColor(w.width() - 2, w.height() - 2) != QColor(Qt::black));

            // Hovering over a cut entry shows its name, never the blanks and the file name.
            QListWidget* listBox = w.List();
            listBox->resize(ui::DluX(80), listBox->height());
            const auto tipOf = [&](int row) {
                QToolTip::hideText();
                if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 3000))
                    return QStringLiteral("the last tooltip stays");
                const QPoint at = listBox->visualItemRect(listBox->item(row)).center();
                QHelpEvent help(QEvent::ToolTip, at, listBox->viewport()->mapToGlobal(at));
                QApplication::sendEvent(listBox->viewport(), &help);
                return QToolTip::isVisible() ? QToolTip::text() : QString();
            };
            QCOMPARE(tipOf(1), QString::fromStdString(longName));
            QCOMPARE(tipOf(0), QString()); // "Ardei" shows whole
            w.hide();
        }
        // The next opening takes the size it was left at.
        COwnRecipesDlg again(m_session);
        again.show();
        QVERIFY(QTest::qWaitForWindowExposed(&again));
        QCOMPARE(again.size(), grown);
        QVERIFY(log.records.empty());
    }

    // A remembered size or place that a hand-edited (or corrupted) cook.conf puts beyond the
    // screens comes back within the screen there is now, whole and reachable.
    void aRememberedPlaceBeyondTheScreenComesBackWithinIt() {
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        const QRect saved[] = {
            {0, 0, 32767, 32767},
            {screen.right() + 5000, screen.bottom() + 5000, 500, 400},
            {-30000, -30000, 500, 400},
            {screen.x() + 10, screen.y() + 10, screen.width() * 3, 400},
        };
        MessageLog log;
        WriteScrambled("pers.txt", Record("Ardei", "xet2.txt"));
        m_session.windowPlacesFile = m_dir->path() + "/places.ini";
        for (const QRect& rect : saved) {
            {
                QWidget probe; // saves its place as a window of that size would
                probe.setGeometry(rect);
                QSettings places(QString::fromStdString(*m_session.windowPlacesFile),
                                 QSettings::IniFormat);
                places.setValue(QStringLiteral("ownRecipes/geometry"), probe.saveGeometry());
            }
            COwnRecipesDlg w(m_session);
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            const QString where = QStringLiteral("%1,%2 %3x%4 within %5,%6 %7x%8")
                                      .arg(w.geometry().x())
                                      .arg(w.geometry().y())
                                      .arg(w.width())
                                      .arg(w.height())
                                      .arg(screen.x())
                                      .arg(screen.y())
                                      .arg(screen.width())
                                      .arg(screen.height());
            QVERIFY2(screen.contains(w.frameGeometry()), qPrintable(where));
            QVERIFY2(w.width() >= w.minimumWidth() || w.width() == screen.width(),
                     qPrintable(where));
            w.hide();
        }
    }

private:
    static std::string ToStd(const QString& text) { return ui::ToCp1250(text); }
    Session m_session;
    std::unique_ptr<TempDataDir> m_dir;
};

QTEST_MAIN(OwnRecipesWindowTest)
#include "COwnRecipesDlg_test.moc"
