#include "planning/ui/qt_shop_store.h"

#include "catalogue/page.h"
#include "catalogue/servings.h"
#include "core/files.h"
#include "core/ui/qt_text.h"
#include "planning/plan.h"
#include "planning/shopping.h"
#include "planning/ui/qt_plan_text.h"

#include <QFile>

namespace savorel::ui {

namespace {

const char* const kBusy = "Lista este folosită acum de altă copie a programului; încercați "
                          "din nou peste câteva clipe.";

QString ProblemOf(PlanStatus status, const std::string& message) {
    switch (status) {
    case PlanStatus::Ok:
    case PlanStatus::NotFound:
        return {};
    case PlanStatus::Busy:
        return QString::fromUtf8(kBusy);
    case PlanStatus::Damaged:
    case PlanStatus::NotWritten:
        break;
    }
    return message.empty() ? QStringLiteral("Lista de cumpărături nu a putut fi scrisă.")
                           : FromCp1250(message);
}

QString ProblemOf(const ShoppingStateResult& result) {
    return ProblemOf(result.status, result.message);
}

Date ToDate(QDate day) {
    return std::chrono::year{day.year()} / std::chrono::month{static_cast<unsigned>(day.month())} /
           std::chrono::day{static_cast<unsigned>(day.day())};
}

ShownShopLine Shown(const ShoppingLine& line) {
    ShownShopLine shown;
    shown.key = line.key;
    shown.food = FromCp1250(line.food);
    shown.amount = FromCp1250(AmountText(line));
    QStringList shares;
    for (const ShoppingShare& share : line.shares)
        shares << FromCp1250(AmountText(line.kind, line.unit, share.amount)) + QLatin1Char(' ') +
                      FromCp1250(share.title).trimmed();
    shown.recipes = shares.join(QStringLiteral(", "));
    shown.ticked = line.ticked;
    shown.atHome = line.atHome;
    shown.staple = line.staple;
    return shown;
}

QString WriteProblem(const QString& path, const WriteResult& written) {
    return QStringLiteral("Fișierul nu a putut fi scris:\n") + path + QStringLiteral(": ") +
           QString::fromLocal8Bit(WriteFailureText(written).c_str());
}

// The list the kept state names, and what reading the state said.
ShoppingList CurrentList(QString* problem) {
    const ShoppingStateResult state = LoadShoppingState();
    if (problem)
        *problem = ProblemOf(state);
    return BuildShoppingList(state.state.sources, state.state);
}

} // namespace

ShownShopList LoadShoppingList(QString* problem) {
    const ShoppingStateResult state = LoadShoppingState();
    if (problem)
        *problem = ProblemOf(state);
    const ShoppingList list = BuildShoppingList(state.state.sources, state.state);
    ShownShopList shown;
    const std::size_t recipes = list.sources.size();
    shown.source = recipes == 0 ? QStringLiteral("Lista de cumpărături este goală")
                   : recipes == 1
                       ? QStringLiteral("Lista de cumpărături pentru o rețetă")
                       : QStringLiteral("Lista de cumpărături pentru %1 rețete").arg(recipes);
    QStringList detail;
    for (const ShoppingSource& source : list.sources)
        detail << FromCp1250(source.title).trimmed() +
                      (source.portions > 0 ? QStringLiteral(" (%1 p.)").arg(source.portions)
                                           : QString());
    shown.sourceDetail = detail.join(QLatin1Char('\n'));
    for (int s = 0; s < kSectionCount; ++s) {
        const auto& lines = list.sections[static_cast<std::size_t>(s)];
        if (lines.empty())
            continue;
        ShownShopSection section{FromCp1250(SectionName(static_cast<ShopSection>(s))), {}};
        for (const ShoppingLine& line : lines)
            section.lines.push_back(Shown(line));
        shown.lineCount += static_cast<int>(section.lines.size());
        shown.sections.push_back(std::move(section));
    }
    for (const UnmergedRecipe& recipe : list.unmerged) {
        ShownShopSection section{
            QStringLiteral("Cum scrie în „%1”").arg(FromCp1250(recipe.title).trimmed()), {}};
        for (const UnmergedItem& item : recipe.items) {
            ShownShopLine line;
            line.key = "as-written:" + recipe.recipeFile + ":" + item.text;
            line.food = FromCp1250(item.text).trimmed();
            line.recipes = FromCp1250(recipe.title).trimmed();
            line.asWritten = true;
            section.lines.push_back(line);
        }
        shown.lineCount += static_cast<int>(section.lines.size());
        if (!section.lines.empty())
            shown.sections.push_back(std::move(section));
    }
    if (!list.atHome.empty()) {
        ShownShopSection section{QStringLiteral("Am acasă (sare, piper, apă și ce ați marcat)"),
                                 {}};
        for (const ShoppingLine& line : list.atHome)
            section.lines.push_back(Shown(line));
        shown.lineCount += static_cast<int>(section.lines.size());
        shown.sections.push_back(std::move(section));
    }
    if (!list.missing.empty()) {
        ShownShopSection section{QStringLiteral("Rețete care lipsesc (nimic din ele nu e listat)"),
                                 {}};
        for (const ShoppingSource& source : list.missing) {
            ShownShopLine line;
            line.key = "missing:" + source.recipeFile;
            line.food = FromCp1250(source.title).trimmed() + QStringLiteral(" (lipsește)");
            line.asWritten = true;
            section.lines.push_back(line);
        }
        shown.sections.push_back(std::move(section));
    }
    shown.text = FromCp1250(ShoppingListText(list));
    return shown;
}

QString MakeListFromWeek(QDate monday) {
    const PlanResult plan = LoadPlan();
    if (plan.status != PlanStatus::Ok)
        return ProblemOf(plan.status, plan.message);
    return ProblemOf(SetShoppingSources(SourcesOfWeek(plan.plan, ToDate(MondayOf(monday)))));
}

// The same recipe added again adds its portions; one whose servings are unknown stays apart.
QString AddRecipeToList(const RecipeRef& recipe, int portions) {
    if (portions <= 0) {
        std::string text;
        if (ReadRecipeText(recipe.fileName, text))
            portions = ServingsOfRecipe(text).value_or(0);
    }
    return ProblemOf(ChangeShoppingState([&](ShoppingState& state) {
        for (ShoppingSource& source : state.sources)
            if (source.recipeFile == recipe.fileName && source.portions > 0 && portions > 0) {
                source.portions = std::min(source.portions + portions, 999);
                return;
            }
        state.sources.push_back({recipe.fileName, recipe.title, portions});
    }));
}

QString SetLineTicked(const std::string& key, bool ticked) {
    return ProblemOf(SetTicked(key, ticked));
}

QString SetLineAtHome(const std::string& key, bool atHome) {
    return ProblemOf(SetAtHome(key, atHome));
}

QString ClearShoppingList() {
    return ProblemOf(savorel::ClearShoppingList());
}

QString ExportShoppingText(const QString& path) {
    QString problem;
    const ShoppingList list = CurrentList(&problem);
    if (!problem.isEmpty())
        return problem;
    // Phones and mail read UTF-8.
    const QByteArray text = FromCp1250(ShoppingListText(list)).toUtf8();
    if (const WriteResult written = WriteUserFile(
            QFile::encodeName(path).toStdString(),
            std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
        !written)
        return WriteProblem(path, written);
    return {};
}

QString ExportShoppingCalendar(const QString& path) {
    QString problem;
    const ShoppingList list = CurrentList(&problem);
    if (!problem.isEmpty())
        return problem;
    const std::string text = ShoppingICalendar(list, std::chrono::system_clock::now());
    if (const WriteResult written = WriteUserFile(QFile::encodeName(path).toStdString(), text);
        !written)
        return WriteProblem(path, written);
    return {};
}

} // namespace savorel::ui
