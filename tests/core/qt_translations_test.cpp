// The framework's words in Romanian under a Romanian locale, in English otherwise.
#include "core/ui/qt_geometry.h"
#include "core/ui/qt_translations.h"

#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QtTest>

#include <memory>

using namespace savorel;

namespace {

QStringList ActionTexts(QMenu* menu) {
    QStringList texts;
    for (const QAction* a : menu->actions())
        if (!a->isSeparator())
            texts << a->text().section(QLatin1Char('\t'), 0, 0);
    return texts;
}

QStringList LabelTexts(QWidget& w) {
    QStringList texts;
    for (const QLabel* l : w.findChildren<QLabel*>())
        texts << l->text();
    return texts;
}

} // namespace

class TranslationsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ui::ApplyApplicationLook(); }

    // English and C stay as the framework writes them; a language Debian translates gets
    // its file when that is installed.
    void nothingForEnglishAndC() {
        QVERIFY(ui::InstallFrameworkTranslations(QLocale::c()).isEmpty());
        QVERIFY(ui::InstallFrameworkTranslations(QLocale(QLocale::English)).isEmpty());
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));
    }

    // Under a Romanian locale: standard buttons, the page's and the fields' context menus,
    // the file dialog of "Salveaza ca PDF...".
    void romanianButtonsMenusAndFileDialog() {
        const QStringList installed =
            ui::InstallFrameworkTranslations(QLocale(QLocale::Romanian, QLocale::Romania));
        QVERIFY(installed.contains(QStringLiteral("savorel_qt_ro")));

        QMessageBox box;
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Yes)->text(), QStringLiteral("&Da"));
        QCOMPARE(box.button(QMessageBox::No)->text(), QStringLiteral("&Nu"));
        QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("Renunță"));

        QTextBrowser page;
        page.setHtml(QStringLiteral("<p>Text <a href=\"term:1\">legat</a></p>"));
        page.selectAll();
        std::unique_ptr<QMenu> pageMenu(page.createStandardContextMenu(QPoint(2, 2)));
        const QStringList pageItems = ActionTexts(pageMenu.get());
        QVERIFY2(pageItems.contains(QStringLiteral("&Copiază")), qPrintable(pageItems.join('|')));
        QVERIFY(pageItems.contains(QStringLiteral("Selectează tot")));
        QVERIFY(!pageItems.contains(QStringLiteral("&Copy")));

        QLineEdit field;
        std::unique_ptr<QMenu> fieldMenu(field.createStandardContextMenu());
        const QStringList fieldItems = ActionTexts(fieldMenu.get());
        for (const char* ro : {"&Anulează", "&Taie", "&Copiază", "&Lipește", "Selectează tot"})
            QVERIFY2(fieldItems.contains(QString::fromUtf8(ro)), ro);

        QFileDialog dialog(nullptr, QStringLiteral("PDF"));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        const QStringList labels = LabelTexts(dialog);
        QVERIFY2(labels.contains(QStringLiteral("Caută în:")), qPrintable(labels.join('|')));
        QVERIFY(labels.contains(QStringLiteral("&Nume fișier:")));
        QVERIFY(labels.contains(QStringLiteral("Fișiere de tipul:")));
        bool saveButton = false;
        for (const QPushButton* b : dialog.findChildren<QPushButton*>())
            saveButton = saveButton || b->text() == QStringLiteral("&Salvează");
        QVERIFY(saveButton);
    }

    // cook installs for the user's locale: the Romanian run of this test gets Romanian.
    // Last, as translations stay installed.
    void followsTheUsersLocale() {
        const bool romanian = qEnvironmentVariable("LC_ALL").startsWith(QStringLiteral("ro_RO"));
        const QStringList installed = ui::InstallFrameworkTranslations(QLocale::system());
        QCOMPARE(installed.contains(QStringLiteral("savorel_qt_ro")), romanian);
    }
};

QTEST_MAIN(TranslationsTest)
#include "qt_translations_test.moc"
