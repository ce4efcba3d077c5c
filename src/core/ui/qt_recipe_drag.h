#pragma once

// Recipes dragged out of the lists that name them (main window, favourites, own recipes,
// search) and dropped onto the week plan. The data carries the recipe's file name and title;
// what a drop brings is outside data and is checked before it is believed.
#include <QObject>
#include <QPoint>
#include <QString>

#include <functional>
#include <optional>
#include <string>

class QAbstractItemView;
class QListWidgetItem;
class QMimeData;
class QModelIndex;

namespace savorel::ui {

// The data kind of a dragged recipe.
inline constexpr char kRecipeMimeType[] = "application/x-savorel-recipe";

// A recipe as the lists know it: its data file name and its title, Windows-1250 bytes.
struct RecipeRef {
    std::string fileName;
    std::string title;
    bool operator==(const RecipeRef&) const = default;
};

// The drag data for `recipe` (text/plain carries the title too, for other programs).
QMimeData* RecipeMimeData(const RecipeRef& recipe);
// The recipe a drop carries; none when it carries none or what it carries is no data-folder
// file name (a "/" or "..", an empty or overlong name, a line break).
std::optional<RecipeRef> RecipeFromMime(const QMimeData* data);

// Lets the user drag entries out of `view`. A press on an entry is held back until the mouse
// either moves by the drag distance (then the entry is dragged and never chosen) or is
// released (then the list gets the press and the release as they came, so a click chooses
// the entry as before). `recipeAt` answers the recipe of an entry, or none for entries that
// are no recipe.
class RecipeDragSource final : public QObject {
public:
    using RecipeAt = std::function<std::optional<RecipeRef>(const QModelIndex&)>;
    RecipeDragSource(QAbstractItemView* view, RecipeAt recipeAt);

    // The recipe a drag starting at `position` (viewport coordinates) would carry.
    std::optional<RecipeRef> RecipeAtPoint(QPoint position) const;
    // Starts the drag (tests replace it: a drag runs a loop of its own).
    std::function<void(QMimeData*)> startDrag;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAbstractItemView* m_view;
    // The view's viewport as it was given: while the view is being destroyed its viewport
    // still gets events, and the view may no longer be asked for it.
    QWidget* m_viewport;
    RecipeAt m_recipeAt;
    std::optional<QPoint> m_pressedAt; // a press held back, in viewport coordinates
    bool m_replaying = false;
};

} // namespace savorel::ui
