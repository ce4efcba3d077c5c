#include "planning/ui/qt_plan_offer.h"

#include "planning/ui/CAddToPlanDlg.h"

#include <QListWidget>
#include <QMenu>

#include <memory>

namespace savorel::ui {

QMenu* RecipeMenu(QListWidget* list, QWidget* owner, Session& session,
                  const RecipeOfRow& recipeOfRow, QPoint at) {
    const QListWidgetItem* item = list->itemAt(at);
    const auto recipe = item ? recipeOfRow(list->row(item)) : std::nullopt;
    if (!recipe)
        return nullptr;
    auto* menu = new QMenu(list);
    menu->setObjectName(QStringLiteral("recipeMenu"));
    QAction* add = menu->addAction(QStringLiteral("Adaugă în plan…"));
    add->setObjectName(QStringLiteral("addToPlan"));
    QObject::connect(add, &QAction::triggered, owner, [owner, &session, r = *recipe] {
        (void)AddRecipeToPlan(owner, session, r, ProposalFor(r));
    });
    return menu;
}

void OfferRecipesToPlan(QListWidget* list, QWidget* owner, Session& session,
                        RecipeOfRow recipeOfRow) {
    new RecipeDragSource(
        list, [recipeOfRow](const QModelIndex& index) { return recipeOfRow(index.row()); });
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(
        list, &QWidget::customContextMenuRequested, owner,
        [list, owner, &session, recipeOfRow](const QPoint& at) {
            std::unique_ptr<QMenu> menu(RecipeMenu(list, owner, session, recipeOfRow, at));
            if (!menu)
                return;
            // The dialog opens once the menu has closed.
            if (QAction* chosen = menu->exec(list->viewport()->mapToGlobal(at)))
                QMetaObject::invokeMethod(chosen, &QAction::trigger, Qt::QueuedConnection);
            menu.release()->deleteLater();
        });
}

} // namespace savorel::ui
