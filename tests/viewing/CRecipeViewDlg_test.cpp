// The recipe window and the plain recipe window on the offscreen platform.
#include "catalogue/page.h"
#include "core/folders.h"
#include "core/ui/qt_geometry.h"
#include "planning/plan.h"
#include "planning/shopping.h"
#include "planning/ui/CAddToPlanDlg.h"
#include "support/support.h"
#include "support/window_checks.h"
#include "support/window_support.h"
#include "viewing/ui/CPlainRecipeDlg.h"
#include "viewing/ui/CRecipeViewDlg.h"
#include "viewing/ui/CWebBrowser.h"
#include "viewing/ui/qt_open_recipe.h"
#include "viewing/ui/qt_term_links.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPrinterInfo>
#include <QProcess>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextFrame>

#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

#include <filesystem>
#include <unistd.h>
#include <vector>

using namespace savorel;
using namespace savorel::testing;
using savorel::ui::CRecipeViewDlg;

namespace {

QPushButton* Button(QWidget& w, int id) {
    return ui::FindControlAs<QPushButton>(&w, id);
}

// The text pdftotext finds in a PDF file: what a reader can select and copy.
QString PdfText(const QString& pdf) {
    QProcess tool;
    tool.start(QStringLiteral("pdftotext"),
               {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
    if (!tool.waitForFinished(30000))
        return QStringLiteral("pdftotext did not run");
    return QString::fromUtf8(tool.readAllStandardOutput());
}

// The first page of a PDF as a picture (pdftoppm, from poppler-utils), null when it fails.
QImage PdfFirstPage(const QString& pdf) {
    const QString prefix = pdf + QStringLiteral(".page");
    QProcess tool;
    tool.start(QStringLiteral("pdftoppm"),
               {QStringLiteral("-r"), QStringLiteral("30"), QStringLiteral("-png"),
                QStringLiteral("-singlefile"), pdf, prefix});
    if (!tool.waitForFinished(30000))
        return {};
    return QImage(prefix + QStringLiteral(".png"));
}

// The share of pixels that are (nearly) white paper.
double WhiteShare(const QImage& image) {
    int white = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            white += QColor(image.pixel(x, y)).lightness() > 240;
    return image.isNull() ? 0 : double(white) / (image.width() * image.height());
}

} // namespace

class RecipeWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { ui::ApplyApplicationLook(); }
    void init() {
        m_session = Session(); // nothing carries over from the last test
        m_dir = std::make_unique<TempDataDir>();
        std::filesystem::create_directory("tmp");
        m_tmp = m_dir->path() + "/tmp/";
        QVERIFY(WriteCookIni(m_tmp));
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
    void cleanup() { m_dir.reset(); }

    void opensOnThePageWithBackDisabled() {
        CRecipeViewDlg w(m_session);
        ModalScript modals;
        QString shown;
        modals.Push([&](QDialog&) {
            shown = w.Browser()->toPlainText();
            SaveWindowShot(w, "recipe");
            return 1;
        });
        QCOMPARE(w.DoModal(), 1);
        VerifyNothingClipped(w, "recipe_check");
        VerifyGrows(w, "recipe");
        QCOMPARE(w.size(), QSize(612, 439));
        QVERIFY(shown.contains(QStringLiteral("Paine împletită"))); // decoded as Windows-1250
        QCOMPARE(QString::fromStdString(w.PageRecipePath()), QStringLiteral("RET007.TXT"));
        QVERIFY(!Button(w, 1006)->isEnabled());
        // The recipe states no servings: no "Portii" control.
        QVERIFY(ui::FindControlAs<QSpinBox>(&w, 1009)->isHidden());
        QCOMPARE(Button(w, 1003)->text(),
                 QStringLiteral("Adauga aceasta reteta la retetele preferate"));
        QVERIFY(Button(w, 1)->isDefault());
    }

    void caloriesThenBackToTheRecipe() {
        CRecipeViewDlg w(m_session);
        ModalScript modals;
        MessageLog log;
        modals.Push([](QDialog&) { return 1; });
        w.DoModal();
        QTest::mouseClick(Button(w, 1005), Qt::LeftButton);
        QVERIFY(Button(w, 1006)->isEnabled());
        QVERIFY(w.Browser()->Document().toString().endsWith(QStringLiteral("hastemele.html")));
        QVERIFY(w.Browser()->toPlainText().contains(QStringLiteral("TOTAL: 1740.00 calorii.")));
        SaveWindowShot(w, "calories");
        QTest::mouseClick(Button(w, 1006), Qt::LeftButton);
        QVERIFY(!Button(w, 1006)->isEnabled());
        QVERIFY(w.Browser()->Document().toString().endsWith(QStringLiteral("reteta.htm")));
        QVERIFY(log.records.empty());

        // A calculation that cannot run leaves the page shown as it was.
        std::remove("zcalorii.txt");
        QTest::mouseClick(Button(w, 1005), Qt::LeftButton);
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
        CRecipeViewDlg w(m_session);
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
                    .find("<li> 8 portii\n<li> 800 g faina\n<li> 4 cepe \n") != std::string::npos);
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

    // Enter in "Portii" takes the number and the window stays; the explanation panel leaves
    // "Portii" free; Escape closes the panel first and the window only then.
    void enterInPortiiAndEscapeWithThePanelOpen() {
        WriteScrambled("dict.txt", "f\xE3in\xE3#Macinis.\n");
        WriteScrambled("RET008.TXT", "#\nCiorba\n#\n4 portii; 400 g faina; 2 ceapa\n#\nSe fierbe.");
        CollectingReporter reporter;
        QVERIFY(RenderRecipePage("RET008.TXT", m_tmp, BoxForm::Owned, reporter));
        ModalScript modals;
        MessageLog log;
        modals.Push([](QDialog&) { return 1; });
        CRecipeViewDlg w(m_session);
        w.DoModal();
        bool closed = false;
        connect(&w, &QDialog::finished, this, [&] { closed = true; });
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto* servings = ui::FindControlAs<QSpinBox>(&w, 1009);
        QTest::mouseClick(servings, Qt::LeftButton, {}, QPoint(4, servings->height() / 2));
        QTest::keyClick(servings, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(servings, QStringLiteral("6"));
        QTest::keyClick(servings, Qt::Key_Return);
        QVERIFY(!closed);
        QCOMPARE(servings->value(), 6);
        QVERIFY(w.Browser()->toPlainText().contains(QStringLiteral("600 g faina")));
        QTest::keyClick(servings, Qt::Key_Enter); // the keypad's Enter too
        QVERIFY(!closed);

        // A click on the term's link, where it is drawn.
        QTextCursor at = w.Browser()->document()->find(QStringLiteral("faina"));
        QVERIFY(!at.isNull());
        at.setPosition(at.selectionStart() + 2);
        QTest::mouseClick(w.Browser()->viewport(), Qt::LeftButton, {},
                          w.Browser()->cursorRect(at).center());
        QWidget* panel = w.findChild<QWidget*>(QStringLiteral("termPanel"));
        QTRY_VERIFY(panel->isVisible());
        QLabel* portii = nullptr;
        for (QLabel* label : w.findChildren<QLabel*>())
            if (label->text() == QStringLiteral("Portii"))
                portii = label;
        QVERIFY(portii);
        QVERIFY(!panel->geometry().intersects(servings->geometry()));
        QVERIFY(!panel->geometry().intersects(portii->geometry()));
        SaveWindowShot(w, "recipe_terms_servings");
        // "Portii" still answers with the panel open; the new page closes it.
        QTest::keyClick(servings, Qt::Key_Up);
        QCOMPARE(servings->value(), 7);
        QVERIFY(!panel->isVisible());
        at = w.Browser()->document()->find(QStringLiteral("faina"));
        at.setPosition(at.selectionStart() + 2);
        QTest::mouseClick(w.Browser()->viewport(), Qt::LeftButton, {},
                          w.Browser()->cursorRect(at).center());
        QTRY_VERIFY(panel->isVisible());
        QTest::keyClick(w.Browser(), Qt::Key_Escape);
        QVERIFY(!panel->isVisible());
        QVERIFY(!closed);
        QTest::keyClick(w.Browser(), Qt::Key_Escape);
        QVERIFY(closed);
        QVERIFY(log.records.empty());
    }

    // Tab from the page leaves it after its links and reaches every button that can be
    // pressed and "Portii"; Shift+Tab goes the same way back.
    void tabReachesEveryButton() {
        WriteScrambled("dict.txt", "f\xE3in\xE3#Macinis.\nceap\xE3#Bulb.\na fierbe#Gata.\n");
        WriteScrambled("RET008.TXT", "#\nCiorba\n#\n4 portii; 400 g faina; 2 ceapa\n#\nSe fierbe.");
        CollectingReporter reporter;
        QVERIFY(RenderRecipePage("RET008.TXT", m_tmp, BoxForm::Owned, reporter));
        ModalScript modals;
        modals.Push([](QDialog&) { return 1; });
        CRecipeViewDlg w(m_session);
        w.DoModal();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTest::mouseClick(w.Browser()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.Browser()));
        for (const Qt::KeyboardModifier direction : {Qt::NoModifier, Qt::ShiftModifier}) {
            QSet<QWidget*> reached;
            for (int press = 0; press < 30; ++press) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, direction);
                reached.insert(QApplication::focusWidget());
            }
            for (const int id : {1003, 1007, 1004, 1005, 1, 1010, 1011})
                QVERIFY2(reached.contains(Button(w, id)), qPrintable(QString::number(id)));
            QVERIFY(reached.contains(ui::FindControl(&w, 1009)));
            QVERIFY(reached.contains(w.Browser()));
        }
    }

