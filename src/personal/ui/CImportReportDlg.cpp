#include "personal/ui/CImportReportDlg.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace savorel::ui {

CImportReportDlg::CImportReportDlg(const QString& summary, const QStringList& lines,
                                   QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("importReport"));
    setWindowTitle(QStringLiteral("Raportul importului"));
    auto* layout = new QVBoxLayout(this);
    m_summary = new QLabel(summary, this);
    m_summary->setObjectName(QStringLiteral("importSummary"));
    m_summary->setWordWrap(true);
    layout->addWidget(m_summary);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("importLines"));
    // Uniform rows: a list of 100,000 lines opens at once.
    m_list->setUniformItemSizes(true);
    m_list->addItems(lines);
    layout->addWidget(m_list, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);

    // As wide as its lines ask, as tall as they need, within four fifths of the screen.
    const QScreen* screen =
        parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen();
    const QRect room = screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
    const int width =
        std::min(room.width() * 4 / 5, std::max(420, m_list->sizeHintForColumn(0) + 60));
    const int rows = std::max(1, static_cast<int>(lines.size()));
    const int height =
        std::min(room.height() * 4 / 5, 140 + rows * std::max(1, m_list->sizeHintForRow(0)));
    resize(width, height);
    setMaximumSize(room.size());
}

} // namespace savorel::ui
