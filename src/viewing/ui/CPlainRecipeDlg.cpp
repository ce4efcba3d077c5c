#include "viewing/ui/CPlainRecipeDlg.h"

#include "catalogue/page.h"
#include "core/files.h"
#include "core/folders.h"
#include "core/scramble.h"
#include "core/ui/qt_geometry.h"
#include "core/ui/qt_messages.h"
#include "core/ui/qt_text.h"
#include "viewing/recipe_view.h"

#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>

namespace savorel::ui {

namespace {

Backdrop& PlainBackdrop() {
    static Backdrop backdrop(QStringLiteral(":/img/backdrop148.svg"));
    return backdrop;
}

QPlainTextEdit* MakeField(QWidget* parent, int id, const char* name, int x, int y, int w, int h,
                          bool scrollBar) {
    auto* field = new QPlainTextEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setReadOnly(true);
    field->setVerticalScrollBarPolicy(scrollBar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    Place(field, id, x, y, w, h);
    return field;
}

} // namespace

CPlainRecipeDlg::CPlainRecipeDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral(
        "Instalati-va Internet Explorer pentru a dispune de toate facilitatile acestui program!"));
    setFixedSize(DluX(393), DluY(242));
    m_preparation = MakeField(this, 1012, "preparation", 20, 79, 354, 131, true);
    m_ingredients = MakeField(this, 1010, "ingredients", 19, 44, 354, 23, true);
    m_title = MakeField(this, 1009, "title", 19, 22, 200, 14, false);
    m_title->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // A one-line field 14 dialog units high: keep the text clear of the frame.
    m_title->document()->setDocumentMargin(1);
    auto* exit = new QPushButton(QStringLiteral("Iesire"), this);
    exit->setObjectName(QStringLiteral("exit"));
    exit->setDefault(true);
    Place(exit, 1, 280, 217, 94, 15);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);
}

void CPlainRecipeDlg::OnInitDialog(const OpenedRecipe& recipe) {
    // The copy its opener wrote, never what reteta.txt holds by now.
    const std::string& copy = recipe.copy;
    if (!recipe.copyWritten) {
        ShowMessage(this, QStringLiteral("Cannot open the file"));
        return;
    }
    const PlainRecipeFields fields = ParsePlainRecipe(ScrambleBytes(copy));
    const auto shown = [&](const std::string& text) {
        return fields.utf8 ? QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))
                           : FromCp1250(text);
    };
    m_title->setPlainText(shown(fields.title));
    m_ingredients->setPlainText(shown(fields.ingredients));
    m_preparation->setPlainText(shown(fields.preparation));
}

void CPlainRecipeDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PlainBackdrop().Paint(painter, size(), size());
}

} // namespace savorel::ui
