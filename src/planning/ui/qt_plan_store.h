#pragma once

// The plan as the windows show it: the week's entries cell by cell, each day's calories per
// person, and the edits the windows make, each one read, changed and written under the store
// lock by the planning logic. Texts are ready for widgets; failures come back as the text of
// the box that says them.
#include "core/ui/qt_recipe_drag.h"
#include "planning/ui/CAddToPlanDlg.h"

#include <QDate>
#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace savorel::ui {

struct ShownEntry {
    qulonglong key = 0; // the entry in the plan (a leftover meal shares its cooking's key)
    int day = 0;        // 0 = Monday
    int meal = 0;
    RecipeRef recipe;
    QString text;    // what the cell shows
    QString tooltip; // what hovering says
    bool leftover = false;
    bool missing = false; // the recipe was deleted or cannot be read
    bool partial = false; // some of its ingredients the calculator did not understand
};

struct ShownDay {
    double kcal = 0;      // per person
    bool partial = false; // a recipe of the day counts only in part
};

struct ShownPerson {
    QString name;
    std::optional<int> goal; // daily kcal
};

struct ShownWeek {
    QDate monday;
    std::vector<ShownEntry> entries;
    std::array<ShownDay, 7> days{};
    double total = 0; // per person, the whole week
    bool partial = false;
    std::vector<ShownPerson> people;
};

// The week from `monday`; an unreadable or damaged plan file answers an empty week and the
// text of what happened in `problem` (a damaged file has been kept aside by then).
ShownWeek LoadWeek(QDate monday, QString* problem);

// Each answers the problem's text, or an empty one when the plan was changed.
QString AddToPlan(const RecipeRef& recipe, const PlanChoice& choice);
QString RemoveFromPlan(qulonglong key);
QString MoveInPlan(qulonglong key, QDate day, int meal);
// What an entry holds now, to propose it again when it moves.
std::optional<PlanChoice> ChoiceOfEntry(qulonglong key);

// The household: how many eat and their daily goals.
std::vector<ShownPerson> LoadHousehold(QString* problem);
QString SaveHousehold(const std::vector<ShownPerson>& people);

// A text that changes whenever the plan file does (another window, another copy): the
// plan window looks at it on its timer.
QString PlanStamp();

} // namespace savorel::ui

namespace savorel::ui {
// The week as an iCalendar file (one event per meal) at `path`; the problem's text or empty.
QString ExportPlanCalendar(QDate monday, const QString& path);
} // namespace savorel::ui
