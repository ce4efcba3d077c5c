#include "core/ui/qt_print.h"

#include "core/ui/qt_messages.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrinter>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cerrno>

namespace savorel::ui {

namespace {

// A PDF the printer finished: its header, and the end-of-file mark within its last bytes
// (a printer cut short by a full disk leaves a file without it).
bool IsCompletePdf(const std::string& bytes) {
    constexpr std::size_t kTail = 1024;
    const std::size_t from = bytes.size() > kTail ? bytes.size() - kTail : 0;
    return bytes.rfind("%PDF-", 0) == 0 && bytes.find("%%EOF", from) != std::string::npos;
}

} // namespace

WriteResult PrintIntoPdf(const std::function<void(QPrinter&)>& print, const QString& path) {
    WriteResult result;
    // The printer writes straight into the file it is given and says nothing of a full disk,
    // so it prints into a private folder; the user's file is written from there by the rule
    // of every output file (links followed, FIFOs written into, the old file kept until the
    // new one is whole).
    const QTemporaryDir folder;
    const QString printed = folder.filePath(QStringLiteral("page.pdf"));
    if (folder.isValid()) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printed);
        printer.setDocName(QFileInfo(path).completeBaseName());
        print(printer);
    }
    std::string bytes;
    if (!folder.isValid() || !ReadWholeFile(QFile::encodeName(printed).toStdString(), bytes)) {
        result.failure = WriteFailure::Temporary;
        result.error = errno;
        return result;
    }
    if (!IsCompletePdf(bytes)) {
        result.failure = WriteFailure::Write;
        result.error = EIO;
        return result;
    }
    return WriteUserFile(QFile::encodeName(path).toStdString(), bytes);
}

QString AskPdfFileNamed(QWidget* owner, const QString& title, const QString& fallback) {
    QString name = title.simplified();
    // A title is no path: a slash in it would name a folder.
    name.replace(QLatin1Char('/'), QLatin1Char('-'));
    if (name.isEmpty())
        name = fallback;
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::homePath();
    QFileDialog dialog(owner, QStringLiteral("Salveaza ca PDF"),
                       QDir(folder).filePath(name + QStringLiteral(".pdf")),
                       QStringLiteral("PDF (*.pdf)"));
    dialog.setObjectName(QStringLiteral("savePdf"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    if (RunModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

} // namespace savorel::ui
