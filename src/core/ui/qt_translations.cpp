#include "core/ui/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstring>

namespace savorel::ui {

namespace {

struct Phrase {
    const char* context;
    const char* source;
    const char* romanian; // UTF-8
};

// What the framework shows in our windows, in its own words (source strings of Qt 6).
const Phrase kRomanian[] = {
    // Standard buttons of message boxes and dialogs.
    {"QPlatformTheme", "OK", "OK"},
    {"QPlatformTheme", "Save", "Salvează"},
    {"QPlatformTheme", "Save All", "Salvează tot"},
    {"QPlatformTheme", "Open", "Deschide"},
    {"QPlatformTheme", "&Yes", "&Da"},
    {"QPlatformTheme", "Yes to &All", "Da la &toate"},
    {"QPlatformTheme", "&No", "&Nu"},
    {"QPlatformTheme", "N&o to All", "N&u la toate"},
    {"QPlatformTheme", "Abort", "Abandonează"},
    {"QPlatformTheme", "Retry", "Reîncearcă"},
    {"QPlatformTheme", "Ignore", "Ignoră"},
    {"QPlatformTheme", "Close", "Închide"},
    {"QPlatformTheme", "Cancel", "Renunță"},
    {"QPlatformTheme", "Discard", "Nu salva"},
    {"QPlatformTheme", "Help", "Ajutor"},
    {"QPlatformTheme", "Apply", "Aplică"},
    {"QPlatformTheme", "Reset", "Resetează"},
    {"QPlatformTheme", "Restore Defaults", "Valori implicite"},
    {"QMessageBox", "Show Details...", "Arată detaliile..."},
    {"QMessageBox", "Hide Details...", "Ascunde detaliile..."},
    // The context menu of the page and of multi-line fields.
    {"QWidgetTextControl", "&Undo", "&Anulează"},
    {"QWidgetTextControl", "&Redo", "&Refă"},
    {"QWidgetTextControl", "Cu&t", "&Taie"},
    {"QWidgetTextControl", "&Copy", "&Copiază"},
    {"QWidgetTextControl", "Copy &Link Location", "Copiază adresa &legăturii"},
    {"QWidgetTextControl", "&Paste", "&Lipește"},
    {"QWidgetTextControl", "Delete", "Șterge"},
    {"QWidgetTextControl", "Select All", "Selectează tot"},
    // The context menu of one-line fields and number fields.
    {"QLineEdit", "&Undo", "&Anulează"},
    {"QLineEdit", "&Redo", "&Refă"},
    {"QLineEdit", "Cu&t", "&Taie"},
    {"QLineEdit", "&Copy", "&Copiază"},
    {"QLineEdit", "&Paste", "&Lipește"},
    {"QLineEdit", "Delete", "Șterge"},
    {"QLineEdit", "Select All", "Selectează tot"},
    {"QAbstractSpinBox", "&Select All", "&Selectează tot"},
    {"QAbstractSpinBox", "&Step up", "&Crește"},
    {"QAbstractSpinBox", "Step &down", "&Scade"},
    // The file dialog of "Salveaza ca PDF...".
    {"QFileDialog", "Look in:", "Caută în:"},
    {"QFileDialog", "File &name:", "&Nume fișier:"},
    {"QFileDialog", "Files of type:", "Fișiere de tipul:"},
    {"QFileDialog", "&Open", "&Deschide"},
    {"QFileDialog", "&Save", "&Salvează"},
    {"QFileDialog", "Open", "Deschide"},
    {"QFileDialog", "Save As", "Salvează ca"},
    {"QFileDialog", "Cancel", "Renunță"},
    {"QFileDialog", "&Choose", "&Alege"},
    {"QFileDialog", "Back", "Înapoi"},
    {"QFileDialog", "Forward", "Înainte"},
    {"QFileDialog", "Parent Directory", "Dosarul părinte"},
    {"QFileDialog", "Create New Folder", "Dosar nou"},
    {"QFileDialog", "List View", "Listă"},
    {"QFileDialog", "Detail View", "Detalii"},
    {"QFileDialog", "Sidebar", "Bară laterală"},
    {"QFileDialog", "Recent Places", "Locuri recente"},
    {"QFileDialog", "Directory:", "Dosar:"},
    {"QFileDialog", "Directories", "Dosare"},
    {"QFileDialog", "All Files (*)", "Toate fișierele (*)"},
    {"QFileDialog", "New Folder", "Dosar nou"},
    {"QFileDialog", "&New Folder", "Dosar &nou"},
    {"QFileDialog", "&Rename", "&Redenumește"},
    {"QFileDialog", "&Delete", "Ș&terge"},
    {"QFileDialog", "Show &hidden files", "Arată fișierele a&scunse"},
    {"QFileDialog", "%1 already exists.\nDo you want to replace it?",
     "%1 există deja.\nDoriți să îl înlocuiți?"},
    {"QFileDialog", "Are you sure you want to delete '%1'?", "Sigur doriți să ștergeți „%1”?"},
    {"QFileSystemModel", "Name", "Nume"},
    {"QFileSystemModel", "Size", "Mărime"},
    {"QFileSystemModel", "Type", "Tip"},
    {"QFileSystemModel", "Kind", "Fel"},
    {"QFileSystemModel", "Date Modified", "Modificat"},
    {"QFileSystemModel", "My Computer", "Calculatorul meu"},
    {"QFileSystemModel", "Computer", "Calculator"},
};

// Debian ships no Romanian file for the framework: the words our windows meet come from here.
class RomanianFrameworkWords final : public QTranslator {
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* source, const char* disambiguation,
                      int) const override {
        if (!context || !source || (disambiguation && *disambiguation))
            return {};
        for (const Phrase& p : kRomanian)
            if (std::strcmp(p.context, context) == 0 && std::strcmp(p.source, source) == 0)
                return QString::fromUtf8(p.romanian);
        return {};
    }
};

} // namespace

QStringList InstallFrameworkTranslations(const QLocale& locale) {
    QStringList installed;
    auto* app = QCoreApplication::instance();
    if (!app || locale.language() == QLocale::C || locale.language() == QLocale::English)
        return installed;
    // Ours first, so that a file the system may one day have for the language takes
    // precedence (the translator installed last is asked first).
    if (locale.language() == QLocale::Romanian) {
        QCoreApplication::installTranslator(new RomanianFrameworkWords(app));
        installed << QStringLiteral("savorel_qt_ro");
    }
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto* system = new QTranslator(app);
    if (system->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"), folder)) {
        QCoreApplication::installTranslator(system);
        installed << QStringLiteral("qtbase_") + locale.name().section(QLatin1Char('_'), 0, 0);
    } else {
        delete system;
    }
    return installed;
}

} // namespace savorel::ui
