#include "personal/ui/COwnRecipeEditDlg.h"

#include "catalogue/servings.h"
#include "core/store_lock.h"
#include "core/ui/qt_geometry.h"
#include "core/ui/qt_messages.h"
#include "core/ui/qt_text.h"
#include "personal/store.h"

#include <QColor>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>

#include <algorithm>

namespace savorel::ui {

namespace {

constexpr const char* kIngredientsHint =
    "c\xc3\xa2te unul pe r\xc3\xa2nd, sau separate prin \xe2\x80\x9e;\xe2\x80\x9d";
constexpr const char* kEditorHelp =
    "Ingredientele se scriu \xc3\xaen dou\xc4\x83 feluri:\n"
    "\xe2\x80\xa2 c\xc3\xa2te unul pe r\xc3\xa2nd (un r\xc3\xa2nd care se termin\xc4\x83 cu "
    "\xe2\x80\x9e:\xe2\x80\x9d este "
    "titlul ingredientelor de sub el, de exemplu \xe2\x80\x9e"
    "Aluat:\xe2\x80\x9d);\n"
    "\xe2\x80\xa2 pe un singur r\xc3\xa2nd, separate prin \xe2\x80\x9e;\xe2\x80\x9d.\n"
    "C\xc3\xa2mpul \xe2\x80\x9ePortii\xe2\x80\x9d spune pentru c\xc3\xa2te persoane este re\xc8\x9b"
    "eta; "
    "calculul caloriilor \xc3\xaemparte totalul la ele.";

Backdrop& EditorBackdrop() {
    static Backdrop backdrop(QStringLiteral(":/img/backdrop144.svg"));
    return backdrop;
}

QLineEdit* MakeLine(QWidget* parent, int id, const char* name, int x, int y, int w, int h) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    Place(field, id, x, y, w, h);
    return field;
}

QPlainTextEdit* MakeText(QWidget* parent, int id, const char* name, int x, int y, int w, int h) {
    auto* field = new QPlainTextEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Enter starts a new line; Tab moves on, as in the platform's multi-line edit.
    field->setTabChangesFocus(true);
    Place(field, id, x, y, w, h);
    return field;
}

QPushButton* PlaceButton(QWidget* parent, int id, const char* name, const char* text, int x) {
    return ui::MakeButton(parent, id, name, QString::fromLatin1(text), x, 222, id == 1 ? 106 : 107,
                          17);
}

QLabel* MakeLabel(QWidget* parent, const char* text, int x, int y, int w, int h) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setWordWrap(false);
    // Light on the dark backdrop, as the other windows' labels.
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(0xf4, 0xea, 0xd8));
    label->setPalette(palette);
    // Our sans font runs wider than the one the template was laid out for; the labels have
    // free space to their right and below, so they grow rather than cut their text.
    const QRect rect = DluRect(x, y, w, h);
    const QSize needed = label->sizeHint();
    label->setGeometry(rect.x(), rect.y(), std::max(rect.width(), needed.width()),
                       std::max(rect.height(), needed.height()));
    return label;
}

} // namespace

COwnRecipeEditDlg::COwnRecipeEditDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Editare reteta personala"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(DluX(389), DluY(242));

    // Created in the template's order, which is the tab order.
    m_name = MakeLine(this, 1009, "name", 21, 26, 216, 15);
    m_author = MakeLine(this, 1014, "author", 257, 25, 108, 15);
    m_ingredients = MakeText(this, 1010, "ingredients", 20, 56, 347, 31);
    m_preparation = MakeText(this, 1012, "preparation", 20, 102, 348, 114);
    QPushButton* save = PlaceButton(this, 1003, "save", "Salvare reteta", 19);
    save->setDefault(true);
    QPushButton* help = PlaceButton(this, 1004, "help", "Ajutor", 140);
    QPushButton* exit = PlaceButton(this, 1, "exit", "Iesire", 259);
    MakeLabel(this, "NUMELE RETETEI", 21, 12, 62, 8);
    MakeLabel(this, "INGREDIENTE", 23, 44, 45, 8);
    // The field is multi-line and invites one ingredient per line; say that it works.
    MakeLabel(this, kIngredientsHint, 75, 44, 170, 8)
        ->setObjectName(QStringLiteral("ingredientsHint"));
    MakeLabel(this, "MOD DE PREPARARE", 19, 90, 78, 8);
    MakeLabel(this, "AUTOR", 258, 13, 26, 8);
    // Optional: how many the recipe feeds, kept as the first item of the ingredients.
    MakeLabel(this, "Portii", 258, 44, 26, 8);
    m_servings = new QSpinBox(this);
    m_servings->setObjectName(QStringLiteral("servings"));
    m_servings->setRange(0, kMaxServings);
    m_servings->setSpecialValueText(QStringLiteral(" "));
    Place(m_servings, 1015, 288, 41, 44, 13);
    // In the tab order after the author, before the ingredients.
    setTabOrder(m_author, m_servings);
    setTabOrder(m_servings, m_ingredients);

    connect(save, &QPushButton::clicked, this, &COwnRecipeEditDlg::OnSaveRecipe);
    connect(help, &QPushButton::clicked, this,
            [this] { ShowMessage(this, QString::fromUtf8(kEditorHelp)); });
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);
}

int COwnRecipeEditDlg::DoModal() {
    OnInitDialog();
    return RunModal(*this);
}

