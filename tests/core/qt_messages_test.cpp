// Message boxes shown for real on the offscreen platform: where they appear.
#include "core/ui/qt_geometry.h"
#include "core/ui/qt_messages.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QtTest>

using namespace savorel;

class MessagePlaceTest : public QObject {
    Q_OBJECT

private:
    // Shows a real box through ShowMessage and answers where its centre stood.
    static QPoint CentreOfShownBox(QWidget* owner, BoxForm form) {
        QPoint centre(-1, -1);
        QTimer::singleShot(0, [&] {
            QWidget* box = QApplication::activeModalWidget();
            QVERIFY(box);
            centre = box->frameGeometry().center();
            QTest::keyClick(box, Qt::Key_Return);
        });
        ui::ShowMessage(owner, form, QStringLiteral("Mesaj"));
        return centre;
    }

private slots:
    void initTestCase() { ui::ApplyApplicationLook(); }

    // Over the owner wherever it stands; a caption-only box (owned by none) over the window
    // in use; with no window shown, in the middle of the screen.
    void boxesOpenOverTheirOwner() {
        QDialog owner;
        owner.resize(400, 300);
        owner.move(500, 120);
        owner.show();
        owner.activateWindow();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));
        const QPoint ownerCentre = owner.frameGeometry().center();
        for (const BoxForm form : {BoxForm::Owned, BoxForm::CaptionOnly}) {
            QApplication::setActiveWindow(&owner);
            const QPoint centre = CentreOfShownBox(&owner, form);
            QVERIFY2((centre - ownerCentre).manhattanLength() < 40,
                     qPrintable(QStringLiteral("%1,%2").arg(centre.x()).arg(centre.y())));
        }
        owner.hide();
        QDialog hidden; // a window still being built
        const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
        const QPoint centre = CentreOfShownBox(&hidden, BoxForm::Owned);
        QVERIFY((centre - screenCentre).manhattanLength() < 40);
        // The place itself, for any size.
        owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));
        QCOMPARE(ui::BoxPlace(&owner, QSize(100, 50)) + QPoint(50, 25),
                 owner.frameGeometry().center());
    }
};

QTEST_MAIN(MessagePlaceTest)
#include "qt_messages_test.moc"
