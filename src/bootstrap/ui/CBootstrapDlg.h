#pragma once

#include "bootstrap/payload.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <string>

class QProgressBar;

namespace bootstrap {

// The bootstrap's one window: a progress bar with one step per extracted file; its OK and
// Cancel buttons exist but stay hidden. Its first paint sets the whole road going.
class CBootstrapDlg final : public QDialog, private ExtractionSink {
    Q_OBJECT

public:
    static constexpr int IDD = 102;
    static constexpr int kProgressId = 1000;
    static constexpr int kOkId = 1;
    static constexpr int kCancelId = 2;

    // `self` is the program file that carries the payload described by `table`.
    CBootstrapDlg(const PayloadTable& table, std::string self, QWidget* parent = nullptr);

    // Every message box of the bootstrap goes through one function: caption, then text.
    using MessageFunction =
        std::function<void(QWidget* owner, const QString& caption, const QString& text)>;
    // Replaces it (tests record instead of blocking); null restores the real box. Answers the
    // previous one.
    static MessageFunction SetMessageFunction(MessageFunction function);
    // The program file's base name: the caption of boxes that name none.
    static QString ApplicationName();

    bool ExtractionPending() const { return m_extractionPending; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool OnInitDialog();
    void OnPaint();
    // Chooses the folders, extracts, starts the installer and ends the window.
    void RunBootstrap();

    void Show(const Message& message) override;
    void BeginFiles(int count) override;
    void FileWritten() override;

    PayloadTable m_table;
    std::string m_self;
    QProgressBar* m_progress;
    bool m_extractionPending = true;
};

} // namespace bootstrap
