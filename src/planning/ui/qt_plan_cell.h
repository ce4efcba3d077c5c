#pragma once

// One cell of the week plan (a day's meal): its entries, dragged to other cells, recipes
// dropped onto it from the lists, Delete to remove the chosen entry.
#include "core/ui/qt_recipe_drag.h"

#include <QListWidget>

#include <functional>
#include <optional>

namespace savorel::ui {

// The data kind of an entry dragged between cells: its key in the plan.
inline constexpr char kPlanEntryMimeType[] = "application/x-savorel-plan-entry";
// Where an entry keeps its key in the plan (a qulonglong) and whether it can be moved.
inline constexpr int kEntryKeyRole = Qt::UserRole + 1;
inline constexpr int kEntryMovableRole = Qt::UserRole + 2;

class PlanCell final : public QListWidget {
public:
    PlanCell(int day, int meal, QWidget* parent);

    int Day() const { return m_day; }
    int Meal() const { return m_meal; }
    // The key of the chosen entry, if one is chosen.
    std::optional<qulonglong> ChosenKey() const;

    // What a drop or a key press asks of the plan window.
    std::function<void(PlanCell&, const RecipeRef&)> onRecipeDropped;
    std::function<void(PlanCell&, qulonglong key)> onEntryDropped;
    std::function<void(PlanCell&, qulonglong key)> onDeleteKey;
    std::function<void(PlanCell&, qulonglong key)> onOpenEntry;

    // The key an entry drag carries; none for other data.
    static std::optional<qulonglong> EntryKeyFromMime(const QMimeData* data);

protected:
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QList<QListWidgetItem*>& items) const override;
    Qt::DropActions supportedDropActions() const override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool Accepts(const QMimeData* data) const;
    int m_day;
    int m_meal;
};

} // namespace savorel::ui
