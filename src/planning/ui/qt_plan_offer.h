#pragma once

// What the lists that name recipes offer the week plan: their entries dragged onto it, and
// "Adaugă în plan…" in their menu.
#include "core/session.h"
#include "core/ui/qt_recipe_drag.h"

#include <functional>
#include <optional>

class QListWidget;
class QMenu;

namespace savorel::ui {

using RecipeOfRow = std::function<std::optional<RecipeRef>(int row)>;

// Makes `list`'s entries draggable and gives it a menu whose entry asks for the day and the
// meal; `owner` owns the boxes and dialogs.
void OfferRecipesToPlan(QListWidget* list, QWidget* owner, Session& session,
                        RecipeOfRow recipeOfRow);

// The menu an entry's right click shows; none for a place without a recipe.
QMenu* RecipeMenu(QListWidget* list, QWidget* owner, Session& session,
                  const RecipeOfRow& recipeOfRow, QPoint at);

} // namespace savorel::ui
