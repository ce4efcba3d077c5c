// Recipes dragged out of the lists: what the drag carries, what a drop is believed to
// carry, and a list whose entries can be dragged still choosing an entry on a click.
#include "core/ui/qt_list_box.h"
#include "core/ui/qt_recipe_drag.h"
#include "core/ui/qt_text.h"

#include <QMimeData>
#include <QtTest>

#include <memory>

using namespace savorel;
using savorel::ui::RecipeRef;

namespace {

std::unique_ptr<QMimeData> Raw(const QByteArray& bytes) {
    auto data = std::make_unique<QMimeData>();
    data->setData(QString::fromLatin1(ui::kRecipeMimeType), bytes);
    return data;
}

} // namespace

class RecipeDragTest : public QObject {
    Q_OBJECT
private slots:
    void carriesNameAndTitle() {
        const RecipeRef recipe{"RET012.TXT", "Ciorb\xe3 de peri\xbaoare"};
        std::unique_ptr<QMimeData> data(ui::RecipeMimeData(recipe));
        const auto back = ui::RecipeFromMime(data.get());
        QVERIFY(back);
        QCOMPARE(back->fileName, recipe.fileName);
        QCOMPARE(back->title, recipe.title);
        // Other programs get the title as text, in its letters.
        QCOMPARE(data->text(), QStringLiteral("Ciorbă de perişoare"));
    }

    void refusesWhatNamesNoDataFile_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("no line break") << QByteArray("RET001.TXT");
        QTest::newRow("empty name") << QByteArray("\nTitlu");
        QTest::newRow("a folder") << QByteArray("../pers.txt\nTitlu");
        QTest::newRow("a path") << QByteArray("/etc/passwd\nTitlu");
        QTest::newRow("a second line") << QByteArray("RET001.TXT\nTitlu\nmai mult");
        QTest::newRow("a carriage return") << QByteArray("RET001.TXT\r\nTitlu");
        QTest::newRow("a zero byte") << QByteArray("RET\0.TXT\nTitlu", 15);
        QTest::newRow("an overlong name") << QByteArray(256, 'a') + "\nTitlu";
        QTest::newRow("an overlong title") << QByteArray("RET001.TXT\n") + QByteArray(1001, 'a');
    }
    void refusesWhatNamesNoDataFile() {
        QFETCH(QByteArray, bytes);
        QVERIFY(!ui::RecipeFromMime(Raw(bytes).get()));
    }

    void acceptsTheLongestAllowed() {
        const auto back =
            ui::RecipeFromMime(Raw(QByteArray(255, 'a') + '\n' + QByteArray(1000, 'b')).get());
        QVERIFY(back);
        QCOMPARE(back->fileName.size(), std::size_t{255});
        QCOMPARE(back->title.size(), std::size_t{1000});
        QVERIFY(!ui::RecipeFromMime(nullptr));
        QMimeData text;
        text.setText(QStringLiteral("RET001.TXT\nTitlu"));
        QVERIFY(!ui::RecipeFromMime(&text));
    }

    // A press held back for a drag still chooses the entry when the mouse is released where
    // it was; a press that moves away drags the entry and chooses nothing.
    void clickChoosesAndMoveDrags() {
        ui::SortedListBox list;
        list.resize(200, 120);
        list.addItems({QStringLiteral("Ardei umpluţi"), QStringLiteral("Ciorbă"),
                       QStringLiteral("nu e reţetă")});
        list.item(2)->setFlags(Qt::NoItemFlags);
        int chosen = 0;
        list.onSelchange = [&] { ++chosen; };
        ui::RecipeDragSource source(&list, [&](const QModelIndex& index) {
            return std::optional<RecipeRef>(
                RecipeRef{"RET00" + std::to_string(index.row()) + ".TXT",
                          ui::ToCp1250(list.item(index.row())->text())});
        });
        QStringList dragged;
        source.startDrag = [&](QMimeData* data) {
            std::unique_ptr<QMimeData> owned(data);
            const auto recipe = ui::RecipeFromMime(owned.get());
            dragged << (recipe ? QString::fromStdString(recipe->fileName) : QStringLiteral("?"));
        };
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));

        const QPoint second = list.visualItemRect(list.item(1)).center();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, second);
        QCOMPARE(chosen, 1);
        QCOMPARE(list.currentRow(), 1);
        QVERIFY(dragged.isEmpty());

        const QPoint first = list.visualItemRect(list.item(0)).center();
        QTest::mousePress(list.viewport(), Qt::LeftButton, {}, first);
        QTest::mouseMove(list.viewport(), first + QPoint(2, 1)); // within the drag distance
        QVERIFY(dragged.isEmpty());
        QMouseEvent move(QEvent::MouseMove, QPointF(first + QPoint(40, 30)),
                         list.viewport()->mapToGlobal(QPointF(first + QPoint(40, 30))),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list.viewport(), &move);
        QCOMPARE(dragged, QStringList{"RET000.TXT"});
        QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, first + QPoint(40, 30));
        QCOMPARE(chosen, 1); // the dragged entry was never chosen
        QCOMPARE(list.currentRow(), 1);
        QCOMPARE(*source.RecipeAtPoint(first), (RecipeRef{"RET000.TXT", "Ardei umplu\xfei"}));

        // An entry that is no recipe is clicked as before and never dragged.
        const QPoint third = list.visualItemRect(list.item(2)).center();
        QVERIFY(!source.RecipeAtPoint(third));
        QVERIFY(!source.RecipeAtPoint(QPoint(5, 115)));
    }
};

QTEST_MAIN(RecipeDragTest)
#include "qt_recipe_drag_test.moc"
