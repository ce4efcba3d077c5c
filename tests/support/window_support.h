#pragma once

#include "core/ui/qt_messages.h"

#include <QDialog>
#include <QListWidget>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <vector>

namespace savorel::testing {

// Records every message box instead of showing it, for the life of the object.
class MessageLog {
public:
    MessageLog();
    ~MessageLog();
    MessageLog(const MessageLog&) = delete;
    MessageLog& operator=(const MessageLog&) = delete;

    std::vector<ui::MessageRecord> records;
    // The text of each box, or its caption for caption-only boxes, in order.
    QStringList Messages() const;

private:
    ui::MessageFunction m_previous;
};

// Takes over modal runs: each run calls the next pushed handler with the dialog, which may
// inspect or drive it and answers what exec() would. With no handler left a run answers
// QDialog::Rejected without showing anything. Class names of every dialog run are kept.
class ModalScript {
public:
    ModalScript();
    ~ModalScript();
    ModalScript(const ModalScript&) = delete;
    ModalScript& operator=(const ModalScript&) = delete;

    void Push(std::function<int(QDialog&)> handler);
    QStringList opened;

private:
    std::deque<std::function<int(QDialog&)>> m_handlers;
    ui::ModalFunction m_previous;
};

// Every entry's text, in list order.
QStringList Texts(const QListWidget* list);
// A mouse click on a list entry, as a user chooses it.
void ClickRow(QListWidget* list, int row);
// Clicks the push button whose control id is `id`.
void Click(QWidget& w, int id);

// Pictures for a person to look at: with SAVOREL_SHOTS=DIR set, saves `w` as DIR/name.png
// (scripts/screenshots.sh sets it).
void SaveWindowShot(QWidget& w, const char* name);

} // namespace savorel::testing
