#pragma once

#include "core/session.h"
#include "planning/ui/qt_plan_store.h"

#include <QDate>
#include <QDialog>
#include <QTimer>

#include <array>
#include <functional>
#include <string>

class QDateEdit;
class QLabel;
class QMenu;

namespace savorel::ui {

class PlanCell;
class WindowFrame;

// "Planul săptămânii": the days of a week by meals, each cell the recipes planned for it;
// each day's calories per person beside the household's goals, and the week's total. The
// main window keeps one and shows it beside itself, so that recipes can be dragged onto it
// from the lists; closed, it keeps its week for the next time it is shown.
class CPlanDlg final : public QDialog {
    Q_OBJECT
public:
    explicit CPlanDlg(Session& session, QWidget* parent = nullptr);

    // How a planned recipe is opened (the main window's way); none leaves entries unopened.
    std::function<void(QWidget* owner, const std::string& fileName)> openRecipe;

    QDate Monday() const { return m_monday; }
    void ShowWeek(QDate day);
    PlanCell* Cell(int day, int meal) const;
    QLabel* DayCalories(int day) const;
    QLabel* WeekTotal() const { return m_total; }
    const ShownWeek& Shown() const { return m_week; }
    // The menu of an entry, built as a right click builds it (tests look into it).
    QMenu* EntryMenu(PlanCell& cell, qulonglong key);

public slots:
    void OnPreviousWeek();
    void OnNextWeek();
    void OnThisWeek();
    void OnHousehold();
    void OnShoppingList();
    void OnExportCalendar();
    // Shows the plan anew when the file changed (another window or copy of the program).
    void OnPlanTimer();
    void Reload();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Fill();
    void OnRecipeDropped(PlanCell& cell, const RecipeRef& recipe);
    void OnEntryDropped(PlanCell& cell, qulonglong key);
    void OnRemove(qulonglong key);
    void OnMove(qulonglong key);
    void OnOpen(qulonglong key);
    void OnCellMenu(PlanCell& cell, const QPoint& at);
    void Say(const QString& problem);
    const ShownEntry* EntryOf(qulonglong key) const;

    Session& m_session;
    QDate m_monday;
    ShownWeek m_week;
    QString m_stamp; // the plan file as last shown
    std::array<std::array<PlanCell*, 4>, 7> m_cells{};
    std::array<QLabel*, 7> m_dayLabels{};
    std::array<QLabel*, 7> m_dayKcal{};
    QDateEdit* m_weekChooser = nullptr;
    QLabel* m_heading = nullptr;
    QLabel* m_total = nullptr;
    QTimer m_watch;
    bool m_busy = false;            // a box or a modal run of this window is open
    WindowFrame* m_frame = nullptr; // sizes, anchors, remembered place
};

} // namespace savorel::ui
