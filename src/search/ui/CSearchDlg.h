#pragma once

#include <QDialog>

#include "core/session.h"

class QPlainTextEdit;
class QProgressBar;

namespace savorel::ui {

class WindowFrame;

class SortedListBox;

// The ingredient search: allowed, forbidden and required keys, the passing recipes in a
// sorted list, each opened on selection.
class CSearchDlg final : public QDialog {
    Q_OBJECT
public:
    explicit CSearchDlg(Session& session, QWidget* parent = nullptr);

public slots:
    void OnStartSearch();
    void OnSelchangeResults();
    void OnHelp();

protected:
    // OnPaint: the backdrop behind the controls.
    void paintEvent(QPaintEvent* event) override;

private:
    void SetProgress(int position);

    QPlainTextEdit* m_allowed;
    QPlainTextEdit* m_forbidden;
    QPlainTextEdit* m_required;
    QProgressBar* m_progress;
    SortedListBox* m_results;
    WindowFrame* m_frame = nullptr; // sizes, anchors, remembered place
    Session& m_session;
};

} // namespace savorel::ui
