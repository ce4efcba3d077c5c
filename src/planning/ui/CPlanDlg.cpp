#include "planning/ui/CPlanDlg.h"

#include "core/ui/qt_geometry.h"
#include "core/ui/qt_messages.h"
#include "core/ui/qt_window_frame.h"
#include "planning/ui/CAddToPlanDlg.h"
#include "planning/ui/CHouseholdDlg.h"
#include "planning/ui/CShoppingListDlg.h"
#include "planning/ui/qt_plan_cell.h"
#include "planning/ui/qt_plan_text.h"

#include <QDateEdit>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QStandardPaths>

#include <memory>

namespace savorel::ui {

namespace {

constexpr int kStaticId = 65535;
constexpr int kWatchMilliseconds = 1000;
// Dialog units: the day names, then the four meals, then the calories.
constexpr int kDayX = 6, kDayWidth = 62;
constexpr int kCellX = 72, kCellStep = 102, kCellWidth = 98;
constexpr int kKcalX = 72 + 4 * 102, kKcalWidth = 70;
constexpr int kRowY = 38, kRowStep = 37, kRowHeight = 35;
constexpr int kWindowWidth = kKcalX + kKcalWidth + 6;
constexpr int kBottomY = kRowY + 7 * kRowStep;

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int x, int y, int w,
                  int h) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    Place(label, kStaticId, x, y, w, h);
    return label;
}

QString GoalsText(const std::vector<ShownPerson>& people) {
    QStringList goals;
    bool any = false;
    for (const ShownPerson& person : people) {
        goals << (person.goal ? KcalText(*person.goal) : QStringLiteral("—"));
        any = any || person.goal.has_value();
    }
    if (!any)
        return {};
    return (people.size() == 1 ? QStringLiteral("țintă ") : QStringLiteral("ținte ")) +
           goals.join(QStringLiteral(" / "));
}

} // namespace

