// The conversion every window makes between Windows-1250 data and its Unicode widgets.
#include "core/cp1250.h"
#include "core/ui/qt_text.h"

#include <QByteArray>
#include <QString>
#include <QtTest>

#include <string>

using namespace savorel;

namespace {

QByteArray Bytes(const std::string& s) {
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

class TextConversionTest : public QObject {
    Q_OBJECT

private slots:
    // Every byte, the 0 byte and the code page's undefined bytes included, reads as the
    // character of the code page and is written back as itself.
    void everyByteRoundTrips() {
        std::string all;
        for (int b = 0; b < 256; ++b) {
            const std::string byte(1, static_cast<char>(b));
            const QString text = ui::FromCp1250(byte);
            QCOMPARE(text.size(), 1);
            QCOMPARE(static_cast<char32_t>(text.at(0).unicode()),
                     Cp1250ToUnicode(static_cast<unsigned char>(b)));
            QCOMPARE(Bytes(ui::ToCp1250(text)), Bytes(byte));
            all += byte;
        }
        const QString text = ui::FromCp1250(all);
        QCOMPARE(text.size(), 256);
        QCOMPARE(Bytes(ui::ToCp1250(text)), Bytes(all));
    }

    void typedCharacters_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("Romanian cedilla letters")
            << QStringLiteral(u"\u0103\u00E2\u00EE\u015F\u0163\u0102\u00C2\u00CE\u015E\u0162")
            << QByteArray("\xE3\xE2\xEE\xBA\xFE\xC3\xC2\xCE\xAA\xDE");
        QTest::newRow("comma-below letters as cedilla letters")
            << QStringLiteral(u"\u0219\u021B\u0218\u021A") << QByteArray("\xBA\xFE\xAA\xDE");
        QTest::newRow("snowman") << QStringLiteral(u"a\u2603b") << QByteArray("a?b");
        QTest::newRow("Cyrillic") << QStringLiteral(u"\u0416") << QByteArray("?");
        QTest::newRow("Chinese") << QStringLiteral(u"\u4E2D\u6587") << QByteArray("??");
        QTest::newRow("emoji, one character of two UTF-16 units")
            << QStringLiteral(u"x\U0001F600y") << QByteArray("x?y");
        QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << QByteArray("?");
        QTest::newRow("Latin-1 letter the code page lacks")
            << QStringLiteral(u"\u00E0") << QByteArray("?");
        QTest::newRow("euro sign") << QStringLiteral(u"\u20AC") << QByteArray("\x80");
        QTest::newRow("empty") << QString() << QByteArray();
    }

    // What is typed into a window is stored in the code page; what it has no byte for
    // becomes "?", one for each character.
    void typedCharacters() {
        QFETCH(QString, typed);
        QFETCH(QByteArray, stored);
        QCOMPARE(Bytes(ui::ToCp1250(typed)), stored);
    }
};

QTEST_MAIN(TextConversionTest)
#include "qt_dialogs_test.moc"