void COwnRecipeEditDlg::OnInitDialog() {
    if (m_initialised)
        return;
    m_initialised = true;
    m_name->setFocus();
    if (m_editing != SaveMode::Modification)
        return;
    m_name->setReadOnly(true);
    if (const auto lossless = LoadLosslessOwnRecipe(m_recipeFileName)) {
        // Its items one per line, as it was written.
        const auto utf8 = [](const std::string& text) {
            return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        };
        m_loadedLossless = true;
        m_loadedFacts = lossless->facts;
        m_author->setText(utf8(lossless->typed.author));
        m_name->setText(utf8(lossless->typed.name));
        m_servings->setValue(lossless->typed.servings);
        m_ingredients->setPlainText(utf8(lossless->typed.ingredients));
        m_preparation->setPlainText(utf8(lossless->typed.preparation));
        return;
    }
    const auto recipe = LoadOwnRecipe(m_recipeFileName);
    if (!recipe) {
        ShowMessage(this, QString::fromLatin1(kRecipeUnreadable));
        return;
    }
    // The fields as saved; the edit widgets hold line feeds, saving makes them pairs again.
    const auto shown = [](std::string_view stored) {
        return FromCp1250(std::string(stored))
            .replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    };
    m_author->setText(shown(recipe->author));
    m_name->setText(shown(recipe->name));
    std::string_view ingredients = recipe->ingredients;
    if (const auto stated = ServingsOfIngredients(ingredients)) {
        m_loadedServings = stated->servings;
        m_loadedServingsPrefix = std::string(ingredients.substr(0, stated->prefixLength));
        ingredients.remove_prefix(stated->prefixLength);
        m_servings->setValue(stated->servings);
    }
    m_ingredients->setPlainText(shown(ingredients));
    m_loadedIngredients = m_ingredients->toPlainText();
    m_preparation->setPlainText(shown(recipe->preparation));
}

void COwnRecipeEditDlg::OnSaveRecipe() {
    if (m_saving) {
        done(QDialog::Accepted);
        return;
    }
    m_saving = true;
    const TypedRecipe typedText{m_author->text().toStdString(), m_name->text().toStdString(),
                                m_ingredients->toPlainText().toStdString(),
                                m_preparation->toPlainText().toStdString(), m_servings->value()};
    const bool asLoaded =
        m_editing == SaveMode::Modification && m_ingredients->toPlainText() == m_loadedIngredients;
    const bool lossless = m_loadedLossless || NeedsLosslessForm(typedText, asLoaded);
    const auto save = [&] {
        if (lossless)
            return SaveLosslessFromEditor(m_editing, RecipeFromTyped(typedText, m_loadedFacts),
                                          m_recipeFileName);
        const OwnRecipeFields typed{ToCp1250(m_author->text()), ToCp1250(m_name->text()),
                                    IngredientsToStore(),
                                    StoredLineBreaks(ToCp1250(m_preparation->toPlainText()))};
        return SaveFromEditor(m_editing, typed, m_recipeFileName);
    };
    EditorSaveResult saved = save();
    if (!saved.busy && saved.written == WorkingFileResult::Written &&
        saved.outcome.result == StoreResult::RecipeDeleted) {
        // Another copy deleted the recipe while it was open here: nothing was written. The
        // text is kept as a new recipe only when the user says so; otherwise it stays here.
        if (!AskQuestion(this, QString::fromLatin1(kRecipeDeletedMeanwhile))) {
            m_saving = false;
            return;
        }
        m_editing = SaveMode::NewRecipe;
        m_recipeFileName.clear();
        m_loadedFacts.identifier.clear(); // a recipe of its own, beside the kept copy
        saved = save();
    }
    if (saved.busy) {
        // Another copy of the program is saving: nothing was written, the text stays.
        ShowMessage(this, QString::fromLatin1(kStoreBusy));
        m_saving = false;
        return;
    }
    const WorkingFileResult written = saved.written;
    if (written != WorkingFileResult::Written) {
        // A refused field, or a working file that cannot be written: the window stays open
        // with everything the user typed.
        const char* refusal = RefusalMessage(written);
        ShowMessage(this, QString::fromLatin1(refusal ? refusal : kStoreNotWritten));
        m_saving = false;
        return;
    }
    const StoreOutcome& outcome = saved.outcome;
    if (outcome.fieldsEmptied) {
        m_author->clear();
        m_name->clear();
        m_ingredients->clear();
        m_preparation->clear();
        m_servings->setValue(0);
    }
    if (const char* message = StoreMessage(outcome.result))
        ShowMessage(this, QString::fromLatin1(message));
    if (outcome.result == StoreResult::RecipeNotWritten) {
        // Nothing of it was stored: keep the user's text in the window.
        m_saving = false;
        return;
    }
    done(QDialog::Accepted);
}

std::string COwnRecipeEditDlg::IngredientsToStore() const {
    const std::string typed = StoredLineBreaks(ToCp1250(m_ingredients->toPlainText()));
    const int servings = m_servings->value();
    if (servings == 0)
        return typed;
    if (servings == m_loadedServings && m_ingredients->toPlainText() == m_loadedIngredients)
        return m_loadedServingsPrefix + typed;
    return ServingsItemText(servings) + (typed.empty() ? "" : "; ") + typed;
}

void COwnRecipeEditDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    EditorBackdrop().Paint(painter, size(), size());
}

} // namespace savorel::ui
