#pragma once

#include "core/session.h"
#include "core/ui/qt_recipe_drag.h"

#include <QDate>
#include <QDialog>

class QComboBox;
class QDateEdit;
class QLabel;
class QSpinBox;

namespace savorel::ui {

// What the user chose for a recipe going into the plan.
struct PlanChoice {
    QDate day;
    int meal = 0;     // index into the meals of a day (mic dejun, prânz, cină, gustare)
    int portions = 1; // portions cooked
    int meals = 1;    // meals they are eaten over
};

// "Adaugă în plan": the day, the meal, the portions cooked and over how many meals they are
// eaten. Also asks where an entry moves to ("Mută în plan").
class CAddToPlanDlg final : public QDialog {
    Q_OBJECT
public:
    CAddToPlanDlg(Session& session, const QString& title, const PlanChoice& proposal,
                  QWidget* parent = nullptr);

    PlanChoice Choice() const;

    QDateEdit* Day() const { return m_day; }
    QComboBox* Meal() const { return m_meal; }
    QSpinBox* Portions() const { return m_portions; }
    QSpinBox* Meals() const { return m_meals; }

private:
    QDateEdit* m_day;
    QComboBox* m_meal;
    QSpinBox* m_portions;
    QSpinBox* m_meals;
};

// The whole road from any window: asks (proposing `proposal`), then adds the recipe to the
// plan in the data folder, saying in a box what went wrong. True when it was added.
bool AddRecipeToPlan(QWidget* owner, Session& session, const RecipeRef& recipe,
                     const PlanChoice& proposal);
// The proposal for a recipe chosen in a list: today (or the next day's lunch), the recipe's own
// servings when it states them.
PlanChoice ProposalFor(const RecipeRef& recipe, int servings = 0);

} // namespace savorel::ui
