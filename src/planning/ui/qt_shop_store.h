#pragma once

// The shopping list as its window shows it: sections of lines, each saying how much and for
// which recipes, with the user's ticks and "am acasă" marks; and the edits the window makes,
// each through the planning logic under the store lock. Failures come back as box texts.
#include "core/ui/qt_recipe_drag.h"

#include <QDate>
#include <QString>

#include <optional>
#include <string>
#include <vector>

namespace savorel::ui {

struct ShownShopLine {
    std::string key; // what the ticks and marks are kept under
    QString food;
    QString amount;  // "600 g"; empty for a line kept as written
    QString recipes; // "Ciorbă de perișoare 150 g, Tocăniță 450 g"
    bool ticked = false;
    bool atHome = false;
    bool staple = false;    // salt, pepper, water: every kitchen has them
    bool asWritten = false; // the calculator could not merge it: listed under its recipe
};

struct ShownShopSection {
    QString name;
    std::vector<ShownShopLine> lines;
};

struct ShownShopList {
    QString source;       // what the list was made from, in words
    QString sourceDetail; // the recipes, one a line, with their portions
    std::vector<ShownShopSection> sections;
    int lineCount = 0;
    QString text; // the list as plain text, as copied and exported
};

// The list kept in the data folder: the plan's week it was made for, if any, and the recipes
// added to it one by one.
ShownShopList LoadShoppingList(QString* problem);
// Makes the list anew from the recipes cooked in the week of the plan from `monday` (the ticks
// and marks of lines still there stay).
QString MakeListFromWeek(QDate monday);
QString AddRecipeToList(const RecipeRef& recipe, int portions);
QString SetLineTicked(const std::string& key, bool ticked);
QString SetLineAtHome(const std::string& key, bool atHome);
QString ClearShoppingList();

// Written where the user said: plain text, and iCalendar to-dos.
QString ExportShoppingText(const QString& path);
QString ExportShoppingCalendar(const QString& path);

} // namespace savorel::ui
