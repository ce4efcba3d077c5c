// The bootstrap's window: its layout, the road its first paint sets going, the progress bar
// and the captions of its messages.
#include "bootstrap/ui/CBootstrapDlg.h"
#include "payload_builder.h"

#include <QDir>
#include <QFileInfo>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <filesystem>
#include <vector>

using namespace bootstrap;
using namespace bootstrap::testing;

namespace {

struct Box {
    QWidget* owner;
    QString caption;
    QString text;
};

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// Runs the window as the program does, with a guard so that a window that never ends
// itself fails the test instead of hanging it.
int RunGuarded(CBootstrapDlg& dialog, int ms = 20000) {
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &dialog, &QDialog::reject);
    guard.start(ms);
    return dialog.exec();
}

QWidget* Control(const QWidget& root, int id) {
    for (QWidget* w : root.findChildren<QWidget*>())
        if (w->property("controlId").toInt() == id)
            return w;
    return nullptr;
}

} // namespace

class CBootstrapDlgTest : public QObject {
    Q_OBJECT

    std::vector<Box> m_boxes;

private slots:
    void init() {
        m_boxes.clear();
        CBootstrapDlg::SetMessageFunction(
            [this](QWidget* owner, const QString& caption, const QString& text) {
                m_boxes.push_back({owner, caption, text});
            });
        qunsetenv("TEMP");
        qunsetenv("TMP");
    }
    void cleanup() {
        CBootstrapDlg::SetMessageFunction(nullptr);
        SetReadOpenFaultForTesting(false);
        qunsetenv("TEMP");
        qunsetenv("TMP");
    }

    void hasTheLayoutOfItsTemplate() {
        const char* const names[] = {nullptr};
        CBootstrapDlg dialog({names, nullptr}, "/nonexistent");
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Instaleaza Savorel"));
        // 290 x 42 dialog units.
        QCOMPARE(dialog.size(), QSize(435, 68));
        QCOMPARE(dialog.minimumSize(), dialog.maximumSize());

        auto* progress = qobject_cast<QProgressBar*>(Control(dialog, 1000));
        QVERIFY(progress);
        QCOMPARE(progress->geometry(), QRect(12, 21, 410, 26));

        auto* ok = qobject_cast<QPushButton*>(Control(dialog, 1));
        auto* cancel = qobject_cast<QPushButton*>(Control(dialog, 2));
        QVERIFY(ok && cancel);
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        QVERIFY(ok->isDefault());
        QCOMPARE(ok->geometry(), QRect(264, 47, 75, 23));
        QCOMPARE(cancel->text(), QStringLiteral("Cancel"));
        QCOMPARE(cancel->geometry(), QRect(360, 47, 75, 23));
        QVERIFY(ok->isHidden());
        QVERIFY(cancel->isHidden());
        QVERIFY(!dialog.windowIcon().isNull());
        QVERIFY(dialog.ExtractionPending());
    }

    void firstPaintExtractsStartsTheInstallerAndEnds() {
        ScratchFolder scratch;
        const std::string temp = scratch / "temp";
        std::filesystem::create_directory(temp);
        const std::string mark = scratch / "mark";
        std::vector<PayloadFile> files = {{"install.exe", MarkingInstaller(mark)}};
        for (int i = 1; i <= 40; ++i) {
            char name[24]; // room for any int: GCC at -O1 cannot tell i stays below 1000
            std::snprintf(name, sizeof name, "RET%03d.TXT", i);
            files.push_back({name, PatternBytes(static_cast<std::size_t>(100 * i), i)});
        }
        files.push_back({"cook.xxx", PatternBytes(50000, 99)});
        const TestPayload payload(std::move(files));
        const std::string self = scratch / "savorel setup";
        payload.WriteProgram(self);
        qputenv("TEMP", "");
        qputenv("TMP", QByteArray::fromStdString(temp));

        CBootstrapDlg dialog(payload.Table(), self);
        auto* progress = dialog.findChild<QProgressBar*>(QStringLiteral("progress"));
        QVERIFY(progress);
        std::vector<int> steps;
        connect(progress, &QProgressBar::valueChanged, this,
                [&steps](int value) { steps.push_back(value); });

        QCOMPARE(RunGuarded(dialog), int(QDialog::Accepted));
        QVERIFY(!dialog.ExtractionPending());
        QVERIFY(m_boxes.empty());

        const int count = static_cast<int>(payload.Files().size());
        QCOMPARE(progress->minimum(), 0);
        QCOMPARE(progress->maximum(), count);
        QCOMPARE(progress->value(), count); // full
        QCOMPARE(steps.back(), count);
        QCOMPARE(std::count_if(steps.begin(), steps.end(), [](int v) { return v > 0; }),
                 std::ptrdiff_t(count));

        for (const auto& f : payload.Files())
            QVERIFY2(ReadFile(temp + "/KIT/" + f.name) == f.bytes, f.name.c_str());
        QVERIFY(WaitForFile(mark, 10));
        QCOMPARE(Q(ReadFile(mark)),
                 Q(std::filesystem::canonical(temp + "/KIT").string() + "\n0\n"));
    }

