#include "core/ui/qt_messages.h"

#include "core/ui/qt_text.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

namespace savorel::ui {

namespace {

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
    box.adjustSize();
    box.move(BoxPlace(m.owner, box.size()));
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

QPoint BoxPlace(const QWidget* owner, QSize size) {
    const QWidget* over = owner ? owner->window() : nullptr;
    if (!over || !over->isVisible())
        over = QApplication::activeWindow();
    QRect area;
    if (over && over->isVisible()) {
        area = over->frameGeometry();
    } else {
        const QScreen* screen =
            owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
        area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    }
    return area.center() - QPoint(size.width() / 2, size.height() / 2);
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
    box.adjustSize();
    box.move(BoxPlace(owner, box.size()));
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

void WidgetReporter::Show(BoxForm form, std::string_view text) {
    ShowMessage(m_owner, form, FromCp1250(text));
}

void WidgetReporter::Beep() {
    QApplication::beep();
}

} // namespace savorel::ui