    // "Adaugă în plan…" proposes the portions the page shows and plans them; "Adaugă la
    // cumpărături" puts the recipe with those portions on the kept list. Each says so briefly.
    void addsToPlanAndShoppingWithThePortionsShown() {
        WriteScrambled("RET008.TXT", "#\nCiorba\n#\n4 portii; 400 g faina; 2 ceapa\n#\nSe fierbe.");
        CollectingReporter reporter;
        QVERIFY(RenderRecipePage("RET008.TXT", m_tmp, BoxForm::Owned, reporter));
        ModalScript modals;
        MessageLog log;
        modals.Push([](QDialog&) { return 1; });
        CRecipeViewDlg w(m_session);
        w.DoModal();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(Button(w, 1010)->text(), QStringLiteral("Adaugă în plan…"));
        QCOMPARE(Button(w, 1011)->text(), QStringLiteral("Adaugă la cumpărături"));
        auto* servings = ui::FindControlAs<QSpinBox>(&w, 1009);
        QTest::keyClick(servings, Qt::Key_Up);
        QTest::keyClick(servings, Qt::Key_Up);
        QCOMPARE(servings->value(), 6);

        ui::PlanChoice proposed;
        QString title;
        modals.Push([&](QDialog& d) {
            auto& add = static_cast<ui::CAddToPlanDlg&>(d);
            proposed = add.Choice();
            title = d.findChild<QLabel*>(QStringLiteral("recipeTitle"))->text();
            QTest::keyClick(add.Meal(), Qt::Key_Down); // lunch -> dinner
            QTest::mouseClick(ui::FindControlAs<QPushButton>(&d, 1), Qt::LeftButton);
            return d.result();
        });
        QTest::mouseClick(Button(w, 1010), Qt::LeftButton);
        QCOMPARE(modals.opened.last(), QStringLiteral("savorel::ui::CAddToPlanDlg"));
        QCOMPARE(title, QStringLiteral("Ciorba"));
        QCOMPARE(proposed.portions, 6);
        QCOMPARE(proposed.day, QDate::currentDate());
        const PlanResult plan = LoadPlan();
        QCOMPARE(plan.plan.entries.size(), std::size_t{1});
        QCOMPARE(plan.plan.entries[0].recipeFile, std::string("RET008.TXT"));
        QCOMPARE(plan.plan.entries[0].portions, 6);
        QCOMPARE(plan.plan.entries[0].cooked.meal, Meal::Dinner);
        QCOMPARE(w.Status()->text(),
                 QStringLiteral("Rețeta a fost adăugată în planul săptămânii."));

        // Cancelled, nothing is planned and nothing said.
        modals.Push([](QDialog&) { return int(QDialog::Rejected); });
        QTest::mouseClick(Button(w, 1010), Qt::LeftButton);
        QCOMPARE(LoadPlan().plan.entries.size(), std::size_t{1});

        QTest::mouseClick(Button(w, 1011), Qt::LeftButton);
        const ShoppingState state = LoadShoppingState().state;
        QCOMPARE(state.sources.size(), std::size_t{1});
        QCOMPARE(state.sources[0], (ShoppingSource{"RET008.TXT", "Ciorba", 6}));
        QCOMPARE(w.Status()->text(),
                 QStringLiteral("Ingredientele au fost adăugate la lista de cumpărături."));
        QVERIFY(log.records.empty());
    }