CPlanDlg::CPlanDlg(Session& session, QWidget* parent) : QDialog(parent), m_session(session) {
    setObjectName(QStringLiteral("plan"));
    setWindowTitle(QStringLiteral("Planul săptămânii"));
    // A window of its own beside the main one: recipes are dragged onto it from there.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    resize(DluX(kWindowWidth), DluY(kBottomY + 40));

    QPushButton* previous =
        MakeButton(this, 3001, "previousWeek", QStringLiteral("◀ Săptămâna trecută"), 6, 6, 84, 15);
    m_weekChooser = new QDateEdit(this);
    m_weekChooser->setObjectName(QStringLiteral("weekChooser"));
    m_weekChooser->setLocale(PlanLocale());
    m_weekChooser->setCalendarPopup(true);
    m_weekChooser->setDisplayFormat(QStringLiteral("d MMMM yyyy"));
    m_weekChooser->setToolTip(QStringLiteral("Alegeți o zi: se arată săptămâna ei"));
    Place(m_weekChooser, 3002, 94, 6, 96, 15);
    QPushButton* next =
        MakeButton(this, 3003, "nextWeek", QStringLiteral("Săptămâna viitoare ▶"), 194, 6, 84, 15);
    QPushButton* today =
        MakeButton(this, 3006, "thisWeek", QStringLiteral("Săptămâna aceasta"), 282, 6, 76, 15);
    QPushButton* household = MakeButton(this, 3005, "household", QStringLiteral("Gospodăria…"),
                                        kWindowWidth - 82, 6, 76, 15);
    m_heading = MakeLabel(this, "weekHeading", QString(), 362, 6, kWindowWidth - 450, 15);
    m_heading->setAlignment(Qt::AlignCenter);
    QFont bold = m_heading->font();
    bold.setBold(true);
    m_heading->setFont(bold);

    std::vector<QLabel*> mealHeads;
    for (int meal = 0; meal < kMealCount; ++meal) {
        QLabel* head = MakeLabel(this, "mealHeading", MealName(meal), kCellX + meal * kCellStep, 26,
                                 kCellWidth, 10);
        head->setAlignment(Qt::AlignCenter);
        head->setFont(bold);
        mealHeads.push_back(head);
    }
    QLabel* kcalHead = MakeLabel(this, "kcalHeading", QStringLiteral("kcal / persoană"), kKcalX, 26,
                                 kKcalWidth, 10);
    kcalHead->setFont(bold);

    for (int day = 0; day < 7; ++day) {
        const int y = kRowY + day * kRowStep;
        m_dayLabels[static_cast<std::size_t>(day)] =
            MakeLabel(this, "dayHeading", QString(), kDayX, y, kDayWidth, kRowHeight);
        m_dayLabels[static_cast<std::size_t>(day)]->setWordWrap(true);
        for (int meal = 0; meal < kMealCount; ++meal) {
            auto* cell = new PlanCell(day, meal, this);
            cell->setObjectName(QStringLiteral("cell%1%2").arg(day).arg(meal));
            Place(cell, 3100 + day * 10 + meal, kCellX + meal * kCellStep, y, kCellWidth,
                  kRowHeight);
            cell->setContextMenuPolicy(Qt::CustomContextMenu);
            connect(cell, &QWidget::customContextMenuRequested, this,
                    [this, cell](const QPoint& at) { OnCellMenu(*cell, at); });
            cell->onRecipeDropped = [this](PlanCell& c, const RecipeRef& r) {
                OnRecipeDropped(c, r);
            };
            cell->onEntryDropped = [this](PlanCell& c, qulonglong key) { OnEntryDropped(c, key); };
            cell->onDeleteKey = [this](PlanCell&, qulonglong key) { OnRemove(key); };
            cell->onOpenEntry = [this](PlanCell&, qulonglong key) { OnOpen(key); };
            m_cells[static_cast<std::size_t>(day)][static_cast<std::size_t>(meal)] = cell;
        }
        QLabel* kcal = MakeLabel(this, "dayCalories", QString(), kKcalX, y, kKcalWidth, kRowHeight);
        kcal->setWordWrap(true);
        kcal->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        m_dayKcal[static_cast<std::size_t>(day)] = kcal;
    }
    m_total = MakeLabel(this, "weekTotal", QString(), kDayX, kBottomY + 2, 260, 12);
    m_total->setFont(bold);
    QLabel* legend = MakeLabel(this, "legend",
                               QStringLiteral("≈ calorii socotite doar în parte. Trageți aici "
                                              "rețete din listele ferestrei principale."),
                               kDayX, kBottomY + 15, kWindowWidth - 268, 20);
    legend->setWordWrap(true);
    legend->setEnabled(false);
    QPushButton* shopping =
        MakeButton(this, 3010, "shoppingList", QStringLiteral("Lista de cumpărături…"),
                   kWindowWidth - 256, kBottomY + 18, 90, 16);
    QPushButton* calendar =
        MakeButton(this, 3011, "exportCalendar", QStringLiteral("Exportă iCalendar…"),
                   kWindowWidth - 162, kBottomY + 18, 78, 16);
    QPushButton* close = MakeButton(this, 1, "close", QStringLiteral("Închide"), kWindowWidth - 80,
                                    kBottomY + 18, 74, 16);

    // Tab: the week's controls, then the cells day by day, then the buttons.
    QWidget* chain[] = {previous, m_weekChooser, next, today, household};
    for (std::size_t i = 1; i < std::size(chain); ++i)
        setTabOrder(chain[i - 1], chain[i]);
    QWidget* last = household;
    for (const auto& row : m_cells)
        for (PlanCell* cell : row) {
            setTabOrder(last, cell);
            last = cell;
        }
    setTabOrder(last, shopping);
    setTabOrder(shopping, calendar);
    setTabOrder(calendar, close);

    // Grown, the cells share the room; the calories and the buttons keep to the right.
    m_frame = new WindowFrame(this, QStringLiteral("plan"), m_session);
    const double rowShare = 1.0 / 7, mealShare = 1.0 / kMealCount;
    for (int day = 0; day < 7; ++day) {
        const auto d = static_cast<std::size_t>(day);
        m_frame->Anchor(m_dayLabels[d], {0, day * rowShare, 0, rowShare});
        for (int meal = 0; meal < kMealCount; ++meal)
            m_frame->Anchor(m_cells[d][static_cast<std::size_t>(meal)],
                            {meal * mealShare, day * rowShare, mealShare, rowShare});
        m_frame->Anchor(m_dayKcal[d], {1, day * rowShare, 0, rowShare});
    }
    for (int meal = 0; meal < kMealCount; ++meal)
        m_frame->Anchor(mealHeads[static_cast<std::size_t>(meal)],
                        {meal * mealShare, 0, mealShare, 0});
    m_frame->Anchor(kcalHead, kStayTopRight);
    m_frame->Anchor(household, kStayTopRight);
    m_frame->Anchor(m_heading, {0, 0, 1, 0});
    m_frame->Anchor(m_total, kStayBottomLeft);
    m_frame->Anchor(legend, kStayBottomLeft);
    for (QWidget* button : {static_cast<QWidget*>(shopping), static_cast<QWidget*>(calendar),
                            static_cast<QWidget*>(close)})
        m_frame->Anchor(button, kStayBottomRight);

    connect(previous, &QPushButton::clicked, this, &CPlanDlg::OnPreviousWeek);
    connect(next, &QPushButton::clicked, this, &CPlanDlg::OnNextWeek);
    connect(today, &QPushButton::clicked, this, &CPlanDlg::OnThisWeek);
    connect(household, &QPushButton::clicked, this, &CPlanDlg::OnHousehold);
    connect(shopping, &QPushButton::clicked, this, &CPlanDlg::OnShoppingList);
    connect(calendar, &QPushButton::clicked, this, &CPlanDlg::OnExportCalendar);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_weekChooser, &QDateEdit::dateChanged, this, [this](QDate day) {
        if (MondayOf(day) != m_monday)
            ShowWeek(day);
    });
    connect(&m_watch, &QTimer::timeout, this, &CPlanDlg::OnPlanTimer);

    ShowWeek(QDate::currentDate());
}

void CPlanDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // What changed while it was hidden is shown at once; then it is watched again.
    OnPlanTimer();
    m_watch.start(kWatchMilliseconds);
}

PlanCell* CPlanDlg::Cell(int day, int meal) const {
    if (day < 0 || day >= 7 || meal < 0 || meal >= kMealCount)
        return nullptr;
    return m_cells[static_cast<std::size_t>(day)][static_cast<std::size_t>(meal)];
}

QLabel* CPlanDlg::DayCalories(int day) const {
    return day >= 0 && day < 7 ? m_dayKcal[static_cast<std::size_t>(day)] : nullptr;
}

void CPlanDlg::ShowWeek(QDate day) {
    m_monday = MondayOf(day.isValid() ? day : QDate::currentDate());
    {
        const QSignalBlocker quiet(m_weekChooser);
        m_weekChooser->setDate(m_monday);
    }
    Reload();
}

void CPlanDlg::OnPreviousWeek() {
    ShowWeek(m_monday.addDays(-7));
}

void CPlanDlg::OnNextWeek() {
    ShowWeek(m_monday.addDays(7));
}

void CPlanDlg::OnThisWeek() {
    ShowWeek(QDate::currentDate());
}

void CPlanDlg::Say(const QString& problem) {
    if (problem.isEmpty())
        return;
    m_busy = true;
    ShowMessage(this, problem);
    m_busy = false;
}

void CPlanDlg::Reload() {
    QString problem;
    m_stamp = PlanStamp();
    m_week = LoadWeek(m_monday, &problem);
    Fill();
    Say(problem);
}

