#include "planning/ui/qt_plan_store.h"

#include "core/files.h"
#include "core/ui/qt_text.h"
#include "planning/plan.h"
#include "planning/ui/qt_plan_text.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace savorel::ui {

namespace {

const char* const kBusy = "Planul este folosit acum de altă copie a programului; încercați "
                          "din nou peste câteva clipe.";
const char* const kGoneEntry = "Intrarea nu mai este în plan: a scos-o altă fereastră sau altă "
                               "copie a programului.";

Date ToDate(QDate day) {
    return std::chrono::year{day.year()} / std::chrono::month{static_cast<unsigned>(day.month())} /
           std::chrono::day{static_cast<unsigned>(day.day())};
}

QDate FromDate(Date day) {
    return {static_cast<int>(day.year()), static_cast<int>(static_cast<unsigned>(day.month())),
            static_cast<int>(static_cast<unsigned>(day.day()))};
}

Meal MealOf(int meal) {
    return kMeals[static_cast<std::size_t>(std::clamp(meal, 0, kMealCount - 1))];
}

// What a box says of a change that did not happen; empty when it did.
QString ProblemOf(const PlanResult& result) {
    switch (result.status) {
    case PlanStatus::Ok:
        return {};
    case PlanStatus::Busy:
        return QString::fromUtf8(kBusy);
    case PlanStatus::NotFound:
        return QString::fromUtf8(kGoneEntry);
    case PlanStatus::Damaged:
    case PlanStatus::NotWritten:
        break;
    }
    return result.message.empty() ? QStringLiteral("Planul nu a putut fi scris.")
                                  : FromCp1250(result.message);
}

QString PortionsText(int portions) {
    return portions == 1 ? QStringLiteral("1 porție") : QStringLiteral("%1 porții").arg(portions);
}

QString SlotText(const MealSlot& slot) {
    return DayHeading(FromDate(slot.day)) + QStringLiteral(", ") +
           MealName(static_cast<int>(slot.meal));
}

} // namespace

ShownWeek LoadWeek(QDate monday, QString* problem) {
    ShownWeek week;
    week.monday = MondayOf(monday);
    const PlanResult read = LoadPlan();
    if (problem)
        *problem = read.status == PlanStatus::Ok ? QString() : ProblemOf(read);
    const Plan& plan = read.plan;
    for (const Person& person : plan.household.people)
        week.people.push_back({FromCp1250(person.name), person.dailyGoal > 0
                                                            ? std::optional<int>(person.dailyGoal)
                                                            : std::nullopt});
    if (week.people.empty())
        week.people.push_back({QStringLiteral("Persoana 1"), std::nullopt});

    const Date first = ToDate(week.monday);
    CalorieCache cache;
    for (const PlanEntry* entry : EntriesEatenInWeek(plan, first)) {
        const RecipeCalories& kcal = cache.Of(entry->recipeFile, entry->portions);
        const QString title =
            FromCp1250(kcal.found && !kcal.title.empty() ? kcal.title : entry->title).trimmed();
        const std::vector<MealSlot> eaten = EatenAt(*entry);
        for (std::size_t i = 0; i < eaten.size(); ++i) {
            const QDate day = FromDate(eaten[i].day);
            const qint64 index = week.monday.daysTo(day);
            if (index < 0 || index > 6)
                continue;
            ShownEntry shown;
            shown.key = entry->id;
            shown.day = static_cast<int>(index);
            shown.meal = static_cast<int>(eaten[i].meal);
            shown.recipe = {entry->recipeFile, entry->title};
            shown.leftover = i > 0;
            shown.missing = !kcal.found;
            shown.partial = kcal.found && kcal.partial;
            QString text = shown.leftover ? QStringLiteral("↪ ") + title
                                          : title + QStringLiteral(" (%1 p.)").arg(entry->portions);
            if (shown.partial)
                text = QStringLiteral("≈ ") + text;
            if (shown.missing)
                text += QStringLiteral(" (lipsește)");
            shown.text = text;
            QString tip = title + QLatin1Char('\n');
            if (shown.leftover)
                tip += QStringLiteral("Rest de la %1.\n").arg(SlotText(entry->cooked));
            else
                tip += QStringLiteral("Gătită pentru %1, mâncată la %2.\n")
                           .arg(PortionsText(entry->portions))
                           .arg(eaten.size() == 1 ? QStringLiteral("o masă")
                                                  : QStringLiteral("%1 mese").arg(eaten.size()));
            if (shown.missing)
                tip += QStringLiteral("Rețeta nu mai există; o puteți scoate din plan.");
            else
                tip += QStringLiteral("%1 kcal de porție%2")
                           .arg(KcalText(kcal.perPortion))
                           .arg(shown.partial ? QStringLiteral(" (unele ingrediente nu au fost "
                                                               "înțelese)")
                                              : QString());
            shown.tooltip = tip;
            week.entries.push_back(shown);
        }
    }
    // Within a cell, what is cooked comes before what is left over.
    std::stable_sort(
        week.entries.begin(), week.entries.end(), [](const ShownEntry& a, const ShownEntry& b) {
            return std::tie(a.day, a.meal, a.leftover) < std::tie(b.day, b.meal, b.leftover);
        });

    const WeekCalories figures = CaloriesOfWeek(plan, first, &cache);
    for (std::size_t d = 0; d < 7; ++d)
        week.days[d] = {figures.days[d].perPerson, figures.days[d].partial};
    week.total = figures.total;
    week.partial = figures.partial;
    return week;
}

