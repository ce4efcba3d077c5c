// The search window on the offscreen platform: its look, a search run from the window, and
// opening results by mouse and keyboard.
#include "search/ui/CSearchDlg.h"

#include "core/folders.h"
#include "core/ui/qt_geometry.h"
#include "search/search.h"
#include "support/support.h"
#include "support/window_checks.h"
#include "support/window_support.h"

#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include <filesystem>

using namespace savorel;
using namespace savorel::testing;
using savorel::ui::CSearchDlg;

namespace {

QListWidget* Results(CSearchDlg& w) {
    return ui::FindControlAs<QListWidget>(&w, 1000);
}
QPlainTextEdit* Field(CSearchDlg& w, int id) {
    return ui::FindControlAs<QPlainTextEdit>(&w, id);
}
QProgressBar* Progress(CSearchDlg& w) {
    return ui::FindControlAs<QProgressBar>(&w, 1011);
}
void Start(CSearchDlg& w) {
    Click(w, 1003);
}

QString Entry(const char* name, const char* file) {
    return QString::fromStdString(ResultEntry(name, file));
}

// Names out of alphabetical order and in mixed case; one recipe file missing.
void WriteBook() {
    WriteScrambled("virt-dir.txt", "m Legume\n"
                                   "h Toate\n"
                                   "i zacusca de vinete ~ RET001.TXT\n"
                                   "i Ardei umpluti ~ RET002.TXT\n"
                                   "i ciorba de varza ~ RET003.TXT\n"
                                   "i Sarmale ~ RET004.TXT\n"
                                   "i Lipsa ~ RET404.TXT\n");
    WriteScrambled("RET001.TXT", "#\nZacusca\n#\nvinete; ardei; ceapa\n#\nSe coace.");
    WriteScrambled("RET002.TXT", "#\nArdei umpluti\n#\nardei; carne; orez\n#\nSe fierb.");
    WriteScrambled("RET003.TXT", "#\nCiorba\n#\nVarza murata; afumatura\n#\nSe fierbe.");
    WriteScrambled("RET004.TXT", "#\nSarmale\n#\nvarza; carne; orez\n#\nSe fierb.");
}

} // namespace

class SearchWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { ui::ApplyApplicationLook(); }
    void init() {
        m_session = Session(); // nothing carries over from the last test
        m_dir = std::make_unique<TempDataDir>();
        std::filesystem::create_directory("tmp");
        m_tmp = m_dir->path() + "/tmp/";
        QVERIFY(WriteCookIni(m_tmp));
        WriteBook();
    }
    void cleanup() { m_dir.reset(); }

    void looksFinished() {
        MessageLog log;
        CSearchDlg w(m_session);
        QCOMPARE(w.windowTitle(), QStringLiteral("Cautare de retete"));
        QCOMPARE(w.size(), QSize(576, 393));
        const std::pair<int, const char*> buttons[] = {
            {1003, "Apasa-ma ca sa pornesti cautarea"}, {1004, "Ajutor"}, {1, "Iesire"}};
        for (const auto& [id, text] : buttons) {
            auto* b = ui::FindControlAs<QPushButton>(&w, id);
            QVERIFY(b);
            QCOMPARE(b->text(), QString::fromLatin1(text));
            // Nothing clipped: the text fits inside the button's frame.
            QVERIFY(b->fontMetrics().horizontalAdvance(b->text()) <= b->width() - 8);
        }
        QVERIFY(ui::FindControlAs<QPushButton>(&w, 1003)->isDefault());
        QStringList labels;
        for (const QLabel* label : w.findChildren<QLabel*>()) {
            labels << label->text();
            QVERIFY(label->sizeHint().width() <= label->width());
        }
        labels.sort();
        QCOMPARE(labels, (QStringList{"Ingrediente necesare", "Ingrediente nepermise",
                                      "Ingrediente permise"}));
        // Fields start empty and nothing is searched before the button is pressed.
        QVERIFY(Field(w, 1009)->toPlainText().isEmpty());
        QCOMPARE(Results(w)->count(), 0);
        QVERIFY(log.records.empty());

        const QImage shot = w.grab().toImage();
        QVERIFY(shot.pixelColor(570, 5) != QColor(Qt::black)); // the backdrop is painted
        // The picture shows a finished search.
        QTest::keyClicks(Field(w, 1009), QStringLiteral("varza+carne"));
        Start(w);
        SaveWindowShot(w, "search");
        VerifyGrows(w, "search");
    }

    void searchFromTheWindow() {
        MessageLog log;
        CSearchDlg w(m_session);
        QTest::keyClicks(Field(w, 1009), QStringLiteral("VARZA"));
        Start(w);
        // Sorted by the list ignoring case, each entry with its file name after the filler.
        QCOMPARE(Texts(Results(w)), (QStringList{Entry("ciorba de varza ", "RET003.TXT"),
                                                 Entry("Sarmale ", "RET004.TXT")}));
        QCOMPARE(log.Messages(),
                 (QStringList{" Cannot open the file ",
                              "Am gasit un numar de 2 retete convenind acestor criterii!!!"}));
        QCOMPARE(log.records[0].form, BoxForm::CaptionOnly);
        QCOMPARE(log.records[1].form, BoxForm::Owned);
        QCOMPARE(log.records[1].owner, &w);
        QCOMPARE(Progress(w)->value(), 3); // the last match was recipe number 4

        // A line break typed between two keys separates them, forbidden beats allowed; the
        // bar stays put.
        log.records.clear();
        Field(w, 1009)->clear();
        QTest::keyClicks(Field(w, 1009), QStringLiteral("ardei"));
        QTest::keyClick(Field(w, 1009), Qt::Key_Return);
        QTest::keyClicks(Field(w, 1009), QStringLiteral("varza"));
        QCOMPARE(Field(w, 1009)->toPlainText(), QStringLiteral("ardei\nvarza"));
        Field(w, 1010)->setPlainText(QStringLiteral("afumatura"));
        Start(w);
        QCOMPARE(Texts(Results(w)), (QStringList{Entry("Ardei umpluti ", "RET002.TXT"),
                                                 Entry("Sarmale ", "RET004.TXT"),
                                                 Entry("zacusca de vinete ", "RET001.TXT")}));
        QCOMPARE(log.Messages().last(),
                 QStringLiteral("Am gasit un numar de 3 retete convenind acestor criterii!!!"));
        QCOMPARE(Progress(w)->value(), 3);
        // Within one line the key is as typed: "var za" is no "varza".
        Field(w, 1009)->setPlainText(QStringLiteral("var za"));
        Start(w);
        QCOMPARE(Results(w)->count(), 0);

        // Empty fields: every recipe line, the missing one included.
        Field(w, 1009)->clear();
        Field(w, 1010)->clear();
        Start(w);
        QCOMPARE(Texts(Results(w)),
                 (QStringList{Entry("Ardei umpluti ", "RET002.TXT"),
                              Entry("ciorba de varza ", "RET003.TXT"),
                              Entry("Lipsa ", "RET404.TXT"), Entry("Sarmale ", "RET004.TXT"),
                              Entry("zacusca de vinete ", "RET001.TXT")}));
        QCOMPARE(Progress(w)->value(), 4);

        // No recipe passes: the list is emptied and the count is 0.
        Field(w, 1012)->setPlainText(QStringLiteral("trufe"));
        Start(w);
        QCOMPARE(Results(w)->count(), 0);
        QCOMPARE(log.Messages().last(),
                 QStringLiteral("Am gasit un numar de 0 retete convenind acestor criterii!!!"));
    }

    void limitsAndAMissingCatalogue() {
        MessageLog log;
        CSearchDlg w(m_session);
        QString many;
        for (int i = 0; i < 21; ++i)
            many += QStringLiteral("cheie%1+").arg(i);
        Field(w, 1010)->setPlainText(many);
        Start(w);
        QCOMPARE(log.Messages().count(QString::fromLatin1(kKeyLimitMessage)), 1);
        QCOMPARE(log.Messages().first(), QString::fromLatin1(kKeyLimitMessage));
        QCOMPARE(Results(w)->count(), 5); // the search ran with the first 20 keys

        log.records.clear();
        std::filesystem::remove("virt-dir.txt");
        Field(w, 1010)->clear();
        Start(w);
        QCOMPARE(log.Messages(), QStringList{" \n Cannot open virt-dir.txt\n"});
        QCOMPARE(Results(w)->count(), 0);
    }

    void progressClampsToTheBarsRange() {
        std::string catalogue;
        for (int i = 1; i <= 300; ++i)
            catalogue += "i Reteta " + std::to_string(i) + " ~ R" + std::to_string(i) + ".TXT\n";
        WriteScrambled("virt-dir.txt", catalogue);
        for (int i = 1; i <= 300; ++i)
            WriteScrambled("R" + std::to_string(i) + ".TXT", i == 300 ? "gasit" : "nimic");
        MessageLog log;
        CSearchDlg w(m_session);
        Field(w, 1012)->setPlainText(QStringLiteral("gasit"));
        Start(w);
        QCOMPARE(Results(w)->count(), 1);
        QCOMPARE(Progress(w)->value(), 100); // position 299 shows as a full bar
    }

    void openingResultsByMouseAndKeyboard() {
        MessageLog log;
        ModalScript modals;
        CSearchDlg w(m_session);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        Start(w);
        log.records.clear();
        QListWidget* list = Results(w);
        QCOMPARE(list->count(), 5);
        list->setCurrentRow(0); // a change made by the program opens nothing
        QVERIFY(modals.opened.isEmpty());

        ClickRow(list, 3); // Sarmale
        QCOMPARE(modals.opened, QStringList{"savorel::ui::CRecipeViewDlg"});
        QVERIFY(ReadBack(m_tmp + "reteta.htm").rfind("<!--RET004.TXT-->", 0) == 0);
        QCOMPARE(ReadBack(m_tmp + "reteta.txt"), ReadBack("RET004.TXT"));

        QTest::keyClick(list, Qt::Key_Down); // zacusca
        QCOMPARE(modals.opened.size(), 2);
        QVERIFY(ReadBack(m_tmp + "reteta.htm").rfind("<!--RET001.TXT-->", 0) == 0);
        QTest::keyClick(list, Qt::Key_Down); // already the last entry: no change
        QCOMPARE(modals.opened.size(), 2);

        ClickRow(list, 4); // the entry already selected opens again
        QCOMPARE(modals.opened.size(), 3);

        ClickRow(list, 2); // Lipsa: its file is missing
        QCOMPARE(modals.opened.size(), 3);
        QCOMPARE(log.Messages(), QStringList{"Cannot open the input file...  "});
        QCOMPARE(log.records[0].form, BoxForm::Owned);
        QCOMPARE(log.records[0].owner, &w);
        QCOMPARE(list->count(), 5); // the window keeps its list
    }

    void helpHasItsOwnCaption() {
        MessageLog log;
        CSearchDlg w(m_session);
        Click(w, 1004);
        QCOMPARE(log.records.size(), std::size_t{1});
        QCOMPARE(log.records[0].caption, QStringLiteral("Savorel"));
        QCOMPARE(log.records[0].text,
                 QStringLiteral("Introduceti restrictiile pe care le doriti la cautarea in "
                                "Savorel :\ningrediente permise (acceptate), ingrediente "
                                "nepermise (interzise)\nsi ingrediente necesare (care sunt "
                                "obligatorii pentru o reteta) separate de caracterul "
                                "\"+\"!!!\n(De exemplu \"varza+carne de porc\"!)"));
    }

private:
    Session m_session;
    std::unique_ptr<TempDataDir> m_dir;
    std::string m_tmp;
};

QTEST_MAIN(SearchWindowTest)
#include "CSearchDlg_test.moc"
