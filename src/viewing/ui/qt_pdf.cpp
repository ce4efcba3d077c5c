#include "viewing/ui/qt_pdf.h"

#include "catalogue/page.h"
#include "catalogue/servings.h"
#include "core/ui/qt_messages.h"
#include "viewing/ui/CWebBrowser.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrinter>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cerrno>
#include <cstdio>

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

WriteResult PrintToPdf(const CWebBrowser& browser, const QString& path) {
    WriteResult result;
    if (!browser.HasDocument()) {
        result.failure = WriteFailure::Write;
        return result;
    }
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
        browser.PrintTo(printer);
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

QString AskPdfFile(QWidget* owner, const QString& title) {
    QString name = title.simplified();
    // A title is no path: a slash in it would name a folder.
    name.replace(QLatin1Char('/'), QLatin1Char('-'));
    if (name.isEmpty())
        name = QStringLiteral("reteta");
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

int PrintRecipeFileToPdf(const std::string& recipe, const QString& path, int servings) {
    std::string text;
    if (!ReadRecipeText(recipe, text)) {
        std::fprintf(stderr, "cook --pdf: cannot read the recipe file %s\n", recipe.c_str());
        return 1;
    }
    if (servings != 0 && !ServingsOfRecipe(text)) {
        std::fprintf(stderr, "cook --pdf: %s states no servings, so it cannot be scaled\n",
                     recipe.c_str());
        return 2;
    }
    const std::string page = servings != 0 ? RenderServingsPage(recipe, text, servings)
                                           : RenderRecipePageText(recipe, text);
    CWebBrowser browser;
    // Pictures resolve against the data folder, as in the window.
    browser.ShowPage(page, QUrl::fromLocalFile(QDir::current().absoluteFilePath(
                               QString::fromLatin1(kRecipePageName))));
    if (const WriteResult written = PrintToPdf(browser, path); !written) {
        std::fprintf(stderr, "cook --pdf: cannot write %s: %s\n", path.toLocal8Bit().constData(),
                     WriteFailureText(written).c_str());
        return 1;
    }
    return 0;
}

} // namespace savorel::ui
