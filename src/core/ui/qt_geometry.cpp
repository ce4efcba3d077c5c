#include "core/ui/qt_geometry.h"

#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPushButton>
#include <QStringList>
#include <QVariant>

#include <algorithm>
#include <cmath>

// The pictures live in a static library, whose resource registration the linker would drop.
// Every window places its controls through this file, so it is linked wherever they are drawn.
static int RegisterResources() {
    Q_INIT_RESOURCE(resources);
    return 0;
}
static const int kResourcesRegistered = RegisterResources();

namespace savorel::ui {

namespace {

const char* const kControlId = "controlId";

} // namespace

void ApplyApplicationLook() {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    QApplication::setFont(font);
}

int DluX(int dlu) {
    return static_cast<int>(std::lround(dlu * 1.5));
}
int DluY(int dlu) {
    return static_cast<int>(std::lround(dlu * 1.625));
}

QRect DluRect(int x, int y, int width, int height) {
    return QRect(DluX(x), DluY(y), DluX(width), DluY(height));
}

void SetControlId(QWidget* widget, int id) {
    widget->setProperty(kControlId, id);
}

int ControlId(const QWidget* widget) {
    const QVariant v = widget->property(kControlId);
    return v.isValid() ? v.toInt() : -1;
}

void Place(QWidget* widget, int id, int x, int y, int width, int height) {
    widget->setGeometry(DluRect(x, y, width, height));
    SetControlId(widget, id);
}

QPushButton* MakeButton(QWidget* parent, int id, const char* name, const QString& text, int x,
                        int y, int width, int height) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    Place(button, id, x, y, width, height);
    FitFontToWidth(button, text, button->width() - 12);
    return button;
}

QWidget* FindControl(const QWidget* root, int id) {
    for (QWidget* w : root->findChildren<QWidget*>())
        if (ControlId(w) == id)
            return w;
    return nullptr;
}

void FitFontToWidth(QWidget* widget, const QString& text, int width) {
    QFont font = widget->font();
    const QStringList lines = text.split(QLatin1Char('\n'));
    while (font.pointSizeF() > 6.0) {
        const QFontMetrics metrics(font);
        int widest = 0;
        for (const QString& line : lines)
            widest = std::max(widest, metrics.horizontalAdvance(line));
        if (widest <= width)
            break;
        font.setPointSizeF(font.pointSizeF() - 0.25);
    }
    widget->setFont(font);
}

void Backdrop::Paint(QPainter& painter, QSize window, QSize design) {
    if (!m_loaded) {
        m_picture.load(m_resource);
        m_loaded = true;
    }
    painter.fillRect(QRect(QPoint(0, 0), window.expandedTo(QSize(640, 480))), Qt::black);
    if (m_picture.isNull())
        return;
    const double factor = design.isEmpty()
                              ? 1.0
                              : std::max(1.0, std::max(double(window.width()) / design.width(),
                                                       double(window.height()) / design.height()));
    if (factor <= 1.0) {
        painter.drawPixmap(0, 0, m_picture);
        return;
    }
    const QSize wanted = (QSizeF(m_picture.size()) * factor).toSize();
    if (m_scaled.size() != wanted) {
        QImageReader reader(m_resource);
        reader.setScaledSize(wanted);
        const QImage image = reader.read();
        m_scaled = image.isNull()
                       ? m_picture.scaled(wanted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                       : QPixmap::fromImage(image);
    }
    painter.drawPixmap(0, 0, m_scaled);
}

} // namespace savorel::ui
