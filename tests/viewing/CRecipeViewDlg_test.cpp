// The recipe window and the plain recipe window on the offscreen platform.
#include "catalogue/page.h"
#include "core/folders.h"
#include "support/support.h"
#include "support/window_checks.h"
#include "support/window_support.h"
#include "viewing/CPlainRecipeDlg.h"
#include "viewing/CRecipeViewDlg.h"
#include "viewing/CWebBrowser.h"
#include "viewing/qt_open_recipe.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

#include <filesystem>

using namespace savorel;
using namespace savorel::testing;
using savorel::ui::CRecipeViewDlg;

namespace {

QPushButton* Button(QWidget& w, int id) {
    return ui::FindControlAs<QPushButton>(&w, id);
}

} // namespace

class RecipeWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { ui::ApplyApplicationLook(); }
    void init() {
        m_dir = std::make_unique<TempDataDir>();
        std::filesystem::create_directory("tmp");
        m_tmp = m_dir->path() + "/tmp/";
        WriteCookIni(m_tmp);
        WriteScrambled("zcalorii.txt", "340 faina\n40 ceapa\n");
        WriteScrambled("zunitmas.txt", "1 g\n");
        WriteScrambled("zbucati.txt", "100 ceapa\n");
        std::filesystem::copy_file(BOOK_DATA_DIR "/coffee.gif", "coffee.gif");
        WriteScrambled("RET007.TXT",
                       "#\nPaine \xEEmpletit\xE3\n#\n500 g faina; 1 ceapa\n#\nSe coace.\r\nGata.");
        CollectingReporter reporter;
        QVERIFY(RenderRecipePage("RET007.TXT", m_tmp, BoxForm::Owned, reporter));
        QVERIFY(WriteRecipeCopy("RET007.TXT", m_tmp));
    }
    void cleanup() {
        ui::SetBrowserUnavailable(false);
        m_dir.reset();
    }

    void opensOnThePageWithBackDisabled() {
        CRecipeViewDlg w;
        ModalScript modals;
        QString shown;
        modals.Push([&](QDialog&) {
            shown = w.Browser()->toPlainText();
            SaveWindowShot(w, "recipe");
            return 1;
        });
        QCOMPARE(w.DoModal(), 1);
        VerifyNothingClipped(w, "recipe_check");
        QCOMPARE(w.size(), QSize(612, 439));
        QVERIFY(shown.contains(QStringLiteral("Paine împletită"))); // decoded as Windows-1250
        QCOMPARE(QString::fromStdString(CRecipeViewDlg::PageRecipePath()),
                 QStringLiteral("RET007.TXT"));
        QVERIFY(!Button(w, 1006)->isEnabled());
        // The recipe states no servings: no "Portii" control.
        QVERIFY(ui::FindControlAs<QSpinBox>(&w, 1009)->isHidden());
        QCOMPARE(Button(w, 1003)->text(),
                 QStringLiteral("Adauga aceasta reteta la retetele preferate"));
        QVERIFY(Button(w, 1)->isDefault());
    }

    void caloriesThenBackToTheRecipe() {
        CRecipeViewDlg w;
        ModalScript modals;
        MessageLog log;
        modals.Push([](QDialog&) { return 1; });
        w.DoModal();
        Button(w, 1005)->click();
        QVERIFY(Button(w, 1006)->isEnabled());
        QVERIFY(w.Browser()->Document().toString().endsWith(QStringLiteral("hastemele.html")));
        QVERIFY(w.Browser()->toPlainText().contains(QStringLiteral("TOTAL: 1740.00 calorii.")));
        SaveWindowShot(w, "calories");
        Button(w, 1006)->click();
        QVERIFY(!Button(w, 1006)->isEnabled());
        QVERIFY(w.Browser()->Document().toString().endsWith(QStringLiteral("reteta.htm")));
        QVERIFY(log.records.empty());

        // A calculation that cannot run leaves the page shown as it was.
        std::remove("zcalorii.txt");
        Button(w, 1005)->click();
        QCOMPARE(log.Messages(), QStringList{"zcalorii.txt"});
        QVERIFY(!Button(w, 1006)->isEnabled());
    }

    void servingsControlRegeneratesPageAndCalories() {
        WriteScrambled("RET008.TXT", "#\nCiorba\n#\n4 portii; 400 g faina; 2 ceapa\n#\nSe fierbe.");
        CollectingReporter reporter;
        QVERIFY(RenderRecipePage("RET008.TXT", m_tmp, BoxForm::Owned, reporter));
        const std::string ownPage = ReadBack(m_tmp + "reteta.htm");
        ModalScript modals;
        MessageLog log;
        modals.Push([](QDialog&) { return 1; });
        CRecipeViewDlg w;
        w.DoModal();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto* servings = ui::FindControlAs<QSpinBox>(&w, 1009);
        QVERIFY(servings && servings->isVisible());
        QCOMPARE(servings->value(), 4);
        VerifyNothingClipped(w, "recipe_servings_check");

        QTest::mouseClick(servings, Qt::LeftButton, {}, QPoint(4, servings->height() / 2));
        QTest::keyClick(servings, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(servings, QStringLiteral("8"));
        QCOMPARE(servings->value(), 8);
        QVERIFY(ReadBack(m_tmp + "reteta.htm")
                    .find("<li> 8 portii\n<li> 800 g faina\n<li> 4 ceapa \n") != std::string::npos);
        QVERIFY(w.Browser()->toPlainText().contains(QStringLiteral("800 g faina")));
        SaveWindowShot(w, "recipe_servings");

        // The calorie page follows the number chosen, shown or chosen afterwards.
        QTest::mouseClick(Button(w, 1005), Qt::LeftButton);
        QVERIFY(w.Browser()->toPlainText().contains(QStringLiteral("TOTAL: 2880.00 calorii.")));
        QTest::keyClick(servings, Qt::Key_Down);
        QCOMPARE(servings->value(), 7);
        const QString calories = w.Browser()->toPlainText();
        QVERIFY(calories.contains(QStringLiteral("TOTAL: 2520.00 calorii.")));
        QVERIFY(calories.contains(QStringLiteral("Pe portie (7 portii): 360.00 calorii.")));
        QVERIFY(w.Browser()->Document().toString().endsWith(QStringLiteral("hastemele.html")));
        SaveWindowShot(w, "calories_servings");
        QTest::mouseClick(Button(w, 1006), Qt::LeftButton);
        QVERIFY(w.Browser()->toPlainText().contains(QStringLiteral("700 g faina")));

        // Back at the recipe's own number, the page is the recipe's page byte for byte.
        QTest::keyClick(servings, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(servings, QStringLiteral("4"));
        QCOMPARE(ReadBack(m_tmp + "reteta.htm"), ownPage);
        QVERIFY(log.records.empty());
    }

    void printsTheShownPageAndHelps() {
        CRecipeViewDlg w;
        ModalScript modals;
        MessageLog log;
        modals.Push([](QDialog&) { return 1; });
        w.DoModal();
        const QString pdf = QString::fromStdString(m_dir->path() + "/print.pdf");
        CRecipeViewDlg::SetPrintOutputFile(pdf);
        Button(w, 1004)->click();
        CRecipeViewDlg::SetPrintOutputFile(QString());
        QFile printed(pdf);
        QVERIFY(printed.open(QIODevice::ReadOnly));
        QVERIFY(printed.read(5) == "%PDF-");
        Button(w, 1007)->click();
        QCOMPARE(log.Messages().size(), 1);
        QVERIFY(log.Messages()[0].startsWith(QStringLiteral("Adaugati aceasta reteta la lista\n")));
        QVERIFY(
            log.Messages()[0].endsWith(QStringLiteral("\n     apasand butonul <<Calorii>>!!!")));
    }

    void addsToFavouritesOnceAndNeverTwiceForOneFile() {
        ModalScript modals;
        modals.Push([](QDialog&) { return 1; });
        modals.Push([](QDialog&) { return 1; });
        CRecipeViewDlg w;
        w.DoModal();
        QVERIFY(!Exists("pref.txt"));
        Button(w, 1003)->click();
        const std::string record = "Paine \xEEmpletit\xE3" + std::string(55, ' ') + "#RET007.TXT\n";
        QCOMPARE(ReadBack("pref.txt", true), record);
        // Later presses in the same window write nothing, even after the record is gone.
        std::remove("pref.txt");
        Button(w, 1003)->click();
        QVERIFY(!Exists("pref.txt"));
        QVERIFY(Button(w, 1003)->isEnabled());

        // A new window on a file already listed, in another case, adds nothing.
        WriteScrambled("pref.txt", "Alta" + std::string(55, ' ') + "#ret007.txt\n");
        CRecipeViewDlg again;
        again.DoModal();
        Button(again, 1003)->click();
        QCOMPARE(ReadBack("pref.txt", true), "Alta" + std::string(55, ' ') + "#ret007.txt\n");
    }

    void printsTheCaloriePageAfterCalories() {
        ModalScript modals;
        modals.Push([](QDialog&) { return 1; });
        CRecipeViewDlg w;
        w.DoModal();
        Button(w, 1005)->click();
        const QString pdf = QString::fromStdString(m_dir->path() + "/calories.pdf");
        CRecipeViewDlg::SetPrintOutputFile(pdf);
        Button(w, 1004)->click();
        CRecipeViewDlg::SetPrintOutputFile(QString());
        QVERIFY(QFileInfo(pdf).size() > 0);
        // What was printed is what is shown: the calorie page.
        QVERIFY(w.Browser()->toPlainText().contains(QStringLiteral("TOTAL:")));
    }

    void pageWithoutLeadingCommentNamesNoRecipe() {
        ModalScript modals;
        MessageLog log;
        modals.Push([](QDialog&) { return 1; });
        WritePlain(m_tmp + "reteta.htm", "<html><b>Fara comentariu</b></html>");
        CRecipeViewDlg w;
        w.DoModal();
        QCOMPARE(QString::fromStdString(CRecipeViewDlg::PageRecipePath()), QString());
        Button(w, 1003)->click();
        QVERIFY(!Exists("pref.txt"));
        Button(w, 1005)->click();
        QCOMPARE(log.Messages(), QStringList{"argument file not found"});
        QCOMPARE(log.records[0].form, BoxForm::CaptionOnly);
    }

    void unavailablePageViewAnswersMinusOneWithoutShowing() {
        ui::SetBrowserUnavailable(true);
        CRecipeViewDlg w;
        ModalScript modals;
        QCOMPARE(w.DoModal(), -1);
        QVERIFY(modals.opened.isEmpty());
    }

    void plainWindowFieldsAndMissingCopy() {
        MessageLog log;
        ui::CPlainRecipeDlg w;
        w.OnInitDialog();
        QCOMPARE(w.TitleField()->toPlainText(), QStringLiteral("Paine împletită"));
        QCOMPARE(w.IngredientsField()->toPlainText(), QStringLiteral("500 g faina; 1 ceapa"));
        QCOMPARE(w.PreparationField()->toPlainText(), QStringLiteral(" Se coace.  Gata."));
        QVERIFY(w.PreparationField()->isReadOnly());
        SaveWindowShot(w, "plain");
        QCOMPARE(w.size(), QSize(590, 393));
        VerifyNothingClipped(w, "plain_check");
        QVERIFY(log.records.empty());

        std::remove((m_tmp + "reteta.txt").c_str());
        ui::CPlainRecipeDlg empty;
        empty.OnInitDialog();
        QCOMPARE(log.Messages(), QStringList{"Cannot open the file"});
        QVERIFY(empty.TitleField()->toPlainText().isEmpty());
    }

private:
    std::unique_ptr<TempDataDir> m_dir;
    std::string m_tmp;
};

QTEST_MAIN(RecipeWindowTest)
#include "CRecipeViewDlg_test.moc"