void CPlanDlg::OnPlanTimer() {
    if (m_busy || PlanStamp() == m_stamp)
        return;
    Reload();
}

void CPlanDlg::Fill() {
    m_heading->setText(WeekHeading(m_monday));
    const QColor missing = palette().color(QPalette::Disabled, QPalette::Text);
    for (int day = 0; day < 7; ++day) {
        const auto d = static_cast<std::size_t>(day);
        const QDate date = m_monday.addDays(day);
        m_dayLabels[d]->setText(
            DayHeading(date).replace(QStringLiteral(", "), QStringLiteral("\n")));
        QFont font = m_dayLabels[d]->font();
        font.setBold(date == QDate::currentDate());
        m_dayLabels[d]->setFont(font);
        for (PlanCell* cell : m_cells[d]) {
            const QSignalBlocker quiet(cell);
            cell->clear();
        }
        const ShownDay& figures = m_week.days[d];
        QString kcal = figures.kcal > 0 || figures.partial
                           ? (figures.partial ? QStringLiteral("≈ ") : QString()) +
                                 KcalText(figures.kcal) + QStringLiteral(" kcal")
                           : QString();
        const QString goals = GoalsText(m_week.people);
        if (!kcal.isEmpty() && !goals.isEmpty())
            kcal += QLatin1Char('\n') + goals;
        m_dayKcal[d]->setText(kcal);
        m_dayKcal[d]->setToolTip(figures.partial
                                     ? QStringLiteral("Unele ingrediente nu au fost înțelese: "
                                                      "caloriile sunt socotite doar în parte.")
                                     : QString());
    }
    for (const ShownEntry& entry : m_week.entries) {
        PlanCell* cell = Cell(entry.day, entry.meal);
        if (!cell)
            continue;
        auto* item = new QListWidgetItem(entry.text);
        item->setData(kEntryKeyRole, entry.key);
        item->setData(kEntryMovableRole, !entry.leftover);
        item->setToolTip(entry.tooltip);
        if (entry.missing)
            item->setForeground(missing);
        if (entry.leftover) {
            QFont italic = item->font();
            italic.setItalic(true);
            item->setFont(italic);
        }
        const QSignalBlocker quiet(cell);
        cell->addItem(item);
    }
    m_total->setText(
        QStringLiteral("Săptămâna: ") + (m_week.partial ? QStringLiteral("≈ ") : QString()) +
        KcalText(m_week.total) + QStringLiteral(" kcal de persoană, ") +
        (m_week.people.size() == 1 ? QStringLiteral("1 persoană")
                                   : QStringLiteral("%1 persoane").arg(m_week.people.size())));
}

const ShownEntry* CPlanDlg::EntryOf(qulonglong key) const {
    for (const ShownEntry& entry : m_week.entries)
        if (entry.key == key && !entry.leftover)
            return &entry;
    for (const ShownEntry& entry : m_week.entries)
        if (entry.key == key)
            return &entry;
    return nullptr;
}

// A recipe dropped from a list: the dialog proposes the cell it fell on.
void CPlanDlg::OnRecipeDropped(PlanCell& cell, const RecipeRef& recipe) {
    PlanChoice proposal = ProposalFor(recipe);
    proposal.day = m_monday.addDays(cell.Day());
    proposal.meal = cell.Meal();
    m_busy = true;
    (void)AddRecipeToPlan(this, m_session, recipe, proposal);
    m_busy = false;
    Reload();
}

void CPlanDlg::OnEntryDropped(PlanCell& cell, qulonglong key) {
    Say(MoveInPlan(key, m_monday.addDays(cell.Day()), cell.Meal()));
    Reload();
}

void CPlanDlg::OnRemove(qulonglong key) {
    Say(RemoveFromPlan(key));
    Reload();
}

