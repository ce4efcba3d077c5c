#include "core/ui/qt_window_frame.h"

#include "core/window_place.h"

#include <QEvent>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>

#include <cmath>
#include <memory>

namespace savorel::ui {

namespace {

std::unique_ptr<QSettings> Places(const Session& session) {
    const std::optional<std::string>& file = session.windowPlacesFile;
    if (!file)
        return nullptr;
    if (file->empty())
        return std::make_unique<QSettings>(QStringLiteral("Savorel"), QStringLiteral("cook"));
    return std::make_unique<QSettings>(QFile::decodeName(file->c_str()), QSettings::IniFormat);
}

int Share(double fraction, int growth) {
    return static_cast<int>(std::lround(fraction * growth));
}

} // namespace

WindowFrame::WindowFrame(QWidget* window, const QString& key, const Session& session)
    : QObject(window), m_window(window), m_key(key), m_session(session),
      m_designSize(window->size()) {
    window->setMinimumSize(m_designSize);
    window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    // A window without a caption bar keeps it that way (asking for a maximize button would
    // bring one); the window manager still maximizes it.
    if (window->windowFlags() & Qt::WindowTitleHint)
        window->setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    window->installEventFilter(this);
}

void WindowFrame::Anchor(QWidget* child, Follow follow) {
    m_entries.push_back({child, child->geometry(), follow});
    Layout();
}

void WindowFrame::Rebase(QWidget* child) {
    for (Entry& e : m_entries)
        if (e.child == child)
            e.base = child->geometry();
    Layout();
}

void WindowFrame::Layout() {
    const int dx = std::max(0, m_window->width() - m_designSize.width());
    const int dy = std::max(0, m_window->height() - m_designSize.height());
    for (const Entry& e : m_entries) {
        if (!e.child)
            continue;
        const int x = e.base.x() + Share(e.follow.x, dx);
        const int y = e.base.y() + Share(e.follow.y, dy);
        e.child->setGeometry(x, y, e.base.width() + Share(e.follow.width, dx),
                             e.base.height() + Share(e.follow.height, dy));
    }
}

void WindowFrame::KeepOnScreen() {
    // A maximized or full-screen window is the window manager's to place.
    if (m_window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return;
    std::vector<PlaceRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect area = screen->availableGeometry();
        screens.push_back({area.x(), area.y(), area.width(), area.height()});
    }
    if (screens.empty())
        return;
    // The whole window, caption bar and borders included, is kept on the screen.
    const QRect frame = m_window->frameGeometry();
    const QRect client = m_window->geometry();
    const int left = client.left() - frame.left(), right = frame.right() - client.right();
    const int top = client.top() - frame.top(), bottom = frame.bottom() - client.bottom();
    const PlaceRect placed = PlaceWithinScreens(
        {frame.x(), frame.y(), frame.width(), frame.height()}, screens,
        m_window->minimumWidth() + left + right, m_window->minimumHeight() + top + bottom);
    const QRect fitted(placed.x + left, placed.y + top, placed.width - left - right,
                       placed.height - top - bottom);
    if (fitted != client)
        m_window->setGeometry(fitted);
}

bool WindowFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_window)
        return false;
    switch (event->type()) {
    case QEvent::Resize:
        Layout();
        break;
    case QEvent::Show:
        if (!m_restored) {
            m_restored = true;
            if (auto places = Places(m_session))
                if (m_window->restoreGeometry(
                        places->value(m_key + QStringLiteral("/geometry")).toByteArray()))
                    KeepOnScreen();
        }
        break;
    case QEvent::Hide:
        if (auto places = Places(m_session))
            places->setValue(m_key + QStringLiteral("/geometry"), m_window->saveGeometry());
        break;
    default:
        break;
    }
    return false;
}

} // namespace savorel::ui
