// cook: the recipe book. The data folder is the current directory, or the one --data names.
#include "catalogue/CMainDlg.h"
#include "core/qt_dialogs.h"
#include "viewing/qt_open_recipe.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>

#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv) {
    QCoreApplication::setApplicationVersion(QStringLiteral("1.2"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Savorel, the recipe book."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption data(QStringLiteral("data"),
                                  QStringLiteral("Use DIR as the data folder."),
                                  QStringLiteral("DIR"));
    const QCommandLineOption plain(
        QStringLiteral("plain"),
        QStringLiteral("Show recipes as plain text, without the page view."));
    parser.addOption(data);
    parser.addOption(plain);

    // --help and --version need no window: they are answered before the GUI application
    // exists, which aborts without a display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (parser.parse(arguments) &&
        (parser.isSet(help) || parser.isSet(version) || parser.isSet(QStringLiteral("help-all")))) {
        QCoreApplication console(argc, argv);
        parser.process(console); // prints and exits
    }

    QApplication app(argc, argv);
    savorel::ui::ApplyApplicationLook();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/img/icon128.svg")));
    parser.process(app);

    if (parser.isSet(data) && chdir(parser.value(data).toLocal8Bit().constData()) != 0) {
        std::fprintf(stderr, "cook: cannot use %s as the data folder\n",
                     parser.value(data).toLocal8Bit().constData());
        return 2;
    }
    savorel::ui::SetBrowserUnavailable(parser.isSet(plain));

    savorel::ui::CMainDlg mainWindow;
    savorel::ui::RunModal(mainWindow);
    return 0;
}
