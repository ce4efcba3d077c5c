// The favourites window on the offscreen platform: its text, sorted list, opening and
// removing entries, and what a removal leaves in pref.txt.
#include "core/files.h"
#include "core/ui/qt_geometry.h"
#include "personal/ui/CFavouritesDlg.h"
#include "support/read_only_folder.h"
#include "support/support.h"
#include "support/window_checks.h"
#include "support/window_support.h"
#include "viewing/favourites.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include <filesystem>
#include <memory>

using namespace savorel;
using namespace savorel::testing;
using savorel::ui::CFavouritesDlg;

namespace {

std::string Line(const std::string& name, const std::string& file) {
    return FavouriteRecord(name, file) + "\n";
}

QStringList Names(const QListWidget* list) {
    QStringList names;
    for (int i = 0; i < list->count(); ++i)
        names << list->item(i)->text().section(QLatin1Char(' '), 0, 0);
    return names;
}

int Row(const QListWidget* list, const QString& name) {
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->text().startsWith(name + QLatin1Char(' ')))
            return i;
    return -1;
}

} // namespace

class FavouritesWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { ui::ApplyApplicationLook(); }
    void init() {
        m_session = Session(); // nothing carries over from the last test
        m_dir = std::make_unique<TempDataDir>();
        std::filesystem::create_directory("tmp");
        WritePlain("cook.ini", m_dir->path() + "/tmp/");
    }
    void cleanup() { m_dir.reset(); }

    void layoutTextsAndSortedList() {
        MessageLog log;
        ModalScript script;
        WriteScrambled("pref.txt", Line("Supa", "RET010.TXT") + Line("ardei", "RET002.TXT") +
                                       Line("Propria", "xet2.txt") + Line("Ciorba", "RET001.TXT"));
        CFavouritesDlg w(m_session);
        QVERIFY2(!(w.windowFlags() & Qt::WindowTitleHint), "no caption bar");
        QCOMPARE(w.size(), QSize(536, 387));
        const std::pair<int, const char*> buttons[] = {
            {1003, "Stergere reteta selectata"}, {1004, "Ajutor"}, {1, "Iesire"}};
        for (const auto& [id, text] : buttons)
            QCOMPARE(ui::FindControlAs<QPushButton>(&w, id)->text(), QString::fromLatin1(text));
        QVERIFY(ui::FindControlAs<QPushButton>(&w, 1)->isDefault());
        QCOMPARE(w.List()->geometry(), ui::DluRect(10, 18, 132, 206));
        auto* guide = w.findChild<QLabel*>(QStringLiteral("guide"));
        QVERIFY(guide);
        QCOMPARE(guide->text(),
                 QStringLiteral("Vizualizati retetele dumneavoastra preferate si, eventual puteti "
                                "renunta la unele dintre ele prin selectarea lor si apasarea "
                                "butonului de stergere\n\n") +
                     QString(23, QLatin1Char(' ')) + QStringLiteral("POFTA BUNA !!!!!!!"));
        QCOMPARE(Names(w.List()), (QStringList{"ardei", "Ciorba", "Propria", "Supa"}));
        QVERIFY(log.records.empty());
        VerifyNothingClipped(w, "favourites");
        VerifyGrows(w, "favourites");

        // "Ajutor" does nothing; nothing selected, removal does nothing.
        Click(w, 1004);
        Click(w, 1003);
        QVERIFY(log.records.empty());
        QVERIFY(script.opened.isEmpty());
        QCOMPARE(w.List()->count(), 4);
    }

    void missingListIsToldAndEmpty() {
        MessageLog log;
        CFavouritesDlg w(m_session);
        QCOMPARE(log.Messages(), QStringList{"Cannot open preferences file..."});
        QCOMPARE(log.records.front().owner, static_cast<QWidget*>(&w));
        QCOMPARE(w.List()->count(), 0);
    }

    void selectingOpensBookAndOwnRecipesAlike() {
        MessageLog log;
        ModalScript script;
        WriteScrambled("pref.txt", Line("Propria", "xet2.txt") + Line("Lipsa", "RET404.TXT"));
        WriteScrambled("xet2.txt", "Ana\n#\nPropria\n#\napa\n#\nfierbe");
        CFavouritesDlg w(m_session);
        ClickRow(w.List(), Row(w.List(), "Propria"));
        QCOMPARE(script.opened, QStringList{"savorel::ui::CRecipeViewDlg"});
        QVERIFY(ReadBack("tmp/reteta.htm").rfind("<!--xet2.txt-->", 0) == 0);
        QVERIFY(log.records.empty());
        ClickRow(w.List(), Row(w.List(), "Lipsa"));
        QCOMPARE(log.Messages(), QStringList{"Cannot open the input file...  "});
        QCOMPARE(script.opened.size(), 1);
    }

    // Another copy of the program adds and removes favourites: the window follows within a
    // second, keeping the chosen entry chosen. A favourite whose own recipe is gone is shown
    // greyed and says so when chosen, without trying to open it.
    void followsChangesOfOthersAndShowsGoneRecipes() {
        MessageLog log;
        ModalScript script;
        WriteScrambled("pref.txt", Line("Supa", "RET010.TXT") + Line("Stearsa", "xet7.txt"));
        WriteScrambled("RET010.TXT", "#Supa#apa#fierbe");
        CFavouritesDlg w(m_session);
        QCOMPARE(w.Timer().interval(), 1000);
        const int gone = Row(w.List(), "Stearsa");
        QCOMPARE(w.List()->item(gone)->foreground().color(),
                 w.List()->palette().color(QPalette::Disabled, QPalette::Text));
        QVERIFY(!w.List()->item(gone)->toolTip().isEmpty());
        QVERIFY(w.List()->item(Row(w.List(), "Supa"))->toolTip().isEmpty());
        ClickRow(w.List(), gone);
        QVERIFY(script.opened.isEmpty());
        QCOMPARE(log.Messages(),
                 QStringList{"Reteta nu mai exista; o puteti sterge din lista preferatelor."});
        ClickRow(w.List(), Row(w.List(), "Supa"));
        QCOMPARE(script.opened.size(), 1);

        WriteScrambled("pref.txt", Line("Ardei", "RET002.TXT") + Line("Supa", "RET010.TXT"));
        QTRY_COMPARE_WITH_TIMEOUT(Names(w.List()), (QStringList{"Ardei", "Supa"}), 2500);
        QCOMPARE(w.List()->currentRow(), 1);
        QVERIFY(w.List()->item(1)->isSelected());
        QCOMPARE(script.opened.size(), 1); // relisting opens nothing
        WritePlain("pref.txt", "");
        QTRY_COMPARE_WITH_TIMEOUT(w.List()->count(), 0, 2500);
        QCOMPARE(log.records.size(), 1u);
    }

    void removalTakesEveryEqualRecordFromTheFile() {
        MessageLog log;
        ModalScript script;
        // An undefined byte of the code page and a Romanian letter: the entry is removed by
        // its exact bytes.
        const std::string odd = "Ciorb\xe3\x98";
        WriteScrambled("pref.txt", Line("Supa", "RET010.TXT") + Line(odd, "RET001.TXT") +
                                       Line("SUPA", "ret010.txt") + Line("Ardei", "RET002.TXT") +
                                       Line(odd, "RET001.TXT"));
        WriteScrambled("RET001.TXT", "#Ciorba#apa#fierbe");
        WriteScrambled("RET010.TXT", "#Supa#apa#fierbe");
        CFavouritesDlg w(m_session);
        QCOMPARE(w.List()->count(), 5);
        ClickRow(w.List(), Row(w.List(), QStringLiteral("Ciorb\u0103\u0098")));
        Click(w, 1003);
        QCOMPARE(w.List()->count(), 4);
        QCOMPARE(ReadBack("pref.txt", true), Line("Supa", "RET010.TXT") +
                                                 Line("SUPA", "ret010.txt") +
                                                 Line("Ardei", "RET002.TXT"));
        ClickRow(w.List(), Row(w.List(), "Supa"));
        Click(w, 1003);
        QCOMPARE(ReadBack("pref.txt", true), Line("Ardei", "RET002.TXT"));
        QVERIFY(!Exists("temp.dat"));
        QVERIFY(log.records.empty());
        // The list keeps the other equal entry until the watch lists pref.txt again.
        QCOMPARE(Names(w.List()), (QStringList{"Ardei", "Ciorb\u0103\u0098", "SUPA"}));
    }

    // After a removal nothing is chosen: a second press removes nothing the user never chose.
    // A click on the entry already chosen opens its recipe again.
    void secondPressRemovesNothingAndTheSameEntryReopens() {
        MessageLog log;
        ModalScript script;
        WriteScrambled("pref.txt", Line("Ardei", "RET002.TXT") + Line("Supa", "RET010.TXT") +
                                       Line("Varza", "RET003.TXT"));
        for (const char* file : {"RET002.TXT", "RET003.TXT", "RET010.TXT"})
            WriteScrambled(file, "#T#apa#fierbe");
        CFavouritesDlg w(m_session);
        ClickRow(w.List(), Row(w.List(), "Supa"));
        ClickRow(w.List(), Row(w.List(), "Supa"));
        QCOMPARE(script.opened.size(), 2);
        Click(w, 1003);
        QCOMPARE(Names(w.List()), (QStringList{"Ardei", "Varza"}));
        QVERIFY(w.List()->selectedItems().isEmpty());
        Click(w, 1003);
        QCOMPARE(ReadBack("pref.txt", true),
                 Line("Ardei", "RET002.TXT") + Line("Varza", "RET003.TXT"));
        QCOMPARE(w.List()->count(), 2);
        QVERIFY(log.records.empty());
    }

    void failedRemovalIsToldAndKeepsTheFile() {
        MessageLog log;
        ModalScript script;
        const std::string list = Line("Supa", "RET010.TXT") + Line("Ardei", "RET002.TXT");
        WriteScrambled("pref.txt", list);
        CFavouritesDlg w(m_session);
        ClickRow(w.List(), Row(w.List(), "Supa"));
        {
            ReadOnlyFolder readOnly;
            Click(w, 1003);
        }
        QCOMPARE(log.Messages().last(), QStringLiteral("Cannot open the output file..."));
        QCOMPARE(w.List()->count(), 1);
        QCOMPARE(ReadBack("pref.txt", true), list);

        std::filesystem::remove("pref.txt");
        ClickRow(w.List(), 0);
        Click(w, 1003);
        QCOMPARE(log.Messages().last(), QStringLiteral("Cannot open preferences file..."));
        QCOMPARE(w.List()->count(), 0);
        QVERIFY(!Exists("pref.txt"));
    }

private:
    Session m_session;
    std::unique_ptr<TempDataDir> m_dir;
};

QTEST_MAIN(FavouritesWindowTest)
#include "CFavouritesDlg_test.moc"
