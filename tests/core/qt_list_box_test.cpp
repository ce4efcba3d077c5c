// The sorted list box: entries in Romanian order, one by one or many at once.
#include "core/ui/qt_geometry.h"
#include "core/ui/qt_list_box.h"
#include "support/window_support.h"

#include <QtTest>

#include <random>

using namespace savorel;

class SortedListBoxTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ui::ApplyApplicationLook(); }

    void entriesInRomanianOrder() {
        ui::SortedListBox list;
        for (const char* s : {"ţuică", "Tort", "copie 10", "şniţel", "Salată", "copie 2", "ăsta",
                              "Ardei", "îngheţată", "Iaurt"})
            list.AddString(QString::fromUtf8(s));
        QCOMPARE(testing::Texts(&list),
                 (QStringList{"Ardei", "ăsta", "copie 2", "copie 10", "Iaurt", "îngheţată",
                              "Salată", "şniţel", "Tort", "ţuică"}));
    }

    // Many at once land where one by one would put them, equal entries in the order given,
    // also when the list already holds some.
    void manyAtOnceAsOneByOne() {
        const QStringList letters = {"a", "ă", "A", "Â", "b",  "s", "ş",
                                     "t", "ţ", " ", "1", "10", "2"};
        std::mt19937 random(26);
        for (int round = 0; round < 20; ++round) {
            QStringList texts;
            for (int i = 0; i < 200; ++i) {
                QString t;
                for (int k = 0; k < 1 + static_cast<int>(random() % 4); ++k)
                    t += letters[static_cast<int>(random() % letters.size())];
                texts << t;
            }
            ui::SortedListBox one, many, mixed;
            for (const QString& t : texts)
                one.AddString(t);
            many.AddStrings(texts);
            mixed.AddString(texts[0]);
            mixed.AddStrings(texts.mid(1));
            QCOMPARE(testing::Texts(&many), testing::Texts(&one));
            QCOMPARE(testing::Texts(&mixed), testing::Texts(&one));
        }
    }
};

QTEST_MAIN(SortedListBoxTest)
#include "qt_list_box_test.moc"