    void printsTheShownPageAndHelps() {
        CRecipeViewDlg w(m_session);
        ModalScript modals;
        MessageLog log;
        modals.Push([](QDialog&) { return 1; });
        w.DoModal();
        m_session.printTarget = m_dir->path() + "/print.pdf";
        const QString pdf = QString::fromStdString(m_session.printTarget);
        QTest::mouseClick(Button(w, 1004), Qt::LeftButton);
        QFile printed(pdf);
        QVERIFY(printed.open(QIODevice::ReadOnly));
        QVERIFY(printed.read(5) == "%PDF-");
        // Printed without the page's coffee beans and grey; the view keeps them.
        const QImage paper = PdfFirstPage(pdf);
        QVERIFY(!paper.isNull());
        QVERIFY2(WhiteShare(paper) > 0.9, qPrintable(QString::number(WhiteShare(paper))));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(WhiteShare(w.Browser()->viewport()->grab().toImage()) < 0.5);
        QVERIFY(w.Browser()->document()->rootFrame()->frameFormat().hasProperty(
            QTextFormat::BackgroundBrush));
        QVERIFY(!w.Browser()->PrintedCopy()->rootFrame()->frameFormat().hasProperty(
            QTextFormat::BackgroundBrush));
        QTest::mouseClick(Button(w, 1007), Qt::LeftButton);
        QCOMPARE(log.Messages().size(), 1);
        QVERIFY(log.Messages()[0].startsWith(QStringLiteral("Adaugati aceasta reteta la lista\n")));
        QVERIFY(
            log.Messages()[0].endsWith(QStringLiteral("\n     apasand butonul <<Calorii>>!!!")));
    }

