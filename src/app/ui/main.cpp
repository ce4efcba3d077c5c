// cook: the recipe book. The data folder is the current directory, or the one --data names.
#include "app/application.h"
#include "app/ui/CMainDlg.h"
#include "app/version.h"
#include "catalogue/servings.h"
#include "core/guard.h"
#include "core/session.h"
#include "core/ui/qt_geometry.h"
#include "core/ui/qt_messages.h"
#include "core/ui/qt_translations.h"
#include "core/ui/qt_window_frame.h"
#include "viewing/ui/qt_open_recipe.h"
#include "viewing/ui/qt_pdf.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QIcon>

#include <cstdio>
#include <iostream>
#include <unistd.h>

namespace {

int RunCook(int argc, char** argv) {
    QCoreApplication::setApplicationVersion(QString::fromLatin1(savorel::kVersion));
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
    const QCommandLineOption pdf(
        QStringLiteral("pdf"),
        QStringLiteral("Print the page of the recipe file RECIPE into the PDF file given after "
                       "it, without a window: cook --pdf RECIPE OUT.pdf [--portii N]."),
        QStringLiteral("RECIPE"));
    const QCommandLineOption portii(QStringLiteral("portii"),
                                    QStringLiteral("With --pdf: the page for N servings."),
                                    QStringLiteral("N"));
    parser.addOption(data);
    parser.addOption(plain);
    parser.addOption(pdf);
    parser.addOption(portii);
    // OUT.pdf belongs to --pdf: the usage line shows the pair, never OUT.pdf on its own.
    parser.addPositionalArgument(QStringLiteral("OUT.pdf"),
                                 QStringLiteral("With --pdf: the file written."),
                                 QStringLiteral("[--pdf RECIPE OUT.pdf]"));

    // --help and --version need no window: they are answered before the GUI application
    // exists, which aborts without a display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const bool parsed = parser.parse(arguments);
    if (parsed &&
        (parser.isSet(help) || parser.isSet(version) || parser.isSet(QStringLiteral("help-all")))) {
        QCoreApplication console(argc, argv);
        parser.process(console); // prints and exits
    }
    // A PDF needs no display: the platform is chosen before the application exists.
    const bool toPdf = parsed && parser.isSet(pdf);
    if (toPdf)
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    savorel::ui::ApplyApplicationLook();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/img/icon128.svg")));
    // File dialogs, standard buttons and context menus in the user's language.
    savorel::ui::InstallFrameworkTranslations(QLocale::system());
    parser.process(app);

    const QString outPath =
        parser.positionalArguments().isEmpty()
            ? QString()
            : QFileInfo(parser.positionalArguments().constFirst()).absoluteFilePath();
    if (parser.isSet(data) && chdir(parser.value(data).toLocal8Bit().constData()) != 0) {
        std::fprintf(stderr, "cook: cannot use %s as the data folder\n",
                     parser.value(data).toLocal8Bit().constData());
        return 2;
    }
    if (toPdf) {
        int servings = 0;
        if (parser.isSet(portii)) {
            bool number = false;
            servings = parser.value(portii).toInt(&number);
            if (!number || servings < savorel::kMinServings || servings > savorel::kMaxServings) {
                std::fprintf(stderr, "cook: --portii takes a number of servings from 1 to 99\n");
                return 2;
            }
        }
        if (parser.positionalArguments().size() != 1) {
            std::fprintf(stderr, "usage: cook [--data DIR] --pdf RECIPE OUT.pdf [--portii N]\n");
            return 2;
        }
        // OUT.pdf is named from where cook was started, before --data moved us.
        return savorel::ui::PrintRecipeFileToPdf(parser.value(pdf).toLocal8Bit().toStdString(),
                                                 outPath, servings);
    }
    savorel::Session session;
    session.browserUnavailable = parser.isSet(plain);
    session.windowPlacesFile = std::string(); // in the user's configuration folder

    savorel::Application application(session);
    savorel::ui::CMainDlg mainWindow(application);
    savorel::ui::RunModal(mainWindow);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    // An exception out of a window's handler travels up through the event loop to here.
    return savorel::RunGuarded(
        "cook", [&] { return RunCook(argc, argv); }, std::cerr, 1);
}
