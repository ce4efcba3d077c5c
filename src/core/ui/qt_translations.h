#pragma once

// The framework's own words (standard buttons, file dialogs, the context menus of text fields
// and of the page) in the user's language.
#include <QLocale>
#include <QStringList>

namespace savorel::ui {

// Installs the framework's translations for `locale` into the application: Debian's files
// (qtbase_LANG.qm, qt6-translations-l10n) where they exist, and for Romanian, which that
// package lacks, the program's own table of the words its windows show. Answers what was
// installed ("qtbase_de", "savorel_qt_ro"), empty for English or C.
QStringList InstallFrameworkTranslations(const QLocale& locale);

} // namespace savorel::ui