    void dictionaryTermsAreLinksOverThePage() {
        // "a coace" is used as "coace", "faina" is written "făină" in the recipe.
        WriteScrambled("dict.txt", "a coace#A gati in cuptor.\nf\xE3in\xE3#Macinis.\n"
                                   "nefolosit#Nimic.\n");
        const std::string pageBefore = ReadBack(m_tmp + "reteta.htm");
        CRecipeViewDlg w(m_session);
        ModalScript modals;
        MessageLog log;
        auto* links = w.findChild<ui::TermLinks*>();
        QVERIFY(links);
        int linksShown = -1;
        bool panelBefore = true, panelAfter = false;
        QString word, explanation, dictionaryWord;
        modals.Push([&](QDialog&) {
            linksShown = links->LinkCount();
            panelBefore = !links->Panel()->isHidden();
            // A click on a link: its explanation beside the page at once.
            emit w.Browser()->anchorClicked(QUrl(QStringLiteral("term:1")));
            panelAfter = !links->Panel()->isHidden();
            word = links->Panel()->findChild<QLabel*>(QStringLiteral("termWord"))->text();
            explanation = links->Panel()
                              ->findChild<QTextBrowser*>(QStringLiteral("termExplanation"))
                              ->toPlainText();
            SaveWindowShot(w, "recipe_terms");
            // The dictionary window opens at that word.
            modals.Push([&](QDialog& d) {
                if (auto* field = d.findChild<QLineEdit*>())
                    dictionaryWord = field->text();
                return 0;
            });
            links->Panel()->findChild<QPushButton*>(QStringLiteral("termOpenDictionary"))->click();
            return 1;
        });
        QCOMPARE(w.DoModal(), 1);
        QCOMPARE(linksShown, 2);
        QVERIFY(!panelBefore);
        QVERIFY(panelAfter);
        QCOMPARE(word, QStringLiteral("făină"));
        QCOMPARE(explanation, QStringLiteral("Macinis."));
        QCOMPARE(dictionaryWord, QStringLiteral("făină"));
        QVERIFY(log.records.empty());
        // The page file is left as it was written.
        QCOMPARE(ReadBack(m_tmp + "reteta.htm"), pageBefore);

        // Printing takes the link styling off a copy; the view keeps its links.
        std::unique_ptr<QTextDocument> copy(w.Browser()->document()->clone());
        ui::TermLinks::StripLinks(*copy);
        int anchors = 0, underlined = 0;
        for (QTextBlock b = copy->begin(); b.isValid(); b = b.next())
            for (auto it = b.begin(); !it.atEnd(); ++it) {
                anchors += it.fragment().charFormat().isAnchor();
                underlined += it.fragment().charFormat().fontUnderline();
            }
        QCOMPARE(anchors, 0);
        QCOMPARE(underlined, 0);
        QCOMPARE(copy->toPlainText(), w.Browser()->toPlainText());

        // The calorie page gets no links.
        Button(w, 1005)->click();
        QCOMPARE(links->LinkCount(), 0);
        Button(w, 1006)->click();
        QCOMPARE(links->LinkCount(), 2);
    }

