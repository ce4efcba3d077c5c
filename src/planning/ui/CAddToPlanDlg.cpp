#include "planning/ui/CAddToPlanDlg.h"

#include "catalogue/page.h"
#include "catalogue/servings.h"
#include "core/ui/qt_geometry.h"
#include "core/ui/qt_messages.h"
#include "core/ui/qt_text.h"
#include "planning/ui/qt_plan_store.h"
#include "planning/ui/qt_plan_text.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

namespace savorel::ui {

namespace {

constexpr int kStaticId = 65535;
// Leftovers go on for at most a week of lunches.
constexpr int kMostMealsEaten = 7;

QLabel* MakeLabel(QWidget* parent, const QString& text, QWidget* buddy, int x, int y, int w) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    Place(label, kStaticId, x, y, w, 12);
    return label;
}

} // namespace

CAddToPlanDlg::CAddToPlanDlg(Session& session, const QString& title, const PlanChoice& proposal,
                             QWidget* parent)
    : QDialog(parent) {
    (void)session;
    setObjectName(QStringLiteral("addToPlan"));
    setWindowTitle(QStringLiteral("Adaugă în plan"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    resize(DluX(230), DluY(122));

    auto* name = new QLabel(title, this);
    name->setObjectName(QStringLiteral("recipeTitle"));
    name->setTextFormat(Qt::PlainText);
    name->setWordWrap(true);
    QFont bold = name->font();
    bold.setBold(true);
    name->setFont(bold);
    Place(name, 2000, 8, 6, 214, 22);

    m_day = new QDateEdit(this);
    m_day->setObjectName(QStringLiteral("day"));
    m_day->setLocale(PlanLocale());
    m_day->setCalendarPopup(true);
    // The day's number first: the arrow keys step the first part, and stepping the weekday's
    // name would stop at the week's end.
    m_day->setDisplayFormat(QStringLiteral("d MMMM yyyy, dddd"));
    Place(m_day, 2001, 92, 32, 130, 14);
    m_meal = new QComboBox(this);
    m_meal->setObjectName(QStringLiteral("meal"));
    for (int meal = 0; meal < kMealCount; ++meal)
        m_meal->addItem(MealName(meal));
    Place(m_meal, 2002, 92, 50, 130, 14);
    m_portions = new QSpinBox(this);
    m_portions->setObjectName(QStringLiteral("portions"));
    m_portions->setRange(kMinServings, kMaxServings);
    Place(m_portions, 2003, 92, 68, 50, 14);
    m_meals = new QSpinBox(this);
    m_meals->setObjectName(QStringLiteral("meals"));
    m_meals->setRange(1, kMostMealsEaten);
    Place(m_meals, 2004, 92, 86, 50, 14);
    MakeLabel(this, QStringLiteral("&Ziua"), m_day, 8, 33, 80);
    MakeLabel(this, QStringLiteral("&Masa"), m_meal, 8, 51, 80);
    MakeLabel(this, QStringLiteral("&Porții gătite"), m_portions, 8, 69, 80);
    MakeLabel(this, QStringLiteral("Mâncate la &câte mese"), m_meals, 8, 87, 80);

    QPushButton* add = MakeButton(this, 1, "add", QStringLiteral("Adaugă"), 118, 104, 50, 14);
    QPushButton* cancel =
        MakeButton(this, 2, "cancel", QStringLiteral("Renunță"), 172, 104, 50, 14);
    add->setDefault(true);
    connect(add, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    setTabOrder(m_day, m_meal);
    setTabOrder(m_meal, m_portions);
    setTabOrder(m_portions, m_meals);
    setTabOrder(m_meals, add);
    setTabOrder(add, cancel);
    setFixedSize(size());

    m_day->setDate(proposal.day.isValid() ? proposal.day : QDate::currentDate());
    m_meal->setCurrentIndex(std::clamp(proposal.meal, 0, kMealCount - 1));
    m_portions->setValue(proposal.portions);
    m_meals->setValue(proposal.meals);
    m_day->setFocus();
}

PlanChoice CAddToPlanDlg::Choice() const {
    m_portions->interpretText();
    m_meals->interpretText();
    return {m_day->date(), m_meal->currentIndex(), m_portions->value(), m_meals->value()};
}

PlanChoice ProposalFor(const RecipeRef& recipe, int servings) {
    PlanChoice choice;
    choice.day = QDate::currentDate();
    choice.meal = 1; // lunch: what a recipe book's recipes mostly are
    if (servings <= 0) {
        std::string text;
        if (ReadRecipeText(recipe.fileName, text))
            servings = ServingsOfRecipe(text).value_or(0);
    }
    choice.portions = servings > 0 ? servings : kMinServings;
    return choice;
}

} // namespace savorel::ui

namespace savorel::ui {

bool AddRecipeToPlan(QWidget* owner, Session& session, const RecipeRef& recipe,
                     const PlanChoice& proposal) {
    CAddToPlanDlg dialog(session, FromCp1250(recipe.title).trimmed(), proposal, owner);
    if (RunModal(dialog) != QDialog::Accepted)
        return false;
    const QString problem = AddToPlan(recipe, dialog.Choice());
    if (!problem.isEmpty()) {
        ShowMessage(owner, problem);
        return false;
    }
    return true;
}

} // namespace savorel::ui
