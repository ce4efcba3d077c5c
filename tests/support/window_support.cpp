#include "support/window_support.h"
#include "core/ui/qt_geometry.h"

#include <QPushButton>
#include <QTest>
#include <QWidget>

namespace savorel::testing {

MessageLog::MessageLog() {
    m_previous = ui::SetMessageFunction(
        [this](const ui::MessageRecord& record) { records.push_back(record); });
}

MessageLog::~MessageLog() {
    ui::SetMessageFunction(std::move(m_previous));
}

QStringList MessageLog::Messages() const {
    QStringList list;
    for (const auto& r : records)
        list << (r.form == BoxForm::CaptionOnly ? r.caption : r.text);
    return list;
}

ModalScript::ModalScript() {
    m_previous = ui::SetModalFunction([this](QDialog& dialog) {
        opened << QString::fromLatin1(dialog.metaObject()->className());
        if (m_handlers.empty())
            return static_cast<int>(QDialog::Rejected);
        auto handler = std::move(m_handlers.front());
        m_handlers.pop_front();
        return handler(dialog);
    });
}

ModalScript::~ModalScript() {
    ui::SetModalFunction(std::move(m_previous));
}

QStringList Texts(const QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

void ClickRow(QListWidget* list, int row) {
    list->scrollToItem(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(row)).center());
}

void Click(QWidget& w, int id) {
    QTest::mouseClick(ui::FindControlAs<QPushButton>(&w, id), Qt::LeftButton);
}

void SaveWindowShot(QWidget& w, const char* name) {
    const QString dir = qEnvironmentVariable("SAVOREL_SHOTS");
    if (!dir.isEmpty())
        w.grab().save(dir + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png"));
}

void ModalScript::Push(std::function<int(QDialog&)> handler) {
    m_handlers.push_back(std::move(handler));
}

} // namespace savorel::testing
