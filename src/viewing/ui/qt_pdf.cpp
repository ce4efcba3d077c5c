#include "viewing/ui/qt_pdf.h"

#include "catalogue/page.h"
#include "catalogue/servings.h"
#include "core/ui/qt_print.h"
#include "viewing/ui/CWebBrowser.h"

#include <QDir>
#include <QPrinter>

#include <cstdio>

namespace savorel::ui {

WriteResult PrintToPdf(const CWebBrowser& browser, const QString& path) {
    if (!browser.HasDocument()) {
        WriteResult result;
        result.failure = WriteFailure::Write;
        return result;
    }
    return PrintIntoPdf([&browser](QPrinter& printer) { browser.PrintTo(printer); }, path);
}

QString AskPdfFile(QWidget* owner, const QString& title) {
    return AskPdfFileNamed(owner, title, QStringLiteral("reteta"));
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
