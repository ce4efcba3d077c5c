#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class QListWidget;
class QLabel;

namespace savorel::ui {

// The report of an import: a scrollable list, one line per recipe (its notes indented on the
// lines after it), the counts above it, never taller or wider than the screen it opens on.
class CImportReportDlg final : public QDialog {
    Q_OBJECT
public:
    CImportReportDlg(const QString& summary, const QStringList& lines, QWidget* parent = nullptr);

    QListWidget* List() const { return m_list; }
    QLabel* Summary() const { return m_summary; }

private:
    QListWidget* m_list;
    QLabel* m_summary;
};

} // namespace savorel::ui