    void laterPaintsOnlyPaint() {
        ScratchFolder scratch;
        const TestPayload payload({{"install.exe", "#!/bin/sh\n"}});
        payload.WriteProgram(scratch / "setup");
        qputenv("TEMP", QByteArray::fromStdString(scratch.path()));
        CBootstrapDlg dialog(payload.Table(), scratch / "setup");
        QCOMPARE(RunGuarded(dialog), int(QDialog::Accepted));
        // Shown again, it paints but does not run the road again: only the guard ends it.
        QCOMPARE(RunGuarded(dialog, 500), int(QDialog::Rejected));
        QVERIFY(m_boxes.empty());
    }

    void messagesCarryTheirCaptions_data() {
        QTest::addColumn<QString>("situation");
        QTest::newRow("program file missing") << "missing";
        QTest::newRow("program path names a folder") << "folder";
        QTest::newRow("program file cannot be read") << "unreadable";
        QTest::newRow("payload file cannot be created") << "blocked";
        QTest::newRow("KIT folder not the user's") << "foreign";
    }

    void messagesCarryTheirCaptions() {
        QFETCH(QString, situation);
        ScratchFolder scratch;
        const std::string temp = scratch.path();
        const std::string kit = temp + "/KIT";
        std::string self = scratch / "setup";
        const TestPayload payload({{"install.exe", "#!/bin/sh\n"}, {"dict.txt", "d"}});
        payload.WriteProgram(self);
        qputenv("TEMP", QByteArray::fromStdString(temp));

        QString caption, text;
        const QString appName = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
        if (situation == "missing") {
            self = scratch / "gone";
            caption = QStringLiteral("1. Can't open file");
            text = QDir::currentPath();
        } else if (situation == "folder") {
            self = scratch.path();
            caption = appName;
            text = QStringLiteral("length -1");
        } else if (situation == "unreadable") {
            SetReadOpenFaultForTesting(true);
            caption = appName;
            text = QStringLiteral("2. Can't open file");
        } else if (situation == "blocked") {
            std::filesystem::create_directories(kit + "/dict.txt");
            caption = Q(kit + "/dict.txt");
            text = QStringLiteral("1. Can't open file for writing!");
        } else {
            std::filesystem::create_directory(scratch / "theirs");
            std::filesystem::create_directory_symlink(scratch / "theirs", kit);
            caption = Q(kit);
            text = QStringLiteral("1. Can't open file for writing!");
        }

        CBootstrapDlg dialog(payload.Table(), self);
        // Whatever happened, the road ends the window.
        QCOMPARE(RunGuarded(dialog), int(QDialog::Accepted));
        QCOMPARE(m_boxes.size(), std::size_t(1));
        QCOMPARE(m_boxes[0].owner, &dialog);
        QCOMPARE(m_boxes[0].caption, caption);
        QCOMPARE(m_boxes[0].text, text);
    }

    void screenshot() {
        const char* const names[] = {nullptr};
        CBootstrapDlg dialog({names, nullptr}, "/nonexistent");
        auto* progress = dialog.findChild<QProgressBar*>(QStringLiteral("progress"));
        progress->setRange(0, 750);
        progress->setValue(300);
        const QPixmap shot = dialog.grab();
        QCOMPARE(shot.size(), QSize(435, 68));
        QDir().mkpath(QStringLiteral(SHOTS_DIR));
        QVERIFY(shot.save(QStringLiteral(SHOTS_DIR "/bootstrap.png")));
    }
};

QTEST_MAIN(CBootstrapDlgTest)
#include "CBootstrapDlg_test.moc"
