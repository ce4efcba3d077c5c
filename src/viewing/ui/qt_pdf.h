#pragma once

// Pages on paper's other road: a PDF file, written by the same printing as the printer's,
// from the recipe window and from `cook --pdf`.
#include "core/files.h"

#include <QString>

#include <string>

class QWidget;

namespace savorel::ui {

class CWebBrowser;

// Prints the page `browser` shows into `path` as PDF, by the rule of every file the user
// names as output (WriteUserFile); the failure says why the file was not written.
[[nodiscard]] WriteResult PrintToPdf(const CWebBrowser& browser, const QString& path);

// Asks where to save a page as PDF: a file dialog run through RunModal, opened on
// `title`.pdf (a recipe's title) in the documents folder. Empty when the user cancels.
QString AskPdfFile(QWidget* owner, const QString& title);

// `cook --pdf`: the page of the recipe file `recipe` of the data folder, for `servings`
// (0: as written), printed into `path` without a window. Answers the exit status; problems
// go to standard error.
[[nodiscard]] int PrintRecipeFileToPdf(const std::string& recipe, const QString& path,
                                       int servings);

} // namespace savorel::ui
