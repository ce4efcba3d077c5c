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

#include <cstdio>

namespace savorel::ui {

bool PrintToPdf(const CWebBrowser& browser, const QString& path) {
    if (!browser.HasDocument())
        return false;
    QFile::remove(path); // a stale file must not pass for the new one
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setDocName(QFileInfo(path).completeBaseName());
    browser.PrintTo(printer);
    return QFileInfo(path).size() > 0;
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
    if (!PrintToPdf(browser, path)) {
        std::fprintf(stderr, "cook --pdf: cannot write %s\n", path.toLocal8Bit().constData());
        return 1;
    }
    return 0;
}

} // namespace savorel::ui
