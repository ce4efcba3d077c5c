#pragma once

// What every window shares: the one message-box function, the one modal-run function,
// dialog-unit geometry, control ids, Windows-1250 text at the widget boundary, backdrops.
#include "core/report.h"

#include <QDialog>
#include <QPixmap>
#include <QRect>
#include <QString>

#include <functional>
#include <string>
#include <string_view>

class QPainter;
class QPushButton;
class QWidget;

namespace savorel::ui {

// The look every window is laid out for: an 8-point sans font, as dialog units assume.
void ApplyApplicationLook();

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

// Data files hold Windows-1250 bytes; widgets hold Unicode.
QString FromCp1250(std::string_view bytes);
std::string ToCp1250(const QString& text);

// A Reporter that shows through ShowMessage, owned by `owner`; Beep() is the simple beep.
class WidgetReporter final : public Reporter {
public:
    explicit WidgetReporter(QWidget* owner) : m_owner(owner) {}
    void Show(BoxForm form, std::string_view text) override;
    void Beep() override;

private:
    QWidget* m_owner;
};

// Backdrops: a black fill, then the picture at the top left. At the window's design size
// it is never scaled; a window enlarged beyond it gets the picture enlarged by as much, drawn
// afresh from its resource, so that it still covers what it covered. Each window class keeps
// its own loaded picture, loaded on its first paint.
class Backdrop {
public:
    explicit Backdrop(QString resource) : m_resource(std::move(resource)) {}
    void Paint(QPainter& painter, QSize window, QSize design);
    bool Loaded() const { return m_loaded; }

private:
    QString m_resource;
    QPixmap m_picture;
    QPixmap m_scaled; // the picture for the last enlarged size
    bool m_loaded = false;
};

} // namespace savorel::ui