void CPlanDlg::OnMove(qulonglong key) {
    const ShownEntry* entry = EntryOf(key);
    const auto choice = ChoiceOfEntry(key);
    if (!entry || !choice)
        return;
    CAddToPlanDlg dialog(m_session, entry->text, *choice, this);
    dialog.setWindowTitle(QStringLiteral("Mută în plan"));
    dialog.Portions()->setEnabled(false);
    dialog.Meals()->setEnabled(false);
    m_busy = true;
    const int answer = RunModal(dialog);
    m_busy = false;
    if (answer != QDialog::Accepted)
        return;
    const PlanChoice to = dialog.Choice();
    Say(MoveInPlan(key, to.day, to.meal));
    Reload();
}

void CPlanDlg::OnOpen(qulonglong key) {
    const ShownEntry* entry = EntryOf(key);
    if (!entry || !openRecipe)
        return;
    if (entry->missing) {
        Say(QStringLiteral("Rețeta „%1” nu mai există; o puteți scoate din plan.")
                .arg(entry->text));
        return;
    }
    m_busy = true;
    openRecipe(this, entry->recipe.fileName);
    m_busy = false;
}

QMenu* CPlanDlg::EntryMenu(PlanCell& cell, qulonglong key) {
    auto* menu = new QMenu(&cell);
    menu->setObjectName(QStringLiteral("entryMenu"));
    const ShownEntry* entry = EntryOf(key);
    QAction* open = menu->addAction(QStringLiteral("Deschide rețeta"));
    open->setObjectName(QStringLiteral("open"));
    open->setEnabled(entry && !entry->missing && openRecipe);
    connect(open, &QAction::triggered, this, [this, key] { OnOpen(key); });
    QAction* move = menu->addAction(QStringLiteral("Mută…"));
    move->setObjectName(QStringLiteral("move"));
    connect(move, &QAction::triggered, this, [this, key] { OnMove(key); });
    QAction* remove = menu->addAction(QStringLiteral("Scoate din plan\tDelete"));
    remove->setObjectName(QStringLiteral("remove"));
    connect(remove, &QAction::triggered, this, [this, key] { OnRemove(key); });
    return menu;
}

void CPlanDlg::OnCellMenu(PlanCell& cell, const QPoint& at) {
    QListWidgetItem* item = cell.itemAt(at);
    if (!item)
        return;
    cell.setCurrentItem(item);
    std::unique_ptr<QMenu> menu(EntryMenu(cell, item->data(kEntryKeyRole).toULongLong()));
    m_busy = true;
    // The action runs once the menu has closed: it may open a dialog or refill the cells.
    QAction* chosen = menu->exec(cell.viewport()->mapToGlobal(at));
    m_busy = false;
    if (chosen)
        QMetaObject::invokeMethod(chosen, &QAction::trigger, Qt::QueuedConnection);
    menu.release()->deleteLater();
}

void CPlanDlg::OnHousehold() {
    CHouseholdDlg dialog(m_session, this);
    m_busy = true;
    const int answer = RunModal(dialog);
    m_busy = false;
    if (answer == QDialog::Accepted)
        Reload();
}

void CPlanDlg::OnShoppingList() {
    CShoppingListDlg dialog(m_session, this);
    dialog.SetWeek(m_monday);
    m_busy = true;
    RunModal(dialog);
    m_busy = false;
}

void CPlanDlg::OnExportCalendar() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QFileDialog chooser(
        this, QStringLiteral("Exportă planul ca iCalendar"),
        QDir(folder).filePath(QStringLiteral("plan-%1.ics").arg(m_monday.toString(Qt::ISODate))),
        QStringLiteral("iCalendar (*.ics)"));
    chooser.setAcceptMode(QFileDialog::AcceptSave);
    chooser.setDefaultSuffix(QStringLiteral("ics"));
    m_busy = true;
    const bool chosen =
        RunModal(chooser) == QDialog::Accepted && !chooser.selectedFiles().isEmpty();
    m_busy = false;
    if (!chosen)
        return;
    Say(ExportPlanCalendar(m_monday, chooser.selectedFiles().first()));
}

} // namespace savorel::ui
