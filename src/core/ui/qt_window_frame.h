#pragma once

// Windows laid out at their design size that the user may still enlarge: the design
// size is the smallest, children follow the edges they sit by, and the size and place of each
// window are remembered between runs.
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>

#include "core/session.h"

#include <vector>

class QWidget;

namespace savorel::ui {

// How much of the window's growth beyond its design size goes to a child's position and
// size, per axis: {0,0,0,0} stays by the top left corner, {1,1,0,0} by the bottom right,
// {0,0,1,1} grows with the window; fractions share the growth between neighbours.
struct Follow {
    double x = 0, y = 0, width = 0, height = 0;
};
inline constexpr Follow kStayTopLeft{0, 0, 0, 0};
inline constexpr Follow kStayTopRight{1, 0, 0, 0};
inline constexpr Follow kStayBottomLeft{0, 1, 0, 0};
inline constexpr Follow kStayBottomRight{1, 1, 0, 0};
inline constexpr Follow kGrow{0, 0, 1, 1};

class WindowFrame final : public QObject {
public:
    // Takes the window's present size as its design size (its minimum from now on) and
    // lets it be maximized (with a maximize button when it has a caption bar); `key` names
    // its remembered place, kept where `session` says (Session::windowPlacesFile).
    WindowFrame(QWidget* window, const QString& key, const Session& session);

    // The child's present geometry is where it stands at the design size.
    void Anchor(QWidget* child, Follow follow);
    // After the window placed an anchored child anew at design-size coordinates.
    void Rebase(QWidget* child);

    QSize DesignSize() const { return m_designSize; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Layout();
    // A restored size and place kept within the screens there are now (PlaceWithinScreens).
    void KeepOnScreen();

    struct Entry {
        QPointer<QWidget> child;
        QRect base;
        Follow follow;
    };
    QWidget* m_window;
    QString m_key;
    const Session& m_session;
    QSize m_designSize;
    std::vector<Entry> m_entries;
    bool m_restored = false;
};

} // namespace savorel::ui