QString AddToPlan(const RecipeRef& recipe, const PlanChoice& choice) {
    PlanEntry entry;
    entry.cooked = {ToDate(choice.day), MealOf(choice.meal)};
    entry.recipeFile = recipe.fileName;
    entry.title = recipe.title;
    entry.portions = std::clamp(choice.portions, 1, kPlanPortionsLimit);
    entry.leftovers = LeftoverLunches(entry.cooked, std::max(0, choice.meals - 1));
    return ProblemOf(savorel::AddToPlan(entry));
}

QString RemoveFromPlan(qulonglong key) {
    return ProblemOf(savorel::RemoveFromPlan(key));
}

QString MoveInPlan(qulonglong key, QDate day, int meal) {
    return ProblemOf(savorel::MoveInPlan(key, {ToDate(day), MealOf(meal)}));
}

std::optional<PlanChoice> ChoiceOfEntry(qulonglong key) {
    const PlanResult read = LoadPlan();
    const PlanEntry* entry = FindEntry(read.plan, key);
    if (!entry)
        return std::nullopt;
    return PlanChoice{FromDate(entry->cooked.day), static_cast<int>(entry->cooked.meal),
                      entry->portions, static_cast<int>(entry->leftovers.size()) + 1};
}

std::vector<ShownPerson> LoadHousehold(QString* problem) {
    const PlanResult read = LoadPlan();
    if (problem)
        *problem = ProblemOf(read);
    std::vector<ShownPerson> people;
    for (const Person& person : read.plan.household.people)
        people.push_back({FromCp1250(person.name), person.dailyGoal > 0
                                                       ? std::optional<int>(person.dailyGoal)
                                                       : std::nullopt});
    return people;
}

QString SaveHousehold(const std::vector<ShownPerson>& people) {
    Household household;
    for (const ShownPerson& person : people)
        household.people.push_back(
            {ToCp1250(person.name), std::clamp(person.goal.value_or(0), 0, kPlanGoalLimit)});
    return ProblemOf(SetHousehold(household));
}

QString PlanStamp() {
    const QFileInfo file(QFile::decodeName(kPlanFile));
    if (!file.exists())
        return {};
    return QString::number(file.lastModified().toMSecsSinceEpoch()) + QLatin1Char(':') +
           QString::number(file.size());
}

QString ExportPlanCalendar(QDate monday, const QString& path) {
    const PlanResult read = LoadPlan();
    if (read.status != PlanStatus::Ok)
        return ProblemOf(read);
    const std::string text =
        PlanICalendar(read.plan, ToDate(MondayOf(monday)), std::chrono::system_clock::now());
    if (const WriteResult written = WriteUserFile(QFile::encodeName(path).toStdString(), text);
        !written)
        return QStringLiteral("Fișierul nu a putut fi scris:\n") + path + QStringLiteral(": ") +
               QString::fromLocal8Bit(WriteFailureText(written).c_str());
    return {};
}

} // namespace savorel::ui
