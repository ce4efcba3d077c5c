// The week plan window on the offscreen platform, over a copy of the book: recipes dropped
// onto cells and added through the dialog, leftovers, each day's calories per person beside
// the household's goals, removal and moves by key, menu and drop, missing recipes, a damaged
// plan file, the week chosen, and what another copy of the program changed.
#include "core/files.h"
#include "core/ui/qt_geometry.h"
#include "core/ui/qt_recipe_drag.h"
#include "planning/plan.h"
#include "planning/ui/CAddToPlanDlg.h"
#include "planning/ui/CHouseholdDlg.h"
#include "planning/ui/CPlanDlg.h"
#include "planning/ui/qt_plan_cell.h"
#include "planning/ui/qt_plan_text.h"
#include "support/support.h"
#include "support/window_checks.h"
#include "support/window_support.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDropEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSet>
#include <QSpinBox>
#include <QTableWidget>
#include <QtTest>

#include <filesystem>
#include <memory>

using namespace savorel;
using namespace savorel::testing;
using savorel::ui::CPlanDlg;
using savorel::ui::PlanCell;

namespace {

const QDate kMonday(2026, 12, 14);
constexpr int kLunch = 1, kDinner = 2;

Date D(int year, unsigned month, unsigned day) {
    return std::chrono::year{year} / std::chrono::month{month} / std::chrono::day{day};
}

void CopyBook() {
    for (const auto& entry : std::filesystem::directory_iterator(BOOK_DATA_DIR))
        if (entry.is_regular_file())
            std::filesystem::copy_file(entry.path(), entry.path().filename());
}

// What a drop brings: the enter, the move and the drop, at the middle of the cell.
void DropOn(PlanCell* cell, std::unique_ptr<QMimeData> data) {
    const QPoint at = cell->viewport()->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(cell->viewport(), &enter);
    QVERIFY(enter.isAccepted());
    QDragMoveEvent move(at, Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton,
                        Qt::NoModifier);
    QApplication::sendEvent(cell->viewport(), &move);
    QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton,
                    Qt::NoModifier);
    QApplication::sendEvent(cell->viewport(), &drop);
}

std::unique_ptr<QMimeData> RecipeData(const std::string& file, const std::string& title) {
    return std::unique_ptr<QMimeData>(ui::RecipeMimeData({file, title}));
}

std::unique_ptr<QMimeData> EntryData(std::uint64_t key) {
    auto data = std::make_unique<QMimeData>();
    data->setData(QString::fromLatin1(ui::kPlanEntryMimeType), QByteArray::number(qulonglong(key)));
    return data;
}

QStringList Texts(const PlanCell* cell) {
    QStringList texts;
    for (int i = 0; i < cell->count(); ++i)
        texts << cell->item(i)->text();
    return texts;
}

// Answers the add dialog: `up` presses of the Up key in the portions and the meals boxes,
// `mealDown` in the meal box, then a click on "Adaugă". What it proposed is kept.
struct AddAnswer {
    int portionsUp = 0;
    int mealsUp = 0;
    int mealDown = 0;
    ui::PlanChoice proposed;
    QString title;
};
int Answer(QDialog& d, AddAnswer& answer) {
    auto& add = static_cast<ui::CAddToPlanDlg&>(d);
    d.show();
    if (!QTest::qWaitForWindowExposed(&d))
        return -1;
    answer.proposed = add.Choice();
    answer.title = d.findChild<QLabel*>(QStringLiteral("recipeTitle"))->text();
    for (int i = 0; i < answer.portionsUp; ++i)
        QTest::keyClick(add.Portions(), Qt::Key_Up);
    for (int i = 0; i < answer.mealsUp; ++i)
        QTest::keyClick(add.Meals(), Qt::Key_Up);
    for (int i = 0; i < answer.mealDown; ++i)
        QTest::keyClick(add.Meal(), Qt::Key_Down);
    QTest::mouseClick(ui::FindControlAs<QPushButton>(&d, 1), Qt::LeftButton);
    return d.result();
}

double PerPortion(const std::string& file, int portions) {
    return CaloriesOfRecipe(file, portions).perPortion;
}

} // namespace

class PlanWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { ui::ApplyApplicationLook(); }
    void init() {
        m_session = Session();
        m_dir = std::make_unique<TempDataDir>();
        CopyBook();
    }
    void cleanup() { m_dir.reset(); }

    void layoutTextsAndKeys() {
        MessageLog log;
        CPlanDlg w(m_session);
        w.ShowWeek(kMonday);
        QCOMPARE(w.windowTitle(), QStringLiteral("Planul săptămânii"));
        QCOMPARE(w.Monday(), kMonday);
        const std::pair<int, const char*> buttons[] = {{3001, "◀ Săptămâna trecută"},
                                                       {3003, "Săptămâna viitoare ▶"},
                                                       {3006, "Săptămâna aceasta"},
                                                       {3005, "Gospodăria…"},
                                                       {3010, "Lista de cumpărături…"},
                                                       {3011, "Exportă iCalendar…"},
                                                       {1, "Închide"}};
        for (const auto& [id, text] : buttons)
            QCOMPARE(ui::FindControlAs<QPushButton>(&w, id)->text(), QString::fromUtf8(text));
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("weekHeading"))->text(),
                 QStringLiteral("14 – 20 decembrie 2026"));
        QStringList heads;
        for (const QLabel* l : w.findChildren<QLabel*>(QStringLiteral("mealHeading")))
            heads << l->text();
        QCOMPARE(heads, (QStringList{"mic dejun", "prânz", "cină", "gustare"}));
        QStringList days;
        for (const QLabel* l : w.findChildren<QLabel*>(QStringLiteral("dayHeading")))
            days << l->text().section(QLatin1Char('\n'), 0, 0);
        QCOMPARE(days, (QStringList{"luni", "marți", "miercuri", "joi", "vineri", "sâmbătă",
                                    "duminică"}));
        for (int day = 0; day < 7; ++day)
            for (int meal = 0; meal < 4; ++meal) {
                QVERIFY(w.Cell(day, meal));
                QVERIFY(w.Cell(day, meal)->acceptDrops());
            }
        QVERIFY(!w.Cell(7, 0) && !w.Cell(0, 4) && !w.Cell(-1, 0));
        // The legend keeps clear of the buttons beside it.
        const QRect legend = w.findChild<QLabel*>(QStringLiteral("legend"))->geometry();
        for (int id : {3010, 3011, 1})
            QVERIFY(!legend.intersects(ui::FindControl(&w, id)->geometry()));
        QVERIFY(log.records.empty());
        VerifyNothingClipped(w, "plan");
        VerifyGrows(w, "plan");

        // Tab runs through the week's controls, the cells day by day, then the buttons.
        QWidget* focus = ui::FindControl(&w, 3005);
        focus->setFocus();
        QTest::keyClick(focus, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.Cell(0, 0)));
        QTest::keyClick(w.Cell(0, 0), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.Cell(0, 1)));
        w.Cell(6, 3)->setFocus();
        QTest::keyClick(w.Cell(6, 3), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), ui::FindControl(&w, 3010));
        // Escape closes (hides) the window; it keeps its week.
        QTest::keyClick(&w, Qt::Key_Escape);
        QVERIFY(!w.isVisible());
        QCOMPARE(w.Monday(), kMonday);
    }

    // Every field of the plan's dialogs has a key of its own (Alt and the letter), and the
    // arrow keys in the day box go from day to day across weeks.
    void dialogKeysOfTheirOwn() {
        MessageLog log;
        ui::CAddToPlanDlg add(m_session, QStringLiteral("Ciorbă"), {kMonday, kLunch, 4, 1});
        ui::CHouseholdDlg household(m_session);
        for (QDialog* dialog : {static_cast<QDialog*>(&add), static_cast<QDialog*>(&household)}) {
            QStringList keys;
            for (const QLabel* label : dialog->findChildren<QLabel*>()) {
                const qsizetype at = label->text().indexOf(QLatin1Char('&'));
                if (at >= 0 && at + 1 < label->text().size()) {
                    QVERIFY2(label->buddy(), qPrintable(label->text()));
                    keys << label->text().mid(at + 1, 1).toLower();
                }
            }
            QVERIFY(!keys.isEmpty());
            QCOMPARE(QSet<QString>(keys.begin(), keys.end()).size(), keys.size());
        }
        add.show();
        QVERIFY(QTest::qWaitForWindowExposed(&add));
        QTest::keyClick(&add, Qt::Key_M, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(add.Meal()));
        add.Day()->setFocus();
        for (int i = 0; i < 7; ++i)
            QTest::keyClick(add.Day(), Qt::Key_Up);
        QCOMPARE(add.Choice().day, kMonday.addDays(7));
        QTest::keyClick(&add, Qt::Key_Escape);
        QCOMPARE(add.result(), int(QDialog::Rejected));
        QVERIFY(log.records.empty());
    }

    // A recipe dropped on Monday's lunch: the dialog proposes that day and meal and the
    // recipe's servings; its portions eaten over three meals go on to the next two lunches.
    // Each day counts a portion per person of what is eaten then.
    void dropAddsWithLeftoversAndCountsEachDay() {
        MessageLog log;
        ModalScript script;
        CPlanDlg w(m_session);
        w.ShowWeek(kMonday);
        w.show();
        AddAnswer soup;
        soup.portionsUp = 1;
        soup.mealsUp = 2;
        script.Push([&](QDialog& d) { return Answer(d, soup); });
        DropOn(w.Cell(0, kLunch), RecipeData("RET001.TXT", "Ciorb\xe3"));
        QCOMPARE(script.opened, QStringList{"savorel::ui::CAddToPlanDlg"});
        QCOMPARE(soup.proposed.day, kMonday);
        QCOMPARE(soup.proposed.meal, kLunch);
        QCOMPARE(soup.proposed.portions, 8); // RET001 states 8 servings
        QCOMPARE(soup.proposed.meals, 1);
        QCOMPARE(soup.title, QStringLiteral("Ciorbă"));

        AddAnswer dinner;
        script.Push([&](QDialog& d) { return Answer(d, dinner); });
        DropOn(w.Cell(0, kDinner), RecipeData("RET100.TXT", "Alta"));
        QVERIFY(log.records.empty());

        const PlanResult plan = LoadPlan();
        QCOMPARE(plan.plan.entries.size(), std::size_t{2});
        const PlanEntry& first = plan.plan.entries[0];
        QCOMPARE(first.recipeFile, std::string("RET001.TXT"));
        QCOMPARE(first.portions, 9);
        QCOMPARE(first.leftovers.size(), std::size_t{2});
        QCOMPARE(first.leftovers[0], (MealSlot{D(2026, 12, 15), Meal::Lunch}));
        QCOMPARE(first.leftovers[1], (MealSlot{D(2026, 12, 16), Meal::Lunch}));

        // The cells: the cooking with its portions, then the leftovers, which do not move.
        const QStringList monday = Texts(w.Cell(0, kLunch));
        QCOMPARE(monday.size(), 1);
        QVERIFY2(monday[0].endsWith(QStringLiteral("(9 p.)")), qPrintable(monday[0]));
        QVERIFY(w.Cell(0, kLunch)->item(0)->data(ui::kEntryMovableRole).toBool());
        for (int day : {1, 2}) {
            QCOMPARE(w.Cell(day, kLunch)->count(), 1);
            QVERIFY(w.Cell(day, kLunch)->item(0)->text().startsWith(QStringLiteral("↪ ")));
            QVERIFY(!w.Cell(day, kLunch)->item(0)->data(ui::kEntryMovableRole).toBool());
        }
        QCOMPARE(w.Cell(3, kLunch)->count(), 0);

        // A portion of each meal eaten: Monday both recipes, Tuesday and Wednesday the soup.
        const double soupPortion = PerPortion("RET001.TXT", 9);
        const double otherPortion = PerPortion("RET100.TXT", 4);
        QVERIFY(soupPortion > 100 && otherPortion > 100);
        const auto kcalOf = [&](int day) {
            return w.DayCalories(day)->text().section(QLatin1Char('\n'), 0, 0);
        };
        QCOMPARE(kcalOf(0), ui::KcalText(soupPortion + otherPortion) + QStringLiteral(" kcal"));
        QCOMPARE(kcalOf(1), ui::KcalText(soupPortion) + QStringLiteral(" kcal"));
        QCOMPARE(kcalOf(2), ui::KcalText(soupPortion) + QStringLiteral(" kcal"));
        QCOMPARE(kcalOf(3), QString());
        QCOMPARE(w.WeekTotal()->text(), QStringLiteral("Săptămâna: ") +
                                            ui::KcalText(3 * soupPortion + otherPortion) +
                                            QStringLiteral(" kcal de persoană, 1 persoană"));

        // Reopened, the window shows the same.
        CPlanDlg again(m_session);
        again.ShowWeek(kMonday.addDays(3)); // any day of the week
        QCOMPARE(Texts(again.Cell(0, kLunch)), monday);
        QCOMPARE(again.DayCalories(1)->text(), w.DayCalories(1)->text());

        // A drop the dialog is cancelled for adds nothing.
        script.Push([](QDialog&) { return int(QDialog::Rejected); });
        DropOn(w.Cell(4, 0), RecipeData("RET002.TXT", "X"));
        QCOMPARE(LoadPlan().plan.entries.size(), std::size_t{2});
        QCOMPARE(w.Cell(4, 0)->count(), 0);
        // What is no recipe is not taken.
        auto text = std::make_unique<QMimeData>();
        text->setText(QStringLiteral("RET002.TXT"));
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, text.get(), Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(w.Cell(4, 0)->viewport(), &enter);
        QVERIFY(!enter.isAccepted());
    }

    // Delete removes the chosen cooking with its leftovers; an entry dropped on another cell
    // moves there with its leftovers; the menu moves and removes too.
    void removeAndMoveByKeyDropAndMenu() {
        MessageLog log;
        ModalScript script;
        PlanEntry soup{0,
                       {D(2026, 12, 14), Meal::Lunch},
                       "RET001.TXT",
                       "Ciorba",
                       8,
                       LeftoverLunches({D(2026, 12, 14), Meal::Lunch}, 1)};
        const std::uint64_t soupId = AddToPlan(soup).id;
        PlanEntry salad{0, {D(2026, 12, 14), Meal::Lunch}, "RET100.TXT", "Salata", 4, {}};
        const std::uint64_t saladId = AddToPlan(salad).id;
        CPlanDlg w(m_session);
        w.ShowWeek(kMonday);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        PlanCell* monday = w.Cell(0, kLunch);
        QCOMPARE(monday->count(), 2);

        // Dropped on Thursday's dinner: the soup moves, its leftover with it by as many days.
        DropOn(w.Cell(3, kDinner), EntryData(soupId));
        const PlanResult afterMove = LoadPlan();
        const PlanEntry* moved = FindEntry(afterMove.plan, soupId);
        QVERIFY(moved);
        QCOMPARE(moved->cooked, (MealSlot{D(2026, 12, 17), Meal::Dinner}));
        QCOMPARE(moved->leftovers.size(), std::size_t{1});
        QCOMPARE(moved->leftovers[0], (MealSlot{D(2026, 12, 18), Meal::Lunch}));
        QCOMPARE(monday->count(), 1);
        QCOMPARE(w.Cell(3, kDinner)->count(), 1);
        QCOMPARE(w.Cell(1, kLunch)->count(), 0);

        // Chosen by a click, removed with Delete.
        ClickRow(monday, 0);
        QTest::keyClick(monday, Qt::Key_Delete);
        QVERIFY(!FindEntry(LoadPlan().plan, saladId));
        QCOMPARE(monday->count(), 0);

        // The menu of Thursday's entry: "Mută…" asks where, and the meal chosen takes it.
        PlanCell* thursday = w.Cell(3, kDinner);
        std::unique_ptr<QMenu> menu(w.EntryMenu(*thursday, soupId));
        QStringList entries;
        for (const QAction* a : menu->actions())
            entries << a->text().section(QLatin1Char('\t'), 0, 0);
        QCOMPARE(entries, (QStringList{"Deschide rețeta", "Mută…", "Scoate din plan"}));
        QVERIFY(!menu->actions().at(0)->isEnabled()); // nothing opens recipes here
        ui::PlanChoice offered;
        bool portionsLocked = false;
        script.Push([&](QDialog& d) {
            auto& dialog = static_cast<ui::CAddToPlanDlg&>(d);
            d.show();
            if (!QTest::qWaitForWindowExposed(&d))
                return -1;
            offered = dialog.Choice();
            portionsLocked = !dialog.Portions()->isEnabled() && !dialog.Meals()->isEnabled();
            QTest::keyClick(dialog.Meal(), Qt::Key_Up); // dinner -> lunch
            QTest::keyClick(&d, Qt::Key_Return);        // the default button
            return d.result();
        });
        // A real right click on the entry, then a click on the menu's "Mută…".
        QTimer::singleShot(0, [] {
            QMenu* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QAction* move = popup ? popup->findChild<QAction*>(QStringLiteral("move")) : nullptr;
            if (!move)
                return;
            QTest::mouseClick(popup, Qt::LeftButton, {}, popup->actionGeometry(move).center());
        });
        const QPoint at = thursday->visualItemRect(thursday->item(0)).center();
        QContextMenuEvent right(QContextMenuEvent::Mouse, at,
                                thursday->viewport()->mapToGlobal(at));
        QApplication::sendEvent(thursday->viewport(), &right);
        QTRY_COMPARE(script.opened.size(), 1);
        QCOMPARE(offered.day, QDate(2026, 12, 17));
        QCOMPARE(offered.meal, kDinner);
        QCOMPARE(offered.portions, 8);
        QCOMPARE(offered.meals, 2);
        QVERIFY(portionsLocked); // a move keeps what was cooked
        QTRY_COMPARE(w.Cell(3, kLunch)->count(), 1);
        QCOMPARE(FindEntry(LoadPlan().plan, soupId)->cooked.meal, Meal::Lunch);
        QCOMPARE(w.Cell(3, kDinner)->count(), 0);

        // An entry another copy removed meanwhile: the move says so and the cells follow.
        QVERIFY(RemoveFromPlan(soupId).status == PlanStatus::Ok);
        DropOn(w.Cell(5, 0), EntryData(soupId));
        QCOMPARE(log.Messages().size(), 1);
        QVERIFY2(log.Messages().at(0).contains(QStringLiteral("nu mai este în plan")),
                 qPrintable(log.Messages().at(0)));
        QCOMPARE(w.Cell(3, kLunch)->count(), 0);
        QCOMPARE(w.Cell(5, 0)->count(), 0);
    }

    // A recipe deleted since it was planned: shown as missing under its planned title, not
    // counted, and opening it says why instead of trying.
    void missingRecipeShownAndNeverOpened() {
        MessageLog log;
        PlanEntry gone{0, {D(2026, 12, 15), Meal::Dinner}, "xet77.txt", "Tort de cas\xe3", 6, {}};
        AddToPlan(gone);
        CPlanDlg w(m_session);
        QStringList opened;
        w.openRecipe = [&](QWidget*, const std::string& file) {
            opened << QString::fromStdString(file);
        };
        w.ShowWeek(kMonday);
        w.show();
        PlanCell* cell = w.Cell(1, kDinner);
        QCOMPARE(Texts(cell), QStringList{"Tort de casă (6 p.) (lipsește)"});
        QCOMPARE(cell->item(0)->foreground().color(),
                 w.palette().color(QPalette::Disabled, QPalette::Text));
        QVERIFY(cell->item(0)->toolTip().contains(QStringLiteral("nu mai există")));
        QCOMPARE(w.DayCalories(1)->text(), QString());
        ClickRow(cell, 0);
        QTest::keyClick(cell, Qt::Key_Return);
        QVERIFY(opened.isEmpty());
        QCOMPARE(log.Messages(), QStringList{"Rețeta „Tort de casă (6 p.) (lipsește)” nu mai "
                                             "există; o puteți scoate din plan."});
        // One that exists opens by Enter and by a double click.
        AddToPlan({0, {D(2026, 12, 15), Meal::Snack}, "RET002.TXT", "Ceva", 8, {}});
        w.Reload();
        ClickRow(w.Cell(1, 3), 0);
        QTest::keyClick(w.Cell(1, 3), Qt::Key_Enter);
        const QPoint at = w.Cell(1, 3)->visualItemRect(w.Cell(1, 3)->item(0)).center();
        QTest::mouseDClick(w.Cell(1, 3)->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(opened, (QStringList{"RET002.TXT", "RET002.TXT"}));
    }

    // A recipe with an ingredient the calculator does not know counts only in part: its entry
    // and its day are marked, and the week's total too.
    void partlyUnderstoodRecipesMarked() {
        MessageLog log;
        WriteScrambled("xet5.txt", "Ana\n#\nPlacinta\n#\n4 portii; 500 g faina; 3 bucati "
                                   "zmeurica-de-munte\n#\nSe coace.");
        AddToPlan({0, {D(2026, 12, 18), Meal::Snack}, "xet5.txt", "Placinta", 4, {}});
        AddToPlan({0, {D(2026, 12, 18), Meal::Lunch}, "RET001.TXT", "Ciorba", 8, {}});
        const RecipeCalories known = CaloriesOfRecipe("xet5.txt", 4);
        QVERIFY(known.found && known.partial);
        CPlanDlg w(m_session);
        w.ShowWeek(kMonday);
        const QStringList snack = Texts(w.Cell(4, 3));
        QCOMPARE(snack.size(), 1);
        QVERIFY2(snack[0].startsWith(QStringLiteral("≈ Placinta")), qPrintable(snack[0]));
        QVERIFY(w.Cell(4, 3)->item(0)->toolTip().contains(QStringLiteral("nu au fost înțelese")));
        QVERIFY(!w.Cell(4, kLunch)->item(0)->text().startsWith(QStringLiteral("≈")));
        QCOMPARE(w.DayCalories(4)->text(),
                 QStringLiteral("≈ ") +
                     ui::KcalText(known.perPortion + PerPortion("RET001.TXT", 8)) +
                     QStringLiteral(" kcal"));
        QVERIFY(!w.DayCalories(4)->toolTip().isEmpty());
        QVERIFY(w.WeekTotal()->text().startsWith(QStringLiteral("Săptămâna: ≈ ")));
        QVERIFY(log.records.empty());
    }

    // A damaged plan file is said once, kept aside, and the window shows an empty week it
    // can add to.
    void damagedFileSaidAndKeptAside() {
        WriteScrambled(kPlanFile, "{\"entries\": [ this is no plan");
        MessageLog log;
        CPlanDlg w(m_session);
        QCOMPARE(log.Messages().size(), 1);
        QCOMPARE(log.records.front().owner, static_cast<QWidget*>(&w));
        bool keptAside = false;
        for (const auto& entry : std::filesystem::directory_iterator("."))
            keptAside = keptAside || entry.path().filename().string().rfind("plan.txt.", 0) == 0;
        QVERIFY(keptAside);
        for (int day = 0; day < 7; ++day)
            for (int meal = 0; meal < 4; ++meal)
                QCOMPARE(w.Cell(day, meal)->count(), 0);
        // Shown again (another week and back) it says nothing more.
        Click(w, 3003);
        Click(w, 3001);
        QCOMPARE(log.Messages().size(), 1);
    }

    void weeksChosenByButtonsAndDate() {
        MessageLog log;
        AddToPlan({0, {D(2026, 12, 21), Meal::Lunch}, "RET001.TXT", "Ciorba", 8, {}});
        CPlanDlg w(m_session);
        w.ShowWeek(kMonday);
        w.show();
        Click(w, 3003);
        QCOMPARE(w.Monday(), QDate(2026, 12, 21));
        QCOMPARE(w.Cell(0, kLunch)->count(), 1);
        Click(w, 3003);
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("weekHeading"))->text(),
                 QStringLiteral("28 decembrie 2026 – 3 ianuarie 2027"));
        QCOMPARE(w.Cell(0, kLunch)->count(), 0);
        Click(w, 3001);
        Click(w, 3001);
        QCOMPARE(w.Monday(), kMonday);
        Click(w, 3006);
        QCOMPARE(w.Monday(), ui::MondayOf(QDate::currentDate()));
        // A day typed into the date box shows its week: the day part stepped up by a week.
        auto* chooser = w.findChild<QDateEdit*>(QStringLiteral("weekChooser"));
        w.ShowWeek(kMonday);
        chooser->setFocus();
        chooser->setCurrentSection(QDateTimeEdit::DaySection);
        for (int i = 0; i < 7; ++i)
            QTest::keyClick(chooser, Qt::Key_Up);
        QCOMPARE(w.Monday(), QDate(2026, 12, 21));
        QCOMPARE(w.Cell(0, kLunch)->count(), 1);
        QVERIFY(log.records.empty());
    }

    // The household of three, two with goals: set in its dialog by keys, kept in the plan,
    // shown beside every day's figure; the figure is per person whatever their number.
    void householdOfThreeWithGoals() {
        MessageLog log;
        ModalScript script;
        AddToPlan({0, {D(2026, 12, 14), Meal::Lunch}, "RET001.TXT", "Ciorba", 8, {}});
        CPlanDlg w(m_session);
        w.ShowWeek(kMonday);
        w.show();
        const QString before = w.DayCalories(0)->text();
        script.Push([&](QDialog& d) {
            auto& h = static_cast<ui::CHouseholdDlg&>(d);
            d.show();
            if (!QTest::qWaitForWindowExposed(&d))
                return -1;
            QTest::keyClick(h.People(), Qt::Key_Up);
            QTest::keyClick(h.People(), Qt::Key_Up);
            if (h.Table()->rowCount() != 3)
                return -1;
            // Goals typed: 2000 and 1800; the third keeps none.
            for (const auto& [row, goal] : {std::pair{0, "2000"}, std::pair{1, "1800"}}) {
                QSpinBox* box = h.Goal(row);
                box->setFocus();
                QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
                QTest::keyClicks(box, QString::fromLatin1(goal));
            }
            Click(d, 1);
            return d.result();
        });
        Click(w, 3005);
        QCOMPARE(script.opened, QStringList{"savorel::ui::CHouseholdDlg"});
        const Household household = LoadPlan().plan.household;
        QCOMPARE(household.people.size(), std::size_t{3});
        QCOMPARE(household.people[0].dailyGoal, 2000);
        QCOMPARE(household.people[1].dailyGoal, 1800);
        QCOMPARE(household.people[2].dailyGoal, 0);
        QCOMPARE(household.people[2].name, std::string("Persoana 3"));
        const QString gap(QChar(0x202F));
        QCOMPARE(w.DayCalories(0)->text(), before + QStringLiteral("\nținte 2") + gap +
                                               QStringLiteral("000 / 1") + gap +
                                               QStringLiteral("800 / —"));
        QVERIFY(w.WeekTotal()->text().endsWith(QStringLiteral("3 persoane")));

        // The dialog opens on what is kept; cancelled, it changes nothing.
        int people = 0, secondGoal = 0;
        script.Push([&](QDialog& d) {
            auto& h = static_cast<ui::CHouseholdDlg&>(d);
            people = h.People()->value();
            secondGoal = h.Goal(1)->value();
            QTest::keyClick(h.People(), Qt::Key_Down);
            return int(QDialog::Rejected);
        });
        Click(w, 3005);
        QCOMPARE(people, 3);
        QCOMPARE(secondGoal, 1800);
        QCOMPARE(LoadPlan().plan.household.people.size(), std::size_t{3});
        QVERIFY(log.records.empty());
    }

    // Another copy of the program adds to the plan: the window shows it on its next look.
    void followsOtherCopies() {
        MessageLog log;
        CPlanDlg w(m_session);
        w.ShowWeek(kMonday);
        w.show();
        QCOMPARE(w.Cell(2, kDinner)->count(), 0);
        AddToPlan({0, {D(2026, 12, 16), Meal::Dinner}, "RET001.TXT", "Ciorba", 8, {}});
        QTRY_COMPARE_WITH_TIMEOUT(w.Cell(2, kDinner)->count(), 1, 3000);
        QVERIFY(log.records.empty());
    }

private:
    Session m_session;
    std::unique_ptr<TempDataDir> m_dir;
};

QTEST_MAIN(PlanWindowTest)
#include "CPlanDlg_test.moc"
