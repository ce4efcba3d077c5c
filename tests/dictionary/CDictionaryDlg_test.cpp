// The dictionary window on the offscreen platform: its look, the word list, look-ups by list
// and by typing, carrying a marked word up through the clipboard, and the messages.
#include "dictionary/ui/CDictionaryDlg.h"

#include "core/ui/qt_geometry.h"
#include "core/ui/qt_messages.h"
#include "support/support.h"
#include "support/window_checks.h"
#include "support/window_support.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include <filesystem>

using namespace savorel;
using namespace savorel::testing;
using savorel::ui::CDictionaryDlg;

namespace {

QListWidget* Words(CDictionaryDlg& w) {
    return ui::FindControlAs<QListWidget>(&w, 1000);
}
QLineEdit* Word(CDictionaryDlg& w) {
    return ui::FindControlAs<QLineEdit>(&w, 1009);
}
QPlainTextEdit* Explanation(CDictionaryDlg& w) {
    return ui::FindControlAs<QPlainTextEdit>(&w, 1010);
}
QPushButton* Button(CDictionaryDlg& w, int id) {
    return ui::FindControlAs<QPushButton>(&w, id);
}

// Out of order, mixed case, a duplicate word, a line without "#", a last line without a
// line feed.
const char* const kDictionary = "marar#Planta aromatica; se adauga la ciorbe, zahar, sare.\r\n"
                                "blat#Foaie de aluat copt.\n"
                                "Fara separator\n"
                                "Abur#Gatire deasupra apei care fierbe.\n"
                                "blat#A doua explicatie.\n"
                                "zacusca#Pasta de vinete si ardei.";

bool IsArrowInk(const QColor& c) {
    return c.green() < 130 && c.red() - c.green() > 50; // not the plate or its border
}

} // namespace

class DictionaryWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { ui::ApplyApplicationLook(); }
    void init() {
        m_session = Session(); // nothing carries over from the last test
        m_dir = std::make_unique<TempDataDir>();
        WriteScrambled("dict.txt", kDictionary);
    }
    void cleanup() { m_dir.reset(); }

    void looksFinished() {
        MessageLog log;
        CDictionaryDlg w(m_session);
        QCOMPARE(w.windowTitle(), QStringLiteral("Dictionar de termeni culinari"));
        QCOMPARE(w.size(), QSize(476, 345));
        auto* header = w.findChild<QLabel*>();
        QVERIFY(header);
        QCOMPARE(ui::ControlId(header), 65535);
        const QStringList lines = header->text().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0], QString(41, QLatin1Char(' ')) +
                               QStringLiteral("Introduceti cuvantul a carui explicatie doriti "
                                              "sa o cautati in dictionar"));
        QCOMPARE(lines[1], QString(49, QLatin1Char(' ')) +
                               QStringLiteral(
                                   "Puteti selecta, de asemenea, un cuvant spre a fi afisat....."));
        for (const QString& line : lines) // both lines show whole
            QVERIFY(header->fontMetrics().horizontalAdvance(line) <=
                    header->contentsRect().width());

        QCOMPARE(Button(w, 1005)->text(), QStringLiteral("Ajutor"));
        QCOMPARE(Button(w, 1)->text(), QStringLiteral("Iesire"));
        QVERIFY(Button(w, 1)->isDefault());

        // The arrow buttons show their pictures and no text; the arrows point apart.
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        // The down arrow's head is low, the up arrow's high: the first ink of a column that
        // crosses the head beside the shaft.
        auto headRow = [&](int id) {
            const QImage image = Button(w, id)->grab().toImage();
            const int x = image.width() / 2 - 6;
            for (int y = 0; y < image.height(); ++y)
                if (IsArrowInk(image.pixelColor(x, y)))
                    return y;
            return -1;
        };
        for (const int id : {1003, 1004}) {
            QPushButton* button = Button(w, id);
            QVERIFY(button->text().isEmpty());
            QVERIFY(!button->icon().isNull());
            QVERIFY2(headRow(id) >= 0, "no arrow drawn");
        }
        QVERIFY(headRow(1003) > headRow(1004));
        QVERIFY(log.records.empty());

        Words(w)->setCurrentRow(3);
        w.OnSelchangeWords();
        SaveWindowShot(w, "dictionary");
        VerifyGrows(w, "dictionary");
    }

    void listAndLookUps() {
        MessageLog log;
        CDictionaryDlg w(m_session);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        // Sorted ignoring case; both "blat" shown; the line without "#" left out.
        QCOMPARE(Texts(Words(w)), (QStringList{"Abur", "blat", "blat", "marar", "zacusca"}));

        ClickRow(Words(w), 3);
        QCOMPARE(Word(w)->text(), QStringLiteral("marar"));
        QCOMPARE(Explanation(w)->toPlainText(),
                 QStringLiteral("Planta aromatica; se adauga la ciorbe, zahar, sare."));
        ClickRow(Words(w), 2); // the second "blat" shows the first one's explanation
        QCOMPARE(Explanation(w)->toPlainText(), QStringLiteral("Foaie de aluat copt."));
        QTest::keyClick(Words(w), Qt::Key_Down);
        QCOMPARE(Word(w)->text(), QStringLiteral("marar"));
        ClickRow(Words(w), 4); // the last line, without a line feed
        QCOMPARE(Explanation(w)->toPlainText(), QStringLiteral("Pasta de vinete si ardei."));

        Word(w)->setText(QStringLiteral("ABUR"));
        QTest::mouseClick(Button(w, 1003), Qt::LeftButton);
        QCOMPARE(Explanation(w)->toPlainText(),
                 QStringLiteral("Gatire deasupra apei care fierbe."));
        QVERIFY(log.records.empty());

        // Blanks typed around a word are no part of it.
        Word(w)->setText(QStringLiteral(" abur "));
        QTest::mouseClick(Button(w, 1003), Qt::LeftButton);
        QCOMPARE(Explanation(w)->toPlainText(),
                 QStringLiteral("Gatire deasupra apei care fierbe."));

        for (const char* missing : {"Fara separator", "sarmale", "ab ur"}) {
            Word(w)->setText(QString::fromLatin1(missing));
            QTest::mouseClick(Button(w, 1003), Qt::LeftButton);
            QVERIFY(Explanation(w)->toPlainText().isEmpty());
            QCOMPARE(log.Messages().last(),
                     QStringLiteral("Cuvantul nu a fost gasit in dictionar!!!"));
            QCOMPARE(log.records.back().owner, &w);
        }
        QCOMPARE(log.records.size(), std::size_t{3});
    }

    void takingAMarkedWord() {
        MessageLog log;
        CDictionaryDlg w(m_session);
        Word(w)->setText(QStringLiteral("marar"));
        QTest::mouseClick(Button(w, 1003), Qt::LeftButton);

        // Nothing marked: the message, and the word stays.
        QTest::mouseClick(Button(w, 1004), Qt::LeftButton);
        QCOMPARE(log.Messages(),
                 QStringList{"selectati un cuvant (prin dublu clic cu mausu pe iel)"});
        QCOMPARE(Word(w)->text(), QStringLiteral("marar"));

        const QString text = Explanation(w)->toPlainText();
        QTextCursor cursor = Explanation(w)->textCursor();
        cursor.setPosition(static_cast<int>(text.indexOf(QStringLiteral("zahar"))));
        cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor, 7);
        Explanation(w)->setTextCursor(cursor);
        QTest::mouseClick(Button(w, 1004), Qt::LeftButton);
        QCOMPARE(Word(w)->text(), QStringLiteral("zahar"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("zahar, "));
        QCOMPARE(log.records.size(), std::size_t{1});

        // A marked text of two characters: only the steps whose positions exist.
        cursor.setPosition(static_cast<int>(text.indexOf(QStringLiteral(", s"))));
        cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor, 2);
        Explanation(w)->setTextCursor(cursor);
        QTest::mouseClick(Button(w, 1004), Qt::LeftButton);
        QVERIFY(Word(w)->text().isEmpty());
        // No look-up follows until the down arrow is pressed.
        QCOMPARE(Explanation(w)->toPlainText(), text);
    }

    // Typing moves the list to the first word that begins with the text, folded and without
    // its blanks, and looks nothing up; the look-up button finds a word typed with blanks.
    void findsAsYouTypeAndIgnoresBlanks() {
        WriteScrambled("dict.txt", "marar#Planta.\nf\xE3in\xE3#Macinis.\nfasole#Boabe.\n"
                                   "\xBAni\xFE"
                                   "el#Carne pane.\nsare#Condiment.\n");
        MessageLog log;
        CDictionaryDlg w(m_session);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(Texts(Words(w)), (QStringList{"fasole", "făină", "marar", "sare", "şniţel"}));
        QTest::mouseClick(Word(w), Qt::LeftButton);
        const struct {
            const char* typed;
            const char* current;
        } steps[] = {
            {" ", nullptr}, {"f", "fasole"}, {"a", "fasole"}, {"i", "făină"}, {"n", "făină"}};
        for (const auto& step : steps) {
            const QListWidgetItem* before = Words(w)->currentItem();
            QTest::keyClicks(Word(w), QString::fromLatin1(step.typed));
            const QListWidgetItem* current = Words(w)->currentItem();
            if (!step.current)
                QCOMPARE(current, before); // blanks alone move nothing
            else
                QCOMPARE(current ? current->text() : QString(), QString::fromUtf8(step.current));
        }
        QVERIFY(Explanation(w)->toPlainText().isEmpty()); // nothing looked up yet
        Word(w)->clear();
        QTest::keyClicks(Word(w), QStringLiteral("SNI"));
        QCOMPARE(Words(w)->currentItem()->text(), QStringLiteral("şniţel"));
        Word(w)->clear();
        QTest::keyClicks(Word(w), QStringLiteral("  sare  "));
        QTest::mouseClick(Button(w, 1003), Qt::LeftButton);
        QCOMPARE(Explanation(w)->toPlainText(), QStringLiteral("Condiment."));
        QVERIFY(log.records.empty());
    }

    void enterInTheWordFieldCloses() {
        MessageLog log;
        CDictionaryDlg w(m_session);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        Word(w)->setFocus();
        QTest::keyClicks(Word(w), QStringLiteral("blat"));
        QTest::keyClick(Word(w), Qt::Key_Return);
        QVERIFY(!w.isVisible());
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QVERIFY(Explanation(w)->toPlainText().isEmpty());
        QVERIFY(log.records.empty());
    }

    void missingDictionaryAndHelp() {
        std::filesystem::remove("dict.txt");
        MessageLog log;
        CDictionaryDlg w(m_session);
        QCOMPARE(Words(w)->count(), 0);
        QVERIFY(log.records.empty()); // silently
        Word(w)->setText(QStringLiteral("blat"));
        QTest::mouseClick(Button(w, 1003), Qt::LeftButton);
        QVERIFY(Explanation(w)->toPlainText().isEmpty());
        QCOMPARE(log.Messages(), QStringList{"Cuvantul nu a fost gasit in dictionar!!!"});

        QTest::mouseClick(Button(w, 1005), Qt::LeftButton);
        QCOMPARE(log.records.back().caption, ui::ApplicationName());
        QCOMPARE(log.records.back().text,
                 QStringLiteral("Tastati cuvantul pe care doriti sa il cautati, \napoi apasati "
                                "butonul cu sageata in jos pentru a \nprimi explicatia!!!"));
    }

private:
    Session m_session;
    std::unique_ptr<TempDataDir> m_dir;
};

QTEST_MAIN(DictionaryWindowTest)
#include "CDictionaryDlg_test.moc"
