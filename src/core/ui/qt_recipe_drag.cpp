#include "core/ui/qt_recipe_drag.h"

#include "core/ui/qt_text.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>

namespace savorel::ui {

namespace {

// Longer than any file name a data folder holds, shorter than anything that could hurt.
constexpr qsizetype kNameLimit = 255;
constexpr qsizetype kTitleLimit = 1000;

bool IsDataFileName(const std::string& name) {
    return !name.empty() && static_cast<qsizetype>(name.size()) <= kNameLimit &&
           name.find('/') == std::string::npos && name.find("..") == std::string::npos &&
           name.find('\n') == std::string::npos && name.find('\r') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

} // namespace

QMimeData* RecipeMimeData(const RecipeRef& recipe) {
    auto* data = new QMimeData;
    QByteArray bytes(recipe.fileName.data(), static_cast<qsizetype>(recipe.fileName.size()));
    bytes += '\n';
    bytes.append(recipe.title.data(), static_cast<qsizetype>(recipe.title.size()));
    data->setData(QString::fromLatin1(kRecipeMimeType), bytes);
    data->setText(FromCp1250(recipe.title));
    return data;
}

std::optional<RecipeRef> RecipeFromMime(const QMimeData* data) {
    if (!data || !data->hasFormat(QString::fromLatin1(kRecipeMimeType)))
        return std::nullopt;
    const QByteArray bytes = data->data(QString::fromLatin1(kRecipeMimeType));
    const qsizetype cut = bytes.indexOf('\n');
    if (cut < 0 || bytes.size() - cut - 1 > kTitleLimit)
        return std::nullopt;
    RecipeRef recipe{
        std::string(bytes.constData(), static_cast<std::size_t>(cut)),
        std::string(bytes.constData() + cut + 1, static_cast<std::size_t>(bytes.size() - cut - 1))};
    if (!IsDataFileName(recipe.fileName) || recipe.title.find('\n') != std::string::npos)
        return std::nullopt;
    return recipe;
}

RecipeDragSource::RecipeDragSource(QAbstractItemView* view, RecipeAt recipeAt)
    : QObject(view), m_view(view), m_viewport(view->viewport()), m_recipeAt(std::move(recipeAt)) {
    startDrag = [this](QMimeData* data) {
        auto* drag = new QDrag(m_view);
        drag->setMimeData(data);
        drag->exec(Qt::CopyAction);
    };
    m_viewport->installEventFilter(this);
}

std::optional<RecipeRef> RecipeDragSource::RecipeAtPoint(QPoint position) const {
    const QModelIndex index = m_view->indexAt(position);
    if (!index.isValid() || !(index.flags() & Qt::ItemIsEnabled))
        return std::nullopt;
    return m_recipeAt(index);
}

bool RecipeDragSource::eventFilter(QObject* watched, QEvent* event) {
    if (m_replaying || watched != m_viewport)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto* press = static_cast<QMouseEvent*>(event);
        const QPoint at = press->position().toPoint();
        if (press->button() != Qt::LeftButton || !RecipeAtPoint(at))
            return false;
        m_pressedAt = at;
        return true;
    }
    case QEvent::MouseMove: {
        const auto* move = static_cast<QMouseEvent*>(event);
        if (!m_pressedAt || !(move->buttons() & Qt::LeftButton))
            return false;
        if ((move->position().toPoint() - *m_pressedAt).manhattanLength() <
            QApplication::startDragDistance())
            return true;
        const auto recipe = RecipeAtPoint(*m_pressedAt);
        m_pressedAt.reset();
        if (recipe)
            startDrag(RecipeMimeData(*recipe));
        return true;
    }
    case QEvent::MouseButtonRelease: {
        const auto* release = static_cast<QMouseEvent*>(event);
        if (!m_pressedAt || release->button() != Qt::LeftButton)
            return false;
        // A click after all: the list gets the press it was not given, then this release.
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(*m_pressedAt),
                          m_view->viewport()->mapToGlobal(QPointF(*m_pressedAt)), Qt::LeftButton,
                          Qt::LeftButton, release->modifiers());
        m_pressedAt.reset();
        m_replaying = true;
        QApplication::sendEvent(m_view->viewport(), &press);
        m_replaying = false;
        return false;
    }
    default:
        return false;
    }
}

} // namespace savorel::ui
