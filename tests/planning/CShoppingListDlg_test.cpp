// The shopping list window over a copy of the book: the list of a planned week by shop
// section with each line's share per recipe, ticks and "am acasă" marks kept by real clicks
// and keys, clearing, copying, printing and every export, recipes added from the recipe
// window, and a planned recipe that is gone.
#include "core/files.h"
#include "core/ui/qt_geometry.h"
#include "core/ui/qt_text.h"
#include "planning/plan.h"
#include "planning/shopping.h"
#include "planning/ui/CShoppingListDlg.h"
#include "support/support.h"
#include "support/window_checks.h"
#include "support/window_support.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

#include <filesystem>
#include <memory>

using namespace savorel;
using namespace savorel::testing;
using savorel::ui::CShoppingListDlg;

namespace {

const QDate kMonday(2026, 12, 14);
const QString kSoup = QStringLiteral("Ciorbă de perişoare cu borş");
const QString kSalad = QStringLiteral("Salată de cartofi cu ceapă verde şi oţet");

Date D(int year, unsigned month, unsigned day) {
    return std::chrono::year{year} / std::chrono::month{month} / std::chrono::day{day};
}

void CopyBook() {
    for (const auto& entry : std::filesystem::directory_iterator(BOOK_DATA_DIR))
        if (entry.is_regular_file())
            std::filesystem::copy_file(entry.path(), entry.path().filename());
}

// The soup on Monday for 8, the salad on Wednesday for 4; something outside the week too.
void PlanWeek() {
    AddToPlan({0, {D(2026, 12, 14), Meal::Lunch}, "RET001.TXT", "Ciorba", 8, {}});
    AddToPlan({0, {D(2026, 12, 16), Meal::Dinner}, "RET100.TXT", "Salata", 4, {}});
    AddToPlan({0, {D(2026, 12, 21), Meal::Lunch}, "RET002.TXT", "Alta", 8, {}});
}

QStringList SectionNames(const QTreeWidget* tree) {
    QStringList names;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        names << tree->topLevelItem(i)->text(0);
    return names;
}

QString SectionOf(const QTreeWidgetItem* item) {
    return item && item->parent() ? item->parent()->text(0) : QString();
}

// A click on the line, as a user chooses it.
void ClickLine(QTreeWidget* tree, QTreeWidgetItem* item) {
    tree->scrollToItem(item);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
}

// Answers the next file dialog with `path`.
void AnswerFile(ModalScript& script, const std::string& path, QString* title = nullptr) {
    script.Push([path, title](QDialog& d) {
        if (title)
            *title = d.windowTitle();
        static_cast<QFileDialog&>(d).selectFile(QString::fromStdString(path));
        return int(QDialog::Accepted);
    });
}

} // namespace

class ShoppingWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { ui::ApplyApplicationLook(); }
    void init() {
        m_session = Session();
        m_dir = std::make_unique<TempDataDir>();
        CopyBook();
    }
    void cleanup() { m_dir.reset(); }

    // Opened from the plan on an empty list, the window makes the week's list at once: its
    // sections in shop order, one line per food, what every kitchen has last.
    void weekListBySectionWithShares() {
        MessageLog log;
        PlanWeek();
        CShoppingListDlg w(m_session);
        QCOMPARE(w.Source()->text(), QStringLiteral("Lista de cumpărături este goală"));
        w.SetWeek(kMonday);
        QCOMPARE(w.windowTitle(), QStringLiteral("Lista de cumpărături"));
        QCOMPARE(w.Source()->text(), QStringLiteral("Lista de cumpărături pentru 2 rețete"));
        QVERIFY(log.records.empty());
        const QStringList sections = SectionNames(w.Tree());
        QCOMPARE(sections.first(), QStringLiteral("legume şi fructe"));
        QCOMPARE(sections.last(), QStringLiteral("Am acasă (sare, piper, apă și ce ați marcat)"));
        QVERIFY(sections.contains(QStringLiteral("carne şi peşte")));
        QVERIFY(!sections.contains(QStringLiteral("băuturi"))); // no empty section

        // Oil of both recipes adds up: 28 g for the soup, 55 g for the salad.
        QTreeWidgetItem* oil = w.LineItem(QStringLiteral("ulei"));
        QVERIFY(oil);
        QCOMPARE(SectionOf(oil), QStringLiteral("băcănie"));
        QCOMPARE(oil->text(1), QStringLiteral("83 g"));
        QCOMPARE(oil->text(2),
                 QStringLiteral("28 g ") + kSoup + QStringLiteral(", 55 g ") + kSalad);
        QCOMPARE(oil->checkState(0), Qt::Unchecked);
        // Salt is every kitchen's: listed last, with both recipes' spoons.
        QTreeWidgetItem* salt = w.LineItem(QStringLiteral("sare"));
        QVERIFY(salt);
        QCOMPARE(SectionOf(salt), sections.last());
        QCOMPARE(salt->text(1), QStringLiteral("3 linguriţe"));
        // The week's list and nothing of the next week's recipe.
        QVERIFY(!w.Tree()
                     ->findItems(QStringLiteral("Alta"), Qt::MatchContains | Qt::MatchRecursive, 2)
                     .size());

        // Every line of the list is shown, each once, under its section.
        const ShoppingList list = BuildShoppingList(SourcesOfWeek(LoadPlan().plan, D(2026, 12, 14)),
                                                    LoadShoppingState().state);
        int lines = 0;
        for (int s = 0; s < kSectionCount; ++s)
            for (const ShoppingLine& line : list.sections[static_cast<std::size_t>(s)]) {
                QTreeWidgetItem* item = w.LineItem(ui::FromCp1250(line.food));
                QVERIFY2(item, line.food.c_str());
                QCOMPARE(SectionOf(item), ui::FromCp1250(SectionName(static_cast<ShopSection>(s))));
                QCOMPARE(item->text(1), ui::FromCp1250(AmountText(line)));
                ++lines;
            }
        int shown = 0;
        for (int s = 0; s + 1 < w.Tree()->topLevelItemCount(); ++s)
            shown += w.Tree()->topLevelItem(s)->childCount();
        QCOMPARE(shown, lines + static_cast<int>(list.unmerged.empty() ? 0 : [&] {
                            int n = 0;
                            for (const auto& r : list.unmerged)
                                n += static_cast<int>(r.items.size());
                            return n;
                        }()));
        VerifyNothingClipped(w, "shopping");
        VerifyGrows(w, "shopping");
    }

    // A tick by a click and the space bar, a mark by its button: kept in the data folder and
    // shown again by a window opened later.
    void ticksAndMarksKept() {
        MessageLog log;
        PlanWeek();
        {
            CShoppingListDlg w(m_session);
            w.SetWeek(kMonday);
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            ClickLine(w.Tree(), w.LineItem(QStringLiteral("ulei")));
            QTest::keyClick(w.Tree(), Qt::Key_Space);
            QTRY_COMPARE(w.LineItem(QStringLiteral("ulei"))->checkState(0), Qt::Checked);
            QTRY_VERIFY(w.LineItem(QStringLiteral("ulei"))->font(0).strikeOut());
            QCOMPARE(LoadShoppingState().state.ticked.size(), std::size_t{1});

            ClickLine(w.Tree(), w.LineItem(QStringLiteral("orez")));
            Click(w, 5002);
            QCOMPARE(SectionOf(w.LineItem(QStringLiteral("orez"))),
                     QStringLiteral("Am acasă (sare, piper, apă și ce ați marcat)"));
            QCOMPARE(w.LineItem(QStringLiteral("orez"))->text(1),
                     QStringLiteral("50 g · am acasă"));
            QCOMPARE(LoadShoppingState().state.atHome.size(), std::size_t{1});
        }
        CShoppingListDlg again(m_session);
        again.SetWeek(kMonday); // the list is not empty: it is kept as it was
        QCOMPARE(again.LineItem(QStringLiteral("ulei"))->checkState(0), Qt::Checked);
        QCOMPARE(SectionOf(again.LineItem(QStringLiteral("orez"))),
                 QStringLiteral("Am acasă (sare, piper, apă și ce ați marcat)"));
        // Unmarked and unticked the same way.
        again.show();
        QVERIFY(QTest::qWaitForWindowExposed(&again));
        ClickLine(again.Tree(), again.LineItem(QStringLiteral("orez")));
        Click(again, 5002);
        QCOMPARE(SectionOf(again.LineItem(QStringLiteral("orez"))), QStringLiteral("băcănie"));
        ClickLine(again.Tree(), again.LineItem(QStringLiteral("ulei")));
        QTest::keyClick(again.Tree(), Qt::Key_Space);
        QTRY_COMPARE(again.LineItem(QStringLiteral("ulei"))->checkState(0), Qt::Unchecked);
        QVERIFY(LoadShoppingState().state.ticked.empty());
        QVERIFY(LoadShoppingState().state.atHome.empty());
        QVERIFY(log.records.empty());
    }

    // "Golește lista" asks; "Nu" keeps the list, "Da" empties it, its ticks with it.
    void clearAsksFirst() {
        MessageLog log;
        ModalScript script;
        PlanWeek();
        CShoppingListDlg w(m_session);
        w.SetWeek(kMonday);
        QVERIFY(SetTicked(w.Shown().sections.front().lines.front().key, true).status ==
                PlanStatus::Ok);
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
        Click(w, 5003);
        QVERIFY(asked.startsWith(QStringLiteral("Goliți lista de cumpărături?")));
        QCOMPARE(LoadShoppingState().state.sources.size(), std::size_t{2});
        Click(w, 5003);
        QCOMPARE(LoadShoppingState().state, ShoppingState{});
        QCOMPARE(w.Tree()->topLevelItemCount(), 0);
        QCOMPARE(w.Source()->text(), QStringLiteral("Lista de cumpărături este goală"));
        // Made again from the week, on request.
        Click(w, 5010);
        QCOMPARE(w.Source()->text(), QStringLiteral("Lista de cumpărături pentru 2 rețete"));
        QVERIFY(log.records.empty());
    }

    // Copied, exported as text and as to-dos, printed and saved as PDF: each what the user
    // named, each write that fails said.
    void copyExportPrintAndPdf() {
        MessageLog log;
        ModalScript script;
        PlanWeek();
        CShoppingListDlg w(m_session);
        w.SetWeek(kMonday);
        Click(w, 5006);
        const QString copied = QApplication::clipboard()->text();
        QVERIFY2(copied.contains(QStringLiteral("ulei 83 g (28 g ") + kSoup), qPrintable(copied));
        QVERIFY(copied.contains(QStringLiteral("legume şi fructe")));

        const std::string dir = m_dir->path();
        QString title;
        AnswerFile(script, dir + "/lista.txt", &title);
        Click(w, 5007);
        QCOMPARE(title, QStringLiteral("Exportă lista ca text"));
        const std::string text = ReadBack(dir + "/lista.txt");
        QCOMPARE(QString::fromUtf8(text.c_str()), copied); // UTF-8, as copied

        AnswerFile(script, dir + "/lista.ics");
        Click(w, 5008);
        const std::string ics = ReadBack(dir + "/lista.ics");
        QVERIFY(ics.rfind("BEGIN:VCALENDAR\r\n", 0) == 0);
        QVERIFY(ics.find("BEGIN:VTODO\r\n") != std::string::npos);
        QVERIFY(ics.find("ulei") != std::string::npos);

        AnswerFile(script, dir + "/lista.pdf");
        Click(w, 5005);
        QVERIFY(ReadBack(dir + "/lista.pdf").rfind("%PDF-", 0) == 0);
        QVERIFY(w.PrintedHtml().contains(QStringLiteral("ulei")));
        QVERIFY(w.PrintedHtml().contains(QStringLiteral("<h3>băcănie</h3>")));

        m_session.printTarget = dir + "/tiparit.pdf";
        Click(w, 5004);
        QVERIFY(ReadBack(dir + "/tiparit.pdf").rfind("%PDF-", 0) == 0);
        QVERIFY(log.records.empty());

        // Into a folder that does not exist: said, nothing written.
        AnswerFile(script, dir + "/nu-exista/lista.txt");
        Click(w, 5007);
        QCOMPARE(log.Messages().size(), 1);
        QVERIFY(log.Messages().at(0).startsWith(QStringLiteral("Fișierul nu a putut fi scris:")));
        AnswerFile(script, dir + "/nu-exista/lista.pdf");
        Click(w, 5005);
        QCOMPARE(log.Messages().size(), 2);
        QVERIFY(!Exists(dir + "/nu-exista"));
        // Cancelled dialogs write nothing and say nothing.
        script.Push([](QDialog&) { return int(QDialog::Rejected); });
        Click(w, 5008);
        QCOMPARE(log.Messages().size(), 2);
    }

    // "Adaugă la cumpărături" of the recipe window: a recipe added twice counts its portions
    // twice; one that is gone is listed apart, never as ingredients.
    void recipesAddedByHandAndMissingOnes() {
        MessageLog log;
        QWidget owner;
        QVERIFY(ui::AddRecipeToShopping(&owner, {"RET100.TXT", "Salata"}, 4));
        QVERIFY(ui::AddRecipeToShopping(&owner, {"RET100.TXT", "Salata"}, 2));
        QVERIFY(ui::AddRecipeToShopping(&owner, {"xet9.txt", "Tort pierdut"}, 6));
        const ShoppingState state = LoadShoppingState().state;
        QCOMPARE(state.sources.size(), std::size_t{2});
        QCOMPARE(state.sources[0].portions, 6);
        CShoppingListDlg w(m_session);
        QCOMPARE(w.Source()->text(), QStringLiteral("Lista de cumpărături pentru 2 rețete"));
        QVERIFY(!ui::FindControl(&w, 5010)->isVisibleTo(&w)); // no week: not from the plan
        QTreeWidgetItem* oil = w.LineItem(QStringLiteral("ulei"));
        QVERIFY(oil);
        QCOMPARE(oil->text(2), QStringLiteral("83 g ") + kSalad); // 55 g for 4, scaled to 6
        QCOMPARE(SectionNames(w.Tree()).last(),
                 QStringLiteral("Rețete care lipsesc (nimic din ele nu e listat)"));
        QCOMPARE(w.Tree()->topLevelItem(w.Tree()->topLevelItemCount() - 1)->child(0)->text(0),
                 QStringLiteral("Tort pierdut (lipsește)"));
        QVERIFY(log.records.empty());
    }

    // A damaged state file is said and kept aside; the list starts empty.
    void damagedStateSaid() {
        WriteScrambled(kShoppingStateFile, "[[[ nu e o listă");
        MessageLog log;
        CShoppingListDlg w(m_session);
        QCOMPARE(log.Messages().size(), 1);
        QCOMPARE(w.Tree()->topLevelItemCount(), 0);
        bool keptAside = false;
        for (const auto& entry : std::filesystem::directory_iterator("."))
            keptAside = keptAside || entry.path().filename().string().rfind(
                                         std::string(kShoppingStateFile) + ".", 0) == 0;
        QVERIFY(keptAside);
    }

private:
    Session m_session;
    std::unique_ptr<TempDataDir> m_dir;
};

QTEST_MAIN(ShoppingWindowTest)
#include "CShoppingListDlg_test.moc"