    void addsToFavouritesOnceAndNeverTwiceForOneFile() {
        ModalScript modals;
        MessageLog log;
        modals.Push([](QDialog&) { return 1; });
        modals.Push([](QDialog&) { return 1; });
        CRecipeViewDlg w(m_session);
        w.DoModal();
        QVERIFY(!Exists("pref.txt"));
        QTest::mouseClick(Button(w, 1003), Qt::LeftButton);
        const std::string record = "Paine \xEEmpletit\xE3" + std::string(55, ' ') + "#RET007.TXT\n";
        QCOMPARE(ReadBack("pref.txt", true), record);
        // Said briefly beside the page, without a box.
        QVERIFY(!w.Status()->isHidden());
        QCOMPARE(w.Status()->text(),
                 QStringLiteral("Reteta a fost adaugata la retetele preferate."));
        QVERIFY(w.Status()->geometry().bottom() < Button(w, 1003)->y());
        SaveWindowShot(w, "recipe_favourite_added");
        QVERIFY(log.records.empty());
        // Later presses in the same window write nothing, even after the record is gone.
        std::remove("pref.txt");
        QTest::mouseClick(Button(w, 1003), Qt::LeftButton);
        QVERIFY(!Exists("pref.txt"));
        QVERIFY(Button(w, 1003)->isEnabled());

        // A new window on a file already listed, in another case, adds nothing.
        WriteScrambled("pref.txt", "Alta" + std::string(55, ' ') + "#ret007.txt\n");
        CRecipeViewDlg again(m_session);
        again.DoModal();
        QTest::mouseClick(Button(again, 1003), Qt::LeftButton);
        QCOMPARE(ReadBack("pref.txt", true), "Alta" + std::string(55, ' ') + "#ret007.txt\n");
        QCOMPARE(again.Status()->text(),
                 QStringLiteral("Reteta este deja printre retetele preferate."));
        QCOMPARE(Button(again, 1003)->text(),
                 QStringLiteral("Adauga aceasta reteta la retetele preferate"));
        QVERIFY(log.records.empty());
    }

