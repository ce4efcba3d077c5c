// The own recipe editor on the offscreen platform: its checks and messages, new recipes and
// modifications, and the faults it must survive.
#include "core/files.h"
#include "core/records.h"
#include "core/ui/qt_geometry.h"
#include "core/ui/qt_messages.h"
#include "personal/own_delete.h"
#include "personal/store.h"
#include "personal/ui/COwnRecipeEditDlg.h"
#include "support/read_only_folder.h"
#include "support/support.h"
#include "support/window_checks.h"
#include "support/window_support.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

#include <filesystem>
#include <memory>

using namespace savorel;
using namespace savorel::testing;
using savorel::ui::COwnRecipeEditDlg;

namespace {

const std::string kCatalogue = "m Supe\nh Ciorbe\ni Ciorba de burta ~ RET001.TXT\n";

QLineEdit* Line(QWidget& w, int id) {
    return ui::FindControlAs<QLineEdit>(&w, id);
}
QPlainTextEdit* Text(QWidget& w, int id) {
    return ui::FindControlAs<QPlainTextEdit>(&w, id);
}

void Fill(QWidget& w, const QString& author, const QString& name, const QString& ingredients,
          const QString& preparation) {
    Line(w, 1014)->setText(author);
    Line(w, 1009)->setText(name);
    Text(w, 1010)->setPlainText(ingredients);
    Text(w, 1012)->setPlainText(preparation);
}

void Save(QWidget& w) {
    Click(w, 1003);
}

std::string Plain(const std::string& path) {
    return ReadBack(path, true);
}

} // namespace

class OwnRecipeEditorTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { ui::ApplyApplicationLook(); }
    void init() {
        m_dir = std::make_unique<TempDataDir>();
        WriteScrambled("virt-dir.txt", kCatalogue);
    }
    void cleanup() { m_dir.reset(); }

    void layoutAndTexts() {
        MessageLog log;
        COwnRecipeEditDlg w;
        w.OnInitDialog();
        QCOMPARE(w.windowTitle(), QStringLiteral("Editare reteta personala"));
        QCOMPARE(w.size(), QSize(584, 393));
        QCOMPARE(Line(w, 1009)->geometry(), ui::DluRect(21, 26, 216, 15));
        QCOMPARE(Text(w, 1012)->geometry(), ui::DluRect(20, 102, 348, 114));
        const std::pair<int, const char*> buttons[] = {
            {1003, "Salvare reteta"}, {1004, "Ajutor"}, {1, "Iesire"}};
        for (const auto& [id, text] : buttons)
            QCOMPARE(ui::FindControlAs<QPushButton>(&w, id)->text(), QString::fromLatin1(text));
        QVERIFY(ui::FindControlAs<QPushButton>(&w, 1003)->isDefault());
        QVERIFY(!Line(w, 1009)->isReadOnly());
        VerifyNothingClipped(w, "own_recipe_editor");

        // "Ajutor" explains the two ways of writing ingredients, and writes nothing.
        Click(w, 1004);
        QCOMPARE(log.records.size(), std::size_t(1));
        QVERIFY(log.Messages().at(0).contains(QStringLiteral("unul pe r\u00e2nd")));
        QVERIFY(log.Messages().at(0).contains(QStringLiteral("\u201e;\u201d")));
        QVERIFY(w.isVisible());
        QVERIFY(!Exists("reteta.tmp"));
        auto* hint = w.findChild<QLabel*>(QStringLiteral("ingredientsHint"));
        QVERIFY(hint && hint->isVisible());
        QVERIFY(hint->text().contains(QStringLiteral("unul pe r\u00e2nd")));
    }

    void newRecipeIsStoredAsWindows1250AndTheWindowCloses() {
        MessageLog log;
        COwnRecipeEditDlg w;
        w.OnInitDialog();
        const QString name = QStringLiteral("Ciorb\u0103 de peri\u0219oare \u00eent\u00e2i");
        Fill(w, QStringLiteral("Ana"), name, QStringLiteral("1 l ap\u0103; sare"),
             QStringLiteral("Se fierbe"));
        Save(w);
        QVERIFY(log.records.empty());
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QVERIFY(Line(w, 1009)->text().isEmpty());
        QVERIFY(Text(w, 1010)->toPlainText().isEmpty());
        // s with comma below is kept as the code page's s with cedilla.
        const std::string stored = "Ciorb\xe3 de peri\xbaoare \xeent\xe2i";
        QCOMPARE(
            QByteArray::fromStdString(Plain("xet1.txt")),
            QByteArray::fromStdString("Ana\n#\n" + stored + "\n#\n1 l ap\xe3; sare\n#\nSe fierbe"));
        QCOMPARE(QByteArray::fromStdString(Plain("pers.txt")),
                 QByteArray::fromStdString(PersonalRecord(stored, "xet1.txt") + "\n"));

        // Reloaded for modification, the Romanian letters come back.
        COwnRecipeEditDlg again;
        again.SetEditing(SaveMode::Modification);
        again.SetRecipeFileName("xet1.txt");
        again.OnInitDialog();
        QCOMPARE(Line(again, 1009)->text(),
                 QStringLiteral("Ciorb\u0103 de peri\u015foare \u00eent\u00e2i"));
        QCOMPARE(Text(again, 1010)->toPlainText(), QStringLiteral("1 l ap\u0103; sare"));
    }

    void onePerLineAndEveryLetterAreKeptWhole() {
        MessageLog log;
        COwnRecipeEditDlg w;
        w.OnInitDialog();
        const QString items =
            QStringLiteral("3 c\u0103\u0163ei de usturoi, pisa\u0163i\n1 lb. chicken\n"
                           "Sos:\nto serve: tofu\n1 jalape\u00f1o");
        Fill(w, QStringLiteral("Ana"), QStringLiteral("Cr\u00e8me br\u00fbl\u00e9e"), items,
             QStringLiteral("Se coace la 350\u00b0F.\nSe r\u0103ce\u0219te."));
        Save(w);
        QVERIFY(log.records.empty());
        QCOMPARE(w.result(), int(QDialog::Accepted));
        // The lists carry the title folded to the code page; the file keeps every letter.
        QCOMPARE(QByteArray::fromStdString(Plain("pers.txt")),
                 QByteArray::fromStdString(PersonalRecord("Creme brul\xe9"
                                                          "e",
                                                          "xet1.txt") +
                                           "\n"));
        const std::string stored = Plain("xet1.txt");
        QVERIFY(stored.starts_with("{"));
        QVERIFY(stored.find("\"3 c\xc4\x83\xc5\xa3"
                            "ei de usturoi, pisa\xc5\xa3i\"") != std::string::npos);
        QVERIFY(stored.find("\"heading\": \"Sos\"") != std::string::npos);

        // Loaded again, one item per line, the heading as its own line.
        COwnRecipeEditDlg again;
        again.SetEditing(SaveMode::Modification);
        again.SetRecipeFileName("xet1.txt");
        again.OnInitDialog();
        QCOMPARE(Text(again, 1010)->toPlainText(), items);
        QCOMPARE(Line(again, 1009)->text(), QStringLiteral("Cr\u00e8me br\u00fbl\u00e9e"));
        QCOMPARE(Text(again, 1012)->toPlainText(),
                 QStringLiteral("Se coace la 350\u00b0F.\nSe r\u0103ce\u0219te."));
        // Saved unchanged, the same file.
        Save(again);
        QCOMPARE(Plain("xet1.txt"), stored);
    }

    void checksInOrderWithTheirMessages_data() {
        QTest::addColumn<QString>("author");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("ingredients");
        QTest::addColumn<QString>("preparation");
        QTest::addColumn<QString>("message");
        const QString n = QStringLiteral("Nume");
        const QString tooLong = QStringLiteral("Numarul maxim de caractere admis este 500!");
        QTest::newRow("author 501 hides an empty name")
            << QString(501, QLatin1Char('a')) << QString() << QString() << QString() << tooLong;
        QTest::newRow("name 501") << QString() << QString(501, QLatin1Char('n')) << QString()
                                  << QString() << tooLong;
        QTest::newRow("empty name") << QStringLiteral("Ana") << QString() << QString() << QString()
                                    << QStringLiteral("Reteta trebuie sa aiba un nume!!!");
        QTest::newRow("ingredients 1501")
            << QString() << n << QString(1501, QLatin1Char('i')) << QString()
            << QStringLiteral("Numarul maxim de caractere admis pentru ingrediente este 1500!");
        // 751 line breaks count as 1502 characters, as the edit control counts them.
        QTest::newRow("ingredients 751 line breaks")
            << QString() << n << QString(751, QLatin1Char('\n')) << QString()
            << QStringLiteral("Numarul maxim de caractere admis pentru ingrediente este 1500!");
        QTest::newRow("preparation 8001")
            << QString() << n << QString() << QString(8001, QLatin1Char('p'))
            << QStringLiteral("Numarul maxim de caractere admis pentru reteta este 8000!");
        // A half-typed recipe (Enter in the name field saves) never reaches the lists.
        QTest::newRow("nothing but a name")
            << QStringLiteral("Ana") << n << QStringLiteral(" \n ") << QStringLiteral("\n")
            << QStringLiteral("Reteta trebuie sa aiba ingrediente sau mod de preparare!!!");
    }
    void checksInOrderWithTheirMessages() {
        QFETCH(QString, author);
        QFETCH(QString, name);
        QFETCH(QString, ingredients);
        QFETCH(QString, preparation);
        QFETCH(QString, message);
        MessageLog log;
        COwnRecipeEditDlg w;
        w.OnInitDialog();
        w.setResult(-7);
        Fill(w, author, name, ingredients, preparation);
        Save(w);
        QCOMPARE(log.Messages(), QStringList{message});
        QCOMPARE(log.records.front().owner, static_cast<QWidget*>(&w));
        QCOMPARE(w.result(), -7); // still open
        QVERIFY(!w.Saving());
        QCOMPARE(Line(w, 1014)->text(), author); // as the user left them
        QCOMPARE(Text(w, 1010)->toPlainText(), ingredients);
        QVERIFY(!Exists("xet1.txt"));
        QVERIFY(!Exists("pers.txt"));
    }

    void exactLimitsAreSavedWhole() {
        MessageLog log;
        COwnRecipeEditDlg w;
        w.OnInitDialog();
        Fill(w, QString(500, QLatin1Char('a')), QString(500, QLatin1Char('n')),
             QString(750, QLatin1Char('\n')), QString(8000, QLatin1Char('p')));
        Save(w);
        QVERIFY(log.records.empty());
        const std::string file = Plain("xet1.txt");
        QCOMPARE(file.size(), 500 + 3 + 500 + 3 + 1500 + 3 + 8000u);
    }

    void savingFlagEndsASecondEntry() {
        COwnRecipeEditDlg w;
        w.OnInitDialog();
        w.setResult(-7);
        int boxes = 0;
        // A second press while the refusal's box is up ends the window.
        const auto previous = ui::SetMessageFunction([&](const ui::MessageRecord&) {
            if (++boxes == 1)
                w.OnSaveRecipe();
        });
        Save(w);
        ui::SetMessageFunction(previous);
        QCOMPARE(boxes, 1);
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QVERIFY(!Exists("xet1.txt"));
    }

    void enterSavesFromTheNameFieldOnly() {
        MessageLog log;
        COwnRecipeEditDlg w;
        w.OnInitDialog();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        Text(w, 1010)->setFocus();
        QTest::keyClick(Text(w, 1010), Qt::Key_A);
        QTest::keyClick(Text(w, 1010), Qt::Key_Return);
        QTest::keyClick(Text(w, 1010), Qt::Key_B);
        QCOMPARE(Text(w, 1010)->toPlainText(), QStringLiteral("a\nb"));
        QVERIFY(!Exists("reteta.tmp"));
        Line(w, 1009)->setText(QStringLiteral("Paine"));
        Line(w, 1009)->setFocus();
        QTest::keyClick(Line(w, 1009), Qt::Key_Return);
        // Two lines of ingredients: two items, kept in the lossless form.
        const std::string stored = Plain("xet1.txt");
        QVERIFY(stored.starts_with("{"));
        QVERIFY(stored.find("\"recipeIngredient\": [\n\t\t\"a\",\n\t\t\"b\"\n\t]") !=
                std::string::npos);
    }

    void servingsFieldIsTheFirstIngredientItem() {
        MessageLog log;
        COwnRecipeEditDlg w;
        w.OnInitDialog();
        auto* servings = ui::FindControlAs<QSpinBox>(&w, 1015);
        QVERIFY(servings);
        QCOMPARE(servings->value(), 0); // optional: none until chosen
        Fill(w, QString(), QStringLiteral("Ciorba"), QStringLiteral("400 g carne; sare"),
             QStringLiteral("Se fierbe"));
        QTest::keyClick(servings, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(servings, QStringLiteral("4"));
        QCOMPARE(servings->value(), 4);
        VerifyNothingClipped(w, "own_recipe_servings");
        SaveWindowShot(w, "own_recipe_servings");
        Save(w);
        QVERIFY(log.records.empty());
        QCOMPARE(QByteArray::fromStdString(Plain("xet1.txt")),
                 QByteArray("\n#\nCiorba\n#\n4 portii; 400 g carne; sare\n#\nSe fierbe"));
        QCOMPARE(servings->value(), 0); // emptied with the other fields

        // Modifying shows it again; unchanged, the item is saved with its own bytes.
        WriteScrambled("xet2.txt", "\n#\nSupa\n#\n2 por\xFEii;1 l apa\n#\nP");
        QVERIFY(AppendListLine("pers.txt", PersonalRecord("Supa", "xet2.txt")));
        auto modify = [&](auto&& act) {
            COwnRecipeEditDlg m;
            m.SetEditing(SaveMode::Modification);
            m.SetRecipeFileName("xet2.txt");
            m.OnInitDialog();
            act(m, *ui::FindControlAs<QSpinBox>(&m, 1015));
            Save(m);
            return Plain("xet2.txt");
        };
        int shown = 0;
        QString field;
        std::string saved = modify([&](COwnRecipeEditDlg& m, QSpinBox& s) {
            shown = s.value();
            field = Text(m, 1010)->toPlainText();
        });
        QCOMPARE(shown, 2);
        QCOMPARE(field, QStringLiteral("1 l apa"));
        QVERIFY(saved.find("#\n2 por\xFEii;1 l apa\n#") != std::string::npos);
        // Another number writes the item anew; none takes it out.
        saved = modify([](COwnRecipeEditDlg&, QSpinBox& s) {
            QTest::keyClick(&s, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(&s, QStringLiteral("6"));
        });
        QVERIFY(saved.find("#\n6 portii; 1 l apa\n#") != std::string::npos);
        saved =
            modify([](COwnRecipeEditDlg&, QSpinBox& s) { QTest::keyClick(&s, Qt::Key_PageDown); });
        QVERIFY(saved.find("#\n1 l apa\n#") != std::string::npos);
        QVERIFY(log.records.empty());
    }

    void modificationLoadsAndRewritesOnlyItsFile() {
        MessageLog log;
        WriteScrambled("xet1.txt", "Ana\n#\nCiorba\n#\n1 l apa\r\nsare\n#\nSe fierbe\r\nbine");
        WriteScrambled("pers.txt", PersonalRecord("Ciorba", "xet1.txt") + "\n");
        const std::string list = ReadBack("pers.txt");
        const std::string catalogue = ReadBack("virt-dir.txt");
        COwnRecipeEditDlg w;
        w.SetEditing(SaveMode::Modification);
        w.SetRecipeFileName("xet1.txt");
        w.OnInitDialog();
        QVERIFY(Line(w, 1009)->isReadOnly());
        QCOMPARE(Line(w, 1009)->text(), QStringLiteral("Ciorba"));
        // Everything comes back as saved, so an unchanged save writes the same bytes.
        QCOMPARE(Line(w, 1014)->text(), QStringLiteral("Ana"));
        QCOMPARE(Text(w, 1010)->toPlainText(), QStringLiteral("1 l apa\nsare"));
        QCOMPARE(Text(w, 1012)->toPlainText(), QStringLiteral("Se fierbe\nbine"));
        const std::string before = ReadBack("xet1.txt");
        Save(w);
        QVERIFY(log.records.empty());
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QVERIFY(ReadBack("xet1.txt") == before);
        QVERIFY(ReadBack("pers.txt") == list);
        QVERIFY(ReadBack("virt-dir.txt") == catalogue);
        QVERIFY(!Exists("xet2.txt"));
    }

    // Another copy deletes the recipe while it is open here. The save writes nothing and asks
    // whether to keep the text as a new recipe: "Nu" leaves the window open with the text,
    // "Da" stores it as a new recipe in both lists. Each box is answered by a click.
    void modificationOfARecipeDeletedMeanwhileAsksToKeepItAsNew() {
        MessageLog log;
        ModalScript script;
        const std::string original = "Ana\n#\nCiorba\n#\napa\n#\nvechi";
        WriteScrambled("virt-dir.txt", kCatalogue + "i Ciorba ~ xet1.txt\n");
        WriteScrambled("pers.txt", PersonalRecord("Ciorba", "xet1.txt") + "\n");
        WriteScrambled("xet1.txt", original);
        COwnRecipeEditDlg w;
        w.SetEditing(SaveMode::Modification);
        w.SetRecipeFileName("xet1.txt");
        w.OnInitDialog();
        w.setResult(-7);
        Text(w, 1012)->setPlainText(QStringLiteral("nou"));
        QCOMPARE(DeleteOwnRecipe("xet1.txt"), DeleteOwnResult::Deleted);
        const std::string list = ReadBack("pers.txt"), catalogue = ReadBack("virt-dir.txt");

        QStringList asked;
        for (const char* answer : {"no", "yes"})
            script.Push([&, answer](QDialog& box) {
                box.show();
                if (!QTest::qWaitForWindowExposed(&box))
                    return -1;
                asked << box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))->text();
                QTest::mouseClick(box.findChild<QPushButton*>(QString::fromLatin1(answer)),
                                  Qt::LeftButton);
                return box.result();
            });
        Save(w);
        QCOMPARE(asked, QStringList{QStringLiteral(
                            "Reteta a fost stearsa intre timp. O pastrati ca reteta noua?")});
        QVERIFY(log.records.empty());
        QCOMPARE(w.result(), -7);
        QVERIFY(!w.Saving());
        QCOMPARE(Text(w, 1012)->toPlainText(), QStringLiteral("nou"));
        QCOMPARE(Line(w, 1009)->text(), QStringLiteral("Ciorba"));
        QVERIFY(!Exists("xet1.txt"));
        QVERIFY(!Exists("xet2.txt"));
        QVERIFY(ReadBack("pers.txt") == list);
        QVERIFY(ReadBack("virt-dir.txt") == catalogue);
        QCOMPARE(QByteArray::fromStdString(Plain("sterse/xet1.txt")),
                 QByteArray::fromStdString(original));

        Save(w);
        QCOMPARE(asked.size(), 2);
        QCOMPARE(asked.last(), asked.first());
        QVERIFY(log.records.empty());
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QCOMPARE(w.Editing(), SaveMode::NewRecipe);
        // A new file: the kept copy's name is not given again.
        QVERIFY(!Exists("xet1.txt"));
        QCOMPARE(QByteArray::fromStdString(Plain("xet2.txt")),
                 QByteArray("Ana\n#\nCiorba\n#\napa\n#\nnou"));
        QCOMPARE(QByteArray::fromStdString(Plain("pers.txt")),
                 QByteArray::fromStdString(PersonalRecord("Ciorba", "xet2.txt") + "\n"));
        QVERIFY(Plain("virt-dir.txt").ends_with(CatalogueEntry("Ciorba", "xet2.txt") + "\n"));
        QCOMPARE(QByteArray::fromStdString(Plain("sterse/xet1.txt")),
                 QByteArray::fromStdString(original));
        QCOMPARE(script.opened.size(), 2);
    }

    void modificationOfAMissingFileRefusesEverySave() {
        MessageLog log;
        COwnRecipeEditDlg w;
        w.SetEditing(SaveMode::Modification);
        w.SetRecipeFileName("xet9.txt");
        w.OnInitDialog();
        QCOMPARE(log.Messages(), QStringList{QStringLiteral("Cannot open the file")});
        QVERIFY(Line(w, 1009)->isReadOnly());
        Save(w);
        QCOMPARE(log.Messages().last(), QStringLiteral("Reteta trebuie sa aiba un nume!!!"));
        QVERIFY(!Exists("xet9.txt"));
    }

    void missingCatalogueTellsAndClosesWithNothingHalfWritten() {
        MessageLog log;
        std::remove("virt-dir.txt");
        COwnRecipeEditDlg w;
        w.OnInitDialog();
        Fill(w, QStringLiteral("Ana"), QStringLiteral("Ciorba"), QString(),
             QStringLiteral("Fierbe"));
        Save(w);
        QCOMPARE(log.Messages(), QStringList{QStringLiteral("Cannot open the input file")});
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QVERIFY(!Exists("xet1.txt"));
        QVERIFY(!Exists("pers.txt"));
        QVERIFY(!Exists("virt-dir.txt"));
        QCOMPARE(QByteArray::fromStdString(Plain("reteta.tmp")),
                 QByteArray("Ana\n#\nCiorba\n#\n\n#\nFierbe"));
    }

    void readOnlyFolderKeepsTheWindowAndTheText() {
        MessageLog log;
        COwnRecipeEditDlg w;
        w.OnInitDialog();
        w.setResult(-7);
        Fill(w, QStringLiteral("Ana"), QStringLiteral("Ciorba"), QStringLiteral("apa"),
             QStringLiteral("fierbe"));
        // First no working file can be created; then one left writable from before takes the
        // fields, but the recipe file cannot be.
        for (int round = 0; round < 2; ++round) {
            if (round == 1) {
                WritePlain("reteta.tmp", "");
                std::filesystem::permissions("reteta.tmp", std::filesystem::perms::all);
            }
            {
                ReadOnlyFolder readOnly;
                Save(w);
            }
            QCOMPARE(log.Messages().size(), round + 1);
            QCOMPARE(log.Messages().last(), QStringLiteral("Cannot open the output file..."));
            QCOMPARE(w.result(), -7);
            QVERIFY(!w.Saving());
            QCOMPARE(Line(w, 1009)->text(), QStringLiteral("Ciorba"));
            QCOMPARE(Text(w, 1012)->toPlainText(), QStringLiteral("fierbe"));
        }
        QCOMPARE(QByteArray::fromStdString(Plain("reteta.tmp")),
                 QByteArray("Ana\n#\nCiorba\n#\napa\n#\nfierbe"));
        QVERIFY(!Exists("xet1.txt"));
        // Once the folder is writable again, the same press saves.
        Save(w);
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QVERIFY(Exists("xet1.txt"));
    }

private:
    std::unique_ptr<TempDataDir> m_dir;
};

QTEST_MAIN(OwnRecipeEditorTest)
#include "COwnRecipeEditDlg_test.moc"
