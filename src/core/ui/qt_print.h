#pragma once

// Paper and PDF for every window that prints: a printing into a PDF file by the rule of
// every file the user names as output, and the question where to save one.
#include "core/files.h"

#include <QString>

#include <functional>

class QPrinter;
class QWidget;

namespace savorel::ui {

// Runs `print` on a PDF printer and writes what it printed into `path` by the rule of every
// output file (WriteUserFile); the failure says why the file was not written (a printing
// cut short is one).
[[nodiscard]] WriteResult PrintIntoPdf(const std::function<void(QPrinter&)>& print,
                                       const QString& path);

// Asks where to save a PDF: a file dialog run through RunModal, opened on `title`.pdf
// (`fallback`.pdf for an empty title) in the documents folder. Empty when the user cancels.
QString AskPdfFileNamed(QWidget* owner, const QString& title, const QString& fallback);

} // namespace savorel::ui
