#include "core/qt_dialogs.h"

#include "core/cp1250.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QImageReader>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QStringList>
#include <QVariant>

#include <cmath>

// The pictures live in a static library, whose resource registration the linker would drop.
static int RegisterResources() {
    Q_INIT_RESOURCE(resources);
    return 0;
}
static const int kResourcesRegistered = RegisterResources();

namespace savorel::ui {

namespace {

const char* const kControlId = "controlId";

void ShowForReal(const MessageRecord& m) {
    QMessageBox box(m.form == BoxForm::CaptionOnly ? nullptr : m.owner);
    box.setWindowTitle(m.caption);
    box.setText(m.text);
    box.setIcon(QMessageBox::NoIcon);
    box.setStandardButtons(QMessageBox::Ok);
    if (m.form == BoxForm::CaptionOnly)
        // The title carries the message; keep the box wide enough to read it whole.
        box.setStyleSheet(QStringLiteral("QLabel{min-width:%1px;}")
                              .arg(std::min(600, 60 + 7 * static_cast<int>(m.caption.size()))));
    box.exec();
}

MessageFunction& Messages() {
    static MessageFunction function = ShowForReal;
    return function;
}

ModalFunction& Modals() {
    static ModalFunction function = [](QDialog& dialog) { return dialog.exec(); };
    return function;
}

} // namespace

void ApplyApplicationLook() {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    QApplication::setFont(font);
}

QString ApplicationName() {
    const QString name = QCoreApplication::applicationName();
    if (!name.isEmpty())
        return name;
    return QFileInfo(QCoreApplication::applicationFilePath()).baseName();
}

void ShowMessage(QWidget* owner, BoxForm form, const QString& text) {
    if (form == BoxForm::CaptionOnly)
        Messages()({nullptr, form, text, QString()});
    else
        Messages()({owner, form, ApplicationName(), text});
}

void ShowMessageWithCaption(QWidget* owner, const QString& caption, const QString& text) {
    Messages()({owner, BoxForm::Owned, caption, text});
}
bool AskQuestion(QWidget* owner, const QString& text) {
    QMessageBox box(owner);
    box.setObjectName(QStringLiteral("question"));
    box.setWindowTitle(ApplicationName());
    box.setText(text);
    box.setIcon(QMessageBox::NoIcon);
    QPushButton* yes = box.addButton(QStringLiteral("Da"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("Nu"), QMessageBox::NoRole);
    yes->setObjectName(QStringLiteral("yes"));
    no->setObjectName(QStringLiteral("no"));
    box.setDefaultButton(no); // Enter alone never deletes anything
    box.setEscapeButton(no);
    RunModal(box);
    return box.clickedButton() == yes;
}

MessageFunction SetMessageFunction(MessageFunction function) {
    MessageFunction old = std::move(Messages());
    Messages() = function ? std::move(function) : MessageFunction(ShowForReal);
    return old;
}

int RunModal(QDialog& dialog) {
    return Modals()(dialog);
}

ModalFunction SetModalFunction(ModalFunction function) {
    ModalFunction old = std::move(Modals());
    if (function)
        Modals() = std::move(function);
    else
        Modals() = [](QDialog& dialog) { return dialog.exec(); };
    return old;
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

QString FromCp1250(std::string_view bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (const char c : bytes)
        text.append(QChar(static_cast<char16_t>(Cp1250ToUnicode(static_cast<unsigned char>(c)))));
    return text;
}

std::string ToCp1250(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (const char32_t ch : text.toStdU32String()) {
        const int b = UnicodeToCp1250(ch);
        bytes.push_back(b < 0 ? '?' : static_cast<char>(b));
    }
    return bytes;
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

void WidgetReporter::Show(BoxForm form, std::string_view text) {
    ShowMessage(m_owner, form, FromCp1250(text));
}

void WidgetReporter::Beep() {
    QApplication::beep();
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
