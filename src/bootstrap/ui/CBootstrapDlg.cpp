#include "bootstrap/ui/CBootstrapDlg.h"

#include "bootstrap/launch.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QIcon>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVariant>

#include <cmath>
#include <cstdlib>

static void RegisterBootstrapResources() {
    Q_INIT_RESOURCE(bootstrap);
}

namespace bootstrap {

namespace {

// Dialog units of an 8-point sans font: x px = dlu * 1.5, y px = dlu * 1.625, rounded.
QRect DluRect(int x, int y, int width, int height) {
    const auto px = [](int dlu) { return static_cast<int>(std::lround(dlu * 1.5)); };
    const auto py = [](int dlu) { return static_cast<int>(std::lround(dlu * 1.625)); };
    return QRect(px(x), py(y), px(width), py(height));
}

void Place(QWidget* widget, int id, int x, int y, int width, int height) {
    widget->setGeometry(DluRect(x, y, width, height));
    widget->setProperty("controlId", id);
}

void ShowForReal(QWidget* owner, const QString& caption, const QString& text) {
    QMessageBox box(owner);
    box.setWindowTitle(caption);
    box.setText(text);
    box.setIcon(QMessageBox::NoIcon);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

CBootstrapDlg::MessageFunction& Messages() {
    static CBootstrapDlg::MessageFunction function = ShowForReal;
    return function;
}

QString FromLocal(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

CBootstrapDlg::CBootstrapDlg(const PayloadTable& table, std::string self, QWidget* parent)
    : QDialog(parent), m_table(table), m_self(std::move(self)), m_progress(new QProgressBar(this)) {
    RegisterBootstrapResources();
    setWindowTitle(QStringLiteral("Instaleaza Savorel"));
    setFixedSize(DluRect(0, 0, 290, 42).size());

    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setTextVisible(false);
    Place(m_progress, kProgressId, 8, 13, 273, 16);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    Place(ok, kOkId, 176, 29, 50, 14);
    ok->hide();
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    Place(cancel, kCancelId, 240, 29, 50, 14);
    cancel->hide();
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    OnInitDialog();
}

CBootstrapDlg::MessageFunction CBootstrapDlg::SetMessageFunction(MessageFunction function) {
    MessageFunction old = std::move(Messages());
    Messages() = function ? std::move(function) : MessageFunction(ShowForReal);
    return old;
}

QString CBootstrapDlg::ApplicationName() {
    return QFileInfo(QCoreApplication::applicationFilePath()).fileName();
}

bool CBootstrapDlg::OnInitDialog() {
    setWindowIcon(QIcon(QStringLiteral(":/bootstrap/icon128.svg")));
    return false;
}

void CBootstrapDlg::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    OnPaint();
}

void CBootstrapDlg::OnPaint() {
    if (!m_extractionPending)
        return;
    m_extractionPending = false;
    // Right after the first paint rather than inside it: the progress bar repaints itself
    // after every file, which a widget cannot do while its parent is painting.
    QTimer::singleShot(0, this, &CBootstrapDlg::RunBootstrap);
}

void CBootstrapDlg::RunBootstrap() {
    bootstrap::RunBootstrap(
        m_table, [](const char* name) { return static_cast<const char*>(std::getenv(name)); },
        m_self, *this);
    done(QDialog::Accepted);
}

void CBootstrapDlg::Show(const Message& message) {
    Messages()(this, message.caption ? FromLocal(*message.caption) : ApplicationName(),
               FromLocal(message.text));
}

void CBootstrapDlg::BeginFiles(int count) {
    m_progress->setRange(0, count);
    m_progress->setValue(0);
}

void CBootstrapDlg::FileWritten() {
    m_progress->setValue(m_progress->value() + 1);
    // The event loop does not run during the extraction: paint the step now.
    m_progress->repaint();
}

} // namespace bootstrap
