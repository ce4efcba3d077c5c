// The main window on the offscreen platform: lists, the selection chain, opening recipes,
// the watch on pers.txt.
#include "app/application.h"
#include "app/ui/CMainDlg.h"
#include "core/files.h"
#include "core/ui/qt_geometry.h"
#include "personal/backup.h"
#include "planning/ui/CPlanDlg.h"
#include "support/support.h"
#include "support/window_checks.h"
#include "support/window_support.h"
#include "viewing/ui/CPlainRecipeDlg.h"

#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

#include <filesystem>

using namespace savorel;
using namespace savorel::testing;
using savorel::ui::CMainDlg;

namespace {

QListWidget* List(CMainDlg& w, int id) {
    return ui::FindControlAs<QListWidget>(&w, id);
}

// Typed into the focused field key by key, letters outside Latin-1 too (QTest::keyClicks
// takes Latin-1 only).
void Type(QWidget* field, const QString& text) {
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// A user's choice: a mouse click on the entry.
void Choose(QListWidget* list, int row) {
    ClickRow(list, row);
}

void WriteBook() {
    std::string catalogue;
    // Ten categories, deliberately not in alphabetical order.
    const char* names[] = {"Supe",  "Aperitive", "Carne",    "Peste", "Legume",
                           "Paste", "Sosuri",    "Dulciuri", "Paine", "Bauturi"};
    for (const char* n : names)
        catalogue += std::string("m ") + n + "\nh Sub " + n + "\n";
    catalogue += "h Ciorbe\ni Ciorba de burta ~ RET001.TXT\ni Lipsa ~ RET404.TXT\n";
    WriteScrambled("virt-dir.txt", catalogue);
    WriteScrambled("RET001.TXT", "#\nCiorba de burta\n#\n500 g burta\n#\nSe fierbe.");
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { ui::ApplyApplicationLook(); }
    void init() {
        m_session = Session(); // nothing carries over from the last test
        m_app = std::make_unique<Application>(m_session);
        m_dir = std::make_unique<TempDataDir>();
        std::filesystem::create_directory("tmp");
        qputenv("TMP", (m_dir->path() + "/tmp").c_str());
        WriteBook();
    }
    void cleanup() {
        qunsetenv("TMP"); // the folder goes with the test
        m_app.reset();
        m_dir.reset();
    }

    void titleButtonsListsAndCookIniAtStart() {
        MessageLog log;
        CMainDlg w(*m_app);
        QVERIFY(!m_app->DailyBackupDone()); // not while the window is being built
        QCOMPARE(w.windowTitle(), QStringLiteral("Savorel v1.2"));
        QCOMPARE(w.size(), QSize(600, 354));
        const std::pair<int, const char*> buttons[] = {
            {1003, "Cautare"}, {1004, "Dictionar"}, {1005, "Preferate"}, {1016, "Retete proprii"},
            {1007, "Ajutor"},  {1, "Iesire"},       {1017, "Refresh"}};
        for (const auto& [id, text] : buttons) {
            auto* b = ui::FindControlAs<QPushButton>(&w, id);
            QVERIFY(b);
            QCOMPARE(b->text(), QString::fromLatin1(text));
        }
        QVERIFY(ui::FindControlAs<QPushButton>(&w, 1003)->isDefault());
        QVERIFY(ui::FindControl(&w, 1017)->isHidden());
        QCOMPARE(List(w, 1001)->geometry(), ui::DluRect(131, 24, 103, 142));
        QVERIFY(log.records.empty());
        // Start-up wrote cook.ini with the folder and a trailing "/".
        QCOMPARE(QString::fromStdString(ReadBack("cook.ini")),
                 QString::fromStdString(m_dir->path() + "/tmp/"));
        QCOMPARE(QString::fromStdString(w.TempFolder()),
                 QString::fromStdString(m_dir->path() + "/tmp/"));
        VerifyNothingClipped(w, "main_start");
        // Start-up kept a dated copy of the user's files, the catalogue among them: once the
        // window is shown, beside it.
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTRY_VERIFY(m_app->DailyBackupDone());
        QCOMPARE(ReadBack("copii/" + Today() + "/virt-dir.txt"), ReadBack("virt-dir.txt"));
        const QImage shot = w.grab().toImage();
        QVERIFY(shot.pixelColor(590, 10) != QColor(Qt::black)); // the backdrop is painted
    }

    void categoriesInFileOrderAndTheSelectionChain() {
        MessageLog log;
        ModalScript modals;
        CMainDlg w(*m_app);
        QCOMPARE(List(w, 1000)->count(), 10);
        QCOMPARE(List(w, 1000)->item(1)->text(), QStringLiteral("Aperitive"));
        QCOMPARE(List(w, 1001)->count(), 0);
        Choose(List(w, 1000), 9);
        QCOMPARE(List(w, 1001)->count(), 2);
        QCOMPARE(List(w, 1002)->count(), 0);
        Choose(List(w, 1001), 1);
        QCOMPARE(List(w, 1002)->count(), 2);
        QCOMPARE(List(w, 1002)->item(0)->text(), QStringLiteral("Ciorba de burta "));
        SaveWindowShot(w, "main");
        VerifyGrows(w, "main");
        // Another category empties the recipes until a subcategory is chosen again.
        Choose(List(w, 1000), 0);
        QCOMPARE(List(w, 1001)->count(), 1);
        QCOMPARE(List(w, 1002)->count(), 0);
        QVERIFY(modals.opened.isEmpty());
    }

    void choosingARecipeOpensItsPageAndMissingFilesStop() {
        MessageLog log;
        ModalScript modals;
        CMainDlg w(*m_app);
        Choose(List(w, 1000), 9);
        Choose(List(w, 1001), 1);
        Choose(List(w, 1002), 0);
        QCOMPARE(modals.opened, QStringList{"savorel::ui::CRecipeViewDlg"});
        QCOMPARE(QString::fromStdString(w.SelectedRecipePath()), QStringLiteral("RET001.TXT"));
        const std::string page = ReadBack(m_dir->path() + "/tmp/reteta.htm");
        QVERIFY(page.rfind("<!--RET001.TXT-->", 0) == 0);
        QVERIFY(Exists(m_dir->path() + "/tmp/reteta.txt"));

        Choose(List(w, 1002), 1); // its file is missing
        QCOMPARE(modals.opened.size(), 1);
        QCOMPARE(log.Messages(), QStringList{"Cannot open the input file...  "});
        QCOMPARE(log.records[0].form, BoxForm::CaptionOnly);
    }

    // A click on the entry already selected notifies, as the platform's list box does: the
    // recipe just closed opens again. Arrow keys choose the next entry.
    void sameRecipeAgainReopensArrowKeysToo() {
        MessageLog log;
        ModalScript modals;
        WriteScrambled("virt-dir.txt", "m A\nh B\ni Unu ~ RET001.TXT\ni Doi ~ RET001.TXT\n"
                                       "i Trei ~ RET001.TXT\n");
        CMainDlg w(*m_app);
        Choose(List(w, 1000), 0);
        Choose(List(w, 1001), 0);
        Choose(List(w, 1002), 0);
        Choose(List(w, 1002), 0);
        QCOMPARE(modals.opened.size(), 2);
        List(w, 1002)->setFocus();
        QTest::keyClick(List(w, 1002), Qt::Key_Down);
        QTest::keyClick(List(w, 1002), Qt::Key_Down);
        QCOMPARE(modals.opened.size(), 4);
        QCOMPARE(List(w, 1002)->currentRow(), 2);
        QTest::keyClick(List(w, 1002), Qt::Key_Up);
        QCOMPARE(modals.opened.size(), 5);
    }

    void unusableTmpFallsBackAndMissingCookIniIsSilent() {
        qputenv("TMP", "/no/such/folder");
        qputenv("TMPDIR", (m_dir->path() + "/tmp").c_str());
        MessageLog log;
        ModalScript modals;
        CMainDlg w(*m_app);
        qunsetenv("TMPDIR");
        QVERIFY(log.records.empty());
        QCOMPARE(QString::fromStdString(w.TempFolder()),
                 QString::fromStdString(m_dir->path() + "/tmp/"));
        // cook.ini gone later: list windows read it at that moment and report nothing else.
        std::remove("cook.ini");
        Choose(List(w, 1000), 9);
        Choose(List(w, 1001), 1);
        Choose(List(w, 1002), 0);
        QCOMPARE(modals.opened.size(), 1);
        QVERIFY(log.records.empty());
    }

    void plainWindowWhenThePageViewIsUnavailable() {
        m_session.browserUnavailable = true;
        MessageLog log;
        ModalScript modals;
        QString title, preparation;
        modals.Push([&](QDialog& d) {
            auto& plain = static_cast<ui::CPlainRecipeDlg&>(d);
            title = plain.TitleField()->toPlainText();
            preparation = plain.PreparationField()->toPlainText();
            return 1;
        });
        CMainDlg w(*m_app);
        Choose(List(w, 1000), 9);
        Choose(List(w, 1001), 1);
        Choose(List(w, 1002), 0);
        QCOMPARE(modals.opened, QStringList{"savorel::ui::CPlainRecipeDlg"});
        QCOMPARE(title, QStringLiteral("Ciorba de burta"));
        QCOMPARE(preparation, QStringLiteral(" Se fierbe."));
    }

    void buttonsOpenTheirWindows() {
        MessageLog log;
        ModalScript modals;
        CMainDlg w(*m_app);
        for (int id : {1003, 1004, 1005, 1016})
            ui::FindControlAs<QPushButton>(&w, id)->click();
        QCOMPARE(modals.opened,
                 (QStringList{"savorel::ui::CSearchDlg", "savorel::ui::CDictionaryDlg",
                              "savorel::ui::CFavouritesDlg", "savorel::ui::COwnRecipesDlg"}));
    }

    // "Planul săptămânii" shows one plan window beside this one, not modal, so that the
    // lists stay usable; closed and opened again it is the same window on the same week.
    // The recipe list offers its entries: dragged with their file and title, or from the menu.
    void weekPlanBesideAndRecipesOffered() {
        MessageLog log;
        ModalScript modals;
        CMainDlg w(*m_app);
        auto* plan = ui::FindControlAs<QPushButton>(&w, 1018);
        QCOMPARE(plan->text(), QStringLiteral("Planul săptămânii"));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(!w.PlanWindow());
        QTest::mouseClick(plan, Qt::LeftButton);
        ui::CPlanDlg* window = w.PlanWindow();
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QVERIFY(!window->isModal());
        QVERIFY(modals.opened.isEmpty());
        QVERIFY(!window->frameGeometry().intersects(w.frameGeometry()) ||
                window->frameGeometry().width() + w.frameGeometry().width() >
                    w.screen()->availableGeometry().width());
        QTest::mouseClick(ui::FindControlAs<QPushButton>(window, 3003), Qt::LeftButton);
        const QDate shown = window->Monday();
        QTest::mouseClick(ui::FindControlAs<QPushButton>(window, 1), Qt::LeftButton);
        QVERIFY(!window->isVisible());
        QTest::mouseClick(plan, Qt::LeftButton);
        QCOMPARE(w.PlanWindow(), window);
        QVERIFY(window->isVisible());
        QCOMPARE(window->Monday(), shown);

        // The recipes of a subcategory, as the plan's drops and the menu see them.
        Choose(List(w, 1000), 9);
        Choose(List(w, 1001), 1);
        modals.opened.clear();
        const auto recipe = w.RecipeOfRow(List(w, 1002), 0);
        QVERIFY(recipe);
        QCOMPARE(recipe->fileName, std::string("RET001.TXT"));
        QCOMPARE(recipe->title, std::string("Ciorba de burta"));
        QVERIFY(!w.RecipeOfRow(List(w, 1002), 5));
        QString planned;
        modals.Push([&](QDialog& d) {
            planned = d.findChild<QLabel*>(QStringLiteral("recipeTitle"))->text();
            return int(QDialog::Rejected);
        });
        QTimer::singleShot(0, [] {
            QMenu* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QAction* add =
                popup ? popup->findChild<QAction*>(QStringLiteral("addToPlan")) : nullptr;
            if (add)
                QTest::mouseClick(popup, Qt::LeftButton, {}, popup->actionGeometry(add).center());
        });
        QListWidget* recipes = List(w, 1002);
        const QPoint at = recipes->visualItemRect(recipes->item(0)).center();
        QContextMenuEvent right(QContextMenuEvent::Mouse, at, recipes->viewport()->mapToGlobal(at));
        QApplication::sendEvent(recipes->viewport(), &right);
        QTRY_COMPARE(modals.opened, QStringList{"savorel::ui::CAddToPlanDlg"});
        QCOMPARE(planned, QStringLiteral("Ciorba de burta"));
        QVERIFY(log.records.empty());
    }

    void helpAndMissingCatalogue() {
        std::remove("virt-dir.txt");
        MessageLog log;
        CMainDlg w(*m_app);
        QCOMPARE(log.Messages(), QStringList{"Cannot open the file..."});
        QCOMPARE(List(w, 1000)->count(), 0);
        Click(w, 1007);
        QCOMPARE(log.Messages().last(),
                 QStringLiteral("Selectati o categorie de preparate culinare,    \napoi o reteta "
                                "anume pe care doriti sa o cititi!!!"));
        QCOMPARE(log.records.back().caption, QStringLiteral("CMainDlg_test"));
    }

    void growingPersonalListReloadsOnTheSixthTick() {
        MessageLog log;
        CMainDlg w(*m_app);
        Choose(List(w, 1000), 9);
        WriteScrambled("pers.txt", "Nou" + std::string(137, ' ') + "#xet1.txt\n");
        WriteScrambled("virt-dir.txt", "m Doar una\nh Proprii\n             i Nou        ~ "
                                       "xet1.txt\n");
        for (int i = 0; i < 5; ++i)
            w.OnPersonalListTimer();
        QCOMPARE(List(w, 1000)->count(), 10);
        w.OnPersonalListTimer();
        QCOMPARE(List(w, 1000)->count(), 1);
        QCOMPARE(List(w, 1001)->count(), 0);
        QCOMPARE(w.Watch().KnownSize(), 150);
        for (int i = 0; i < 6; ++i)
            w.OnPersonalListTimer();
        QVERIFY(log.records.empty());
    }

    void shortenedListIsAppliedOnceAndRemoved() {
        WriteScrambled("pers.txt", std::string(300, 'a') + "\n");
        MessageLog log;
        CMainDlg w(*m_app);
        WriteScrambled("tmp.dat", std::string(100, 'b') + "\n");
        for (int i = 0; i < 6; ++i)
            w.OnPersonalListTimer();
        QCOMPARE(ReadBack("pers.txt", true), std::string(100, 'b') + "\n");
        QVERIFY(!Exists("tmp.dat"));
        QCOMPARE(w.Watch().KnownSize(), 101);
        // An empty or longer tmp.dat is never copied.
        WritePlain("tmp.dat", "");
        for (int i = 0; i < 6; ++i)
            w.OnPersonalListTimer();
        QCOMPARE(ReadBack("pers.txt", true), std::string(100, 'b') + "\n");
    }

    // The search box: typed letters narrow the answers, titles before ingredients, with or
    // without diacritics; arrows and Enter open one the way the recipe list does, a click
    // too; Escape empties the box and the lists are back, the window stays.
    void searchBoxFindsAsYouTypeAndOpensWithTheKeys() {
        WriteScrambled("virt-dir.txt",
                       "m Supe\nh Ciorbe\ni Ciorba de burta ~ RET001.TXT\n"
                       "i Sup\xe3 de ceap\xe3 ~ RET002.TXT\nh Altele\ni Sarmale ~ RET003.TXT\n"
                       "             i Tocana mea        ~ xet1.txt\n");
        WriteScrambled("RET002.TXT", "#\nSupa\n#\n3 cepe\n#\nSe fierbe.");
        WriteScrambled("RET003.TXT", "#\nSarmale\n#\nvarz\xe3; ceap\xe3\n#\nSe fierb.");
        WriteScrambled("xet1.txt", "Ana\n#\nTocana mea\n#\nceap\xe3 ro\xbaie\n#\nSe "
                                   "c\xe3le\xbate cu burta.");
        MessageLog log;
        ModalScript modals;
        CMainDlg w(*m_app);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QLineEdit* box = w.QuickBox();
        QListWidget* answers = w.QuickResults();
        QVERIFY(box->hasFocus());
        QVERIFY(box->geometry().bottom() < List(w, 1000)->geometry().top());
        QTRY_VERIFY(w.QuickIndexReady()); // read in the background
        QTest::keyClicks(box, QStringLiteral("CEAPA"));
        QVERIFY(answers->isVisible());
        // The title first, then the book's and the own recipe that use it.
        QCOMPARE(Texts(answers),
                 (QStringList{QStringLiteral("Supă de ceapă"), QStringLiteral("Sarmale"),
                              QStringLiteral("Tocana mea")}));
        QTest::keyClick(box, Qt::Key_Down);
        QTest::keyClick(box, Qt::Key_Down);
        QTest::keyClick(box, Qt::Key_Down); // stops at the last answer
        QCOMPARE(answers->currentRow(), 2);
        QTest::keyClick(box, Qt::Key_Up);
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(modals.opened, QStringList{"savorel::ui::CRecipeViewDlg"});
        QCOMPARE(QString::fromStdString(w.SelectedRecipePath()), QStringLiteral("RET003.TXT"));
        QVERIFY(ReadBack(m_dir->path() + "/tmp/reteta.htm").rfind("<!--RET003.TXT-->", 0) == 0);

        // The preparation does not count; a word of the title and one of the ingredients do.
        box->clear();
        Type(box, QString::fromUtf8("burtă"));
        QCOMPARE(Texts(answers), QStringList{"Ciorba de burta"});
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClicks(box, QStringLiteral("a tocana"));
        QCOMPARE(Texts(answers), QStringList{"Nicio rețetă nu se potrivește."});
        QTest::keyClick(box, Qt::Key_Return); // nothing to open
        QCOMPARE(modals.opened.size(), 1);
        box->clear();
        Type(box, QString::fromUtf8("tocană roşie"));
        QCOMPARE(Texts(answers), QStringList{"Tocana mea"});
        ClickRow(answers, 0);
        QCOMPARE(modals.opened.size(), 2);
        QCOMPARE(QString::fromStdString(w.SelectedRecipePath()), QStringLiteral("xet1.txt"));
        SaveWindowShot(w, "main_search_box");

        QTest::keyClick(box, Qt::Key_Escape);
        QVERIFY(box->text().isEmpty());
        QVERIFY(!answers->isVisible());
        QVERIFY(List(w, 1001)->isVisible());
        QVERIFY(w.isVisible());
        QVERIFY(log.records.empty());
        QTest::keyClick(box, Qt::Key_Escape); // an empty box: still not the window's Escape
        QVERIFY(w.isVisible());
    }

    // A recipe saved meanwhile (the catalogue reloaded by the watch on pers.txt) is found
    // by what the box holds, its ingredients too, once they are read.
    void searchBoxFollowsACatalogueReload() {
        MessageLog log;
        ModalScript modals;
        CMainDlg w(*m_app);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTest::keyClicks(w.QuickBox(), QStringLiteral("praz"));
        QCOMPARE(Texts(w.QuickResults()), QStringList{"Nicio rețetă nu se potrivește."});
        WriteScrambled("xet1.txt", "Ana\n#\nPlacinta\n#\npraz; aluat\n#\nSe coace.");
        WriteScrambled("pers.txt", "Placinta" + std::string(137, ' ') + "#xet1.txt\n");
        WriteScrambled("virt-dir.txt", ReadBack("virt-dir.txt", true) +
                                           "             i Placinta        ~ xet1.txt\n");
        for (int i = 0; i < 6; ++i)
            w.OnPersonalListTimer();
        QTRY_COMPARE(Texts(w.QuickResults()), QStringList{"Placinta"});
        QTest::keyClick(w.QuickBox(), Qt::Key_Return);
        QCOMPARE(QString::fromStdString(w.SelectedRecipePath()), QStringLiteral("xet1.txt"));
        QVERIFY(log.records.empty());
    }

    // Many answers: a fixed number painted and a note of the rest, which cannot be chosen;
    // the keys never go past the last answer onto the note.
    void searchBoxPaintsAFewOfManyAnswers() {
        std::string catalogue = "m Multe\nh Toate\n";
        for (int i = 0; i < 300; ++i)
            catalogue += "i Reteta " + std::to_string(i) + " ~ RET001.TXT\n";
        WriteScrambled("virt-dir.txt", catalogue);
        MessageLog log;
        ModalScript modals;
        CMainDlg w(*m_app);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.FinishQuickWork();
        QTest::keyClicks(w.QuickBox(), QStringLiteral("reteta"));
        QListWidget* answers = w.QuickResults();
        QCOMPARE(answers->count(), 101);
        QCOMPARE(answers->item(100)->text(),
                 QString::fromUtf8("… încă 200 rețete: scrieți mai mult"));
        QVERIFY(!(answers->item(100)->flags() & Qt::ItemIsEnabled));
        for (int i = 0; i < 120; ++i)
            QTest::keyClick(w.QuickBox(), Qt::Key_PageDown);
        QCOMPARE(answers->currentRow(), 99);
        QTest::keyClicks(w.QuickBox(), QStringLiteral(" 12"));
        QCOMPARE(answers->count(), 13); // 12, 112, 120 to 129, 212
        QTest::keyClick(w.QuickBox(), Qt::Key_9);
        QCOMPARE(Texts(answers), QStringList{"Reteta 129"});

        QVERIFY(modals.opened.isEmpty());
    }

private:
    Session m_session;
    std::unique_ptr<Application> m_app; // cook's, made before its main window as main() does
    std::unique_ptr<TempDataDir> m_dir;
};

QTEST_MAIN(MainWindowTest)
#include "CMainDlg_test.moc"
