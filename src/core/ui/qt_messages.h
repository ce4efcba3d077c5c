#pragma once

// The one message-box function and the one modal-run function every window goes through;
// tests replace both.
#include "core/report.h"

#include <QPoint>
#include <QSize>
#include <QString>

#include <functional>
#include <string_view>

class QDialog;
class QWidget;

namespace savorel::ui {

// The program's name, the caption of owned message boxes ("cook", "bootstrap").
QString ApplicationName();

// Every message box goes through this one function. Owned: a box modal to `owner` with the
// program's name as caption and `text` as its text. CaptionOnly: a box owned by no window
// whose title is `text` and whose text is empty. OK button only, no icon.
void ShowMessage(QWidget* owner, BoxForm form, const QString& text);
inline void ShowMessage(QWidget* owner, const QString& text) {
    ShowMessage(owner, BoxForm::Owned, text);
}
// A box like ShowMessage's Owned form but with a caption of the caller's choosing.
void ShowMessageWithCaption(QWidget* owner, const QString& caption, const QString& text);

// A question with "Da" and "Nu", modal to `owner`, the program's name as caption: true for
// "Da". Run through RunModal, so a test answers it by driving the box it is handed.
bool AskQuestion(QWidget* owner, const QString& text);

// Where a box of `size` appears (its top left corner): centred over the window that owns it,
// over the window in use for a box owned by none, and centred on the screen while neither is
// shown (a message of a window still being built), never in a corner.
QPoint BoxPlace(const QWidget* owner, QSize size);

struct MessageRecord {
    QWidget* owner;
    BoxForm form;
    QString caption; // the caption actually shown
    QString text;    // the box's text (empty for CaptionOnly)
};
using MessageFunction = std::function<void(const MessageRecord&)>;
// Replaces the function that shows boxes (tests record instead of blocking); returns the old.
MessageFunction SetMessageFunction(MessageFunction function);

// Every modal run goes through this one function: answers what exec() would.
int RunModal(QDialog& dialog);
using ModalFunction = std::function<int(QDialog&)>;
ModalFunction SetModalFunction(ModalFunction function);

// A Reporter that shows through ShowMessage, owned by `owner`; Beep() is the simple beep.
class WidgetReporter final : public Reporter {
public:
    explicit WidgetReporter(QWidget* owner) : m_owner(owner) {}
    void Show(BoxForm form, std::string_view text) override;
    void Beep() override;

private:
    QWidget* m_owner;
};

} // namespace savorel::ui
