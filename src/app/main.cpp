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
    QApplication app(argc, argv);
    savorel::ui::ApplyApplicationLook();
    QApplication::setApplicationVersion(QStringLiteral("1.2"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/img/icon128.svg")));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Savorel, the recipe book."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption data(QStringLiteral("data"),
                                  QStringLiteral("Use DIR as the data folder."),
                                  QStringLiteral("DIR"));
    const QCommandLineOption plain(
        QStringLiteral("plain"),
        QStringLiteral("Show recipes as plain text, without the page view."));
    parser.addOption(data);
    parser.addOption(plain);
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