    void withoutPrinterOffersPdfAndThePageMenuSavesOne() {
        if (!QPrinterInfo::defaultPrinter().isNull())
            QSKIP("a printer is installed here: Print goes to it");
        ModalScript modals;
        MessageLog log;
        modals.Push([](QDialog&) { return 1; });
        CRecipeViewDlg w(m_session);
        w.DoModal();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        // "Print" says there is no printer, then offers a file named after the recipe.
        QString offered;
        modals.Push([&](QDialog& d) {
            offered = static_cast<QFileDialog&>(d).selectedFiles().value(0);
            return int(QDialog::Rejected);
        });
        QTest::mouseClick(Button(w, 1004), Qt::LeftButton);
        QCOMPARE(log.Messages(), QStringList{"Couldn't find the interface"});
        QCOMPARE(QFileInfo(offered).fileName(), QStringLiteral("Paine împletită.pdf"));
        QCOMPARE(modals.opened.size(), 2);

        // The page view's menu saves the page shown, as selectable text.
        const QString pdf = QString::fromStdString(m_dir->path() + "/hartie.pdf");
        modals.Push([&](QDialog& d) {
            static_cast<QFileDialog&>(d).selectFile(pdf);
            return int(QDialog::Accepted);
        });
        QString entries;
        QTimer::singleShot(0, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu)
                return;
            for (QAction* a : menu->actions())
                entries += a->text() + QLatin1Char('|');
            QAction* save = menu->findChild<QAction*>(QStringLiteral("savePdf"));
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(save).center());
        });
        QWidget* view = w.Browser()->viewport();
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(30, 30),
                                view->mapToGlobal(QPoint(30, 30)));
        QApplication::sendEvent(view, &event);
        QVERIFY2(entries.contains(QStringLiteral("Salveaza ca PDF...")), qPrintable(entries));
        QTRY_VERIFY(QFileInfo(pdf).size() > 0);
        const QString text = PdfText(pdf);
        QVERIFY2(text.contains(QStringLiteral("Paine împletită")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Se coace.")), qPrintable(text));
        QCOMPARE(log.Messages().size(), 1);
    }

    // A PDF named onto a folder or a full device is refused with the reason; the folder and
    // the link are left as they were.
    void aPdfThatCannotBeWrittenSaysWhy() {
        if (!QPrinterInfo::defaultPrinter().isNull())
            QSKIP("a printer is installed here: Print goes to it");
        const std::string folder = m_dir->path() + "/folder.pdf";
        const std::string full = m_dir->path() + "/full.pdf";
        QVERIFY(std::filesystem::create_directory(folder));
        QCOMPARE(::symlink("/dev/full", full.c_str()), 0);
        const struct {
            std::string path;
            const char* reason;
        } cases[] = {{folder, "is a folder"}, {full, "no space left"}};
        for (const auto& c : cases) {
            ModalScript modals;
            MessageLog log;
            modals.Push([](QDialog&) { return 1; });
            CRecipeViewDlg w(m_session);
            w.DoModal();
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            modals.Push([&](QDialog& d) {
                static_cast<QFileDialog&>(d).selectFile(QString::fromStdString(c.path));
                return int(QDialog::Accepted);
            });
            QTest::mouseClick(Button(w, 1004), Qt::LeftButton);
            QCOMPARE(log.Messages().size(), 2);
            const QString said = log.Messages().at(1);
            QVERIFY2(said.startsWith(QStringLiteral("Cannot open the output file...  ")),
                     qPrintable(said));
            QVERIFY2(said.contains(QString::fromLatin1(c.reason)), qPrintable(said));
        }
        QVERIFY(std::filesystem::is_empty(folder));
        QCOMPARE(std::filesystem::read_symlink(full).string(), std::string("/dev/full"));
    }

    void printsTheCaloriePageAfterCalories() {
        ModalScript modals;
        modals.Push([](QDialog&) { return 1; });
        CRecipeViewDlg w(m_session);
        w.DoModal();
        QTest::mouseClick(Button(w, 1005), Qt::LeftButton);
        m_session.printTarget = m_dir->path() + "/calories.pdf";
        const QString pdf = QString::fromStdString(m_session.printTarget);
        QTest::mouseClick(Button(w, 1004), Qt::LeftButton);
        QVERIFY(QFileInfo(pdf).size() > 0);
        // What was printed is what is shown: the calorie page.
        QVERIFY(w.Browser()->toPlainText().contains(QStringLiteral("TOTAL:")));
    }

    void pageWithoutLeadingCommentNamesNoRecipe() {
        ModalScript modals;
        MessageLog log;
        modals.Push([](QDialog&) { return 1; });
        WritePlain(m_tmp + "reteta.htm", "<html><b>Fara comentariu</b></html>");
        CRecipeViewDlg w(m_session);
        w.DoModal();
        QCOMPARE(QString::fromStdString(w.PageRecipePath()), QString());
        QTest::mouseClick(Button(w, 1003), Qt::LeftButton);
        QVERIFY(!Exists("pref.txt"));
        QCOMPARE(w.Status()->text(),
                 QStringLiteral("Reteta nu a putut fi adaugata la retetele preferate."));
        QTest::mouseClick(Button(w, 1005), Qt::LeftButton);
        QCOMPARE(log.Messages(), QStringList{"argument file not found"});
        QCOMPARE(log.records[0].form, BoxForm::CaptionOnly);
    }

    // Two copies of the program share one temporary folder: while this window shows RET007, the
    // other copy writes its own recipe's page there. Every button still acts on RET007.
    void actsOnItsOwnRecipeWhileAnotherCopyWritesTheFolder() {
        WriteScrambled("RET008.TXT", "#\nSupa straina\n#\n1 ceapa\n#\nFierbe.");
        ModalScript modals;
        MessageLog log;
        QString afterBack;
        modals.Push([&](QDialog& d) {
            auto& w = static_cast<CRecipeViewDlg&>(d);
            CollectingReporter other;
            [&] { QVERIFY(RenderRecipePage("RET008.TXT", m_tmp, BoxForm::Owned, other)); }();
            QTest::mouseClick(Button(w, 1003), Qt::LeftButton);
            QTest::mouseClick(Button(w, 1005), Qt::LeftButton);
            QTest::mouseClick(Button(w, 1006), Qt::LeftButton);
            afterBack = w.Browser()->toPlainText();
            return 1;
        });
        CollectingReporter reporter;
        class Windows final : public RecipeWindows {
        public:
            explicit Windows(Session& session) : m_session(session) {}
            int RunRecipeView(const OpenedRecipe& recipe) override {
                CRecipeViewDlg dialog(m_session);
                dialog.SetRecipe(recipe);
                return dialog.DoModal();
            }
            void RunPlainRecipe(const OpenedRecipe&) override {}

        private:
            Session& m_session;
        } windows(m_session);
        QVERIFY(OpenRecipe("RET007.TXT", Opener::ListWindow, "", reporter, &windows));
        QVERIFY(afterBack.contains(QStringLiteral("Paine împletită")));
        QVERIFY(!afterBack.contains(QStringLiteral("Supa straina")));
        QVERIFY(ReadBack("pref.txt", true).find("#RET007.TXT\n") != std::string::npos);
        QVERIFY(ReadBack("pref.txt", true).find("RET008") == std::string::npos);
        QVERIFY(log.records.empty());
    }

    // A temporary folder whose path holds "#", "?" and "%" still shows its pages.
    void pageInAFolderWithUrlCharacters() {
        const std::string odd = m_dir->path() + "/a#b?c%d/";
        std::filesystem::create_directory(odd);
        QVERIFY(WriteCookIni(odd));
        CollectingReporter reporter;
        QVERIFY(RenderRecipePage("RET007.TXT", odd, BoxForm::Owned, reporter));
        ModalScript modals;
        MessageLog log;
        QString shown, calories;
        modals.Push([&](QDialog& d) {
            auto& w = static_cast<CRecipeViewDlg&>(d);
            shown = w.Browser()->toPlainText();
            QTest::mouseClick(Button(w, 1005), Qt::LeftButton);
            calories = w.Browser()->toPlainText();
            return 1;
        });
        CRecipeViewDlg w(m_session);
        w.DoModal();
        QVERIFY(shown.contains(QStringLiteral("Paine împletită")));
        QVERIFY(calories.contains(QStringLiteral("TOTAL:")));
        QVERIFY(!calories.contains(QStringLiteral("Pagina nu poate fi afisata")));
    }

    void unavailablePageViewAnswersMinusOneWithoutShowing() {
        m_session.browserUnavailable = true;
        CRecipeViewDlg w(m_session);
        ModalScript modals;
        QCOMPARE(w.DoModal(), -1);
        QVERIFY(modals.opened.isEmpty());
    }

    // Two sessions in one process: each writes its pages into its own temporary folder and
    // opens the window its own choice of page view allows, whichever opened last.
    void sessionsKeepTheirOwnFolderAndPageView() {
        struct Case {
            const char* folder;
            bool plain;
            const char* window;
        };
        const Case cases[] = {{"unu", false, "savorel::ui::CRecipeViewDlg"},
                              {"doi", true, "savorel::ui::CPlainRecipeDlg"}};
        std::vector<Session> sessions;
        for (const Case& c : cases) {
            std::filesystem::create_directory(c.folder);
            Session session;
            session.tempFolder = m_dir->path() + "/" + c.folder + "/";
            session.browserUnavailable = c.plain;
            sessions.push_back(session);
        }
        MessageLog log;
        QWidget owner;
        const std::size_t order[] = {0, 1, 0};
        for (const std::size_t i : order) {
            for (const Session& s : sessions)
                std::filesystem::remove(s.tempFolder + "reteta.htm");
            ModalScript modals;
            std::string folderShown;
            modals.Push([&](QDialog& d) {
                if (auto* view = qobject_cast<CRecipeViewDlg*>(&d))
                    folderShown = view->TempFolder();
                return 1;
            });
            QVERIFY(ui::OpenRecipeFrom(&owner, sessions[i], "RET007.TXT", Opener::MainWindow));
            QCOMPARE(modals.opened, QStringList{cases[i].window});
            const std::string& own = sessions[i].tempFolder;
            QVERIFY(ReadBack(own + "reteta.htm").rfind("<!--RET007.TXT-->", 0) == 0);
            QVERIFY(Exists(own + "reteta.txt"));
            QVERIFY(!Exists(sessions[1 - i].tempFolder + "reteta.htm"));
            if (!cases[i].plain)
                QCOMPARE(folderShown, own);
        }
        QVERIFY(log.records.empty());
    }

    void plainWindowFieldsAndMissingCopy() {
        MessageLog log;
        OpenedRecipe opened;
        opened.copy = ReadBack(m_tmp + "reteta.txt");
        opened.copyWritten = true;
        // What lies in the folder by now is not what the window shows.
        WritePlain(m_tmp + "reteta.txt", "#\nAlta reteta\n#\n#\n");
        ui::CPlainRecipeDlg w;
        w.OnInitDialog(opened);
        QCOMPARE(w.TitleField()->toPlainText(), QStringLiteral("Paine împletită"));
        QCOMPARE(w.IngredientsField()->toPlainText(), QStringLiteral("500 g faina; 1 ceapa"));
        QCOMPARE(w.PreparationField()->toPlainText(), QStringLiteral(" Se coace.  Gata."));
        QVERIFY(w.PreparationField()->isReadOnly());
        SaveWindowShot(w, "plain");
        QCOMPARE(w.size(), QSize(590, 393));
        VerifyNothingClipped(w, "plain_check");
        QVERIFY(log.records.empty());

        ui::CPlainRecipeDlg empty;
        empty.OnInitDialog(OpenedRecipe()); // the copy could not be written
        QCOMPARE(log.Messages(), QStringList{"Cannot open the file"});
        QVERIFY(empty.TitleField()->toPlainText().isEmpty());
    }

private:
    Session m_session;
    std::unique_ptr<TempDataDir> m_dir;
    std::string m_tmp;
};

QTEST_MAIN(RecipeWindowTest)
#include "CRecipeViewDlg_test.moc"
