#pragma once

// Where controls go: dialog-unit geometry, control ids, fonts that fit, and the backdrop
// pictures windows are painted on.
#include <QPixmap>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

class QPainter;
class QPushButton;

namespace savorel::ui {

// The look every window is laid out for: an 8-point sans font, as dialog units assume.
void ApplyApplicationLook();

// Dialog units of an 8-point sans font: x px = dlu * 1.5, y px = dlu * 1.625, rounded.
int DluX(int dlu);
int DluY(int dlu);
QRect DluRect(int x, int y, int width, int height);
// Places a child widget at a rectangle given in dialog units and records its control id.
void Place(QWidget* widget, int id, int x, int y, int width, int height);
void SetControlId(QWidget* widget, int id);
// A push button placed in dialog units, never default by focus alone; its font gives way
// before its text would be cut.
QPushButton* MakeButton(QWidget* parent, int id, const char* name, const QString& text, int x,
                        int y, int width, int height);
int ControlId(const QWidget* widget);
// The descendant of `root` whose control id is `id`, or nullptr.
QWidget* FindControl(const QWidget* root, int id);
template <typename T> T* FindControlAs(const QWidget* root, int id) {
    return qobject_cast<T*>(FindControl(root, id));
}

// Steps the widget's font down until every line of `text` fits in `width` pixels: our sans
// font is wider than the one the dialog units were laid out for.
void FitFontToWidth(QWidget* widget, const QString& text, int width);

// Backdrops: a black fill, then the picture at the top left. At the window's design size
// it is never scaled; a window enlarged beyond it gets the picture enlarged by as much, drawn
// afresh from its resource, so that it still covers what it covered. Each window class keeps
// its own loaded picture, loaded on its first paint.
class Backdrop {
public:
    explicit Backdrop(QString resource) : m_resource(std::move(resource)) {}
    void Paint(QPainter& painter, QSize window, QSize design);

private:
    QString m_resource;
    QPixmap m_picture;
    QPixmap m_scaled; // the picture for the last enlarged size
    bool m_loaded = false;
};

} // namespace savorel::ui
