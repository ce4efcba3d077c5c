#include "personal/COwnRecipesDlg.h"

#include "catalogue/page.h"
#include "core/qt_dialogs.h"
#include "personal/COwnRecipeEditDlg.h"
#include "personal/exchange.h"
#include "personal/own_list.h"
#include "personal/qt_record_list.h"
#include "personal/records.h"
#include "personal/store.h"
#include "viewing/qt_open_recipe.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QPainter>
#include <QPushButton>

namespace savorel::ui {

namespace {

const char* const kEmptyList = "Lista retetelor personale este goala...";
const char* const kSelectExisting = "Selectati o reteta existenta!!!!!!!!!!";
const char* const kHelp = "Adaugati retete proprii, altele decat cele existente!!!";
const char* const kRefilled = "Begin";

Backdrop& OwnRecipesBackdrop() {
    static Backdrop backdrop(QStringLiteral(":/img/backdrop150.svg"));
    return backdrop;
}

// The known size of pers.txt outlives the window: the next opening starts from it.
OwnRecipesWatch& Watch() {
    static OwnRecipesWatch watch;
    return watch;
}

} // namespace

COwnRecipesDlg::COwnRecipesDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Retete proprii scrise de dumneavoastra"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(DluX(374), DluY(213));

    QPushButton* add =
        MakeButton(this, 1003, "addRecipe", QStringLiteral("Adaugare retete noi"), 282, 13, 91, 19);
    // Deletion of own recipes is not offered: the button exists, hidden, and nothing shows it.
    QPushButton* remove =
        MakeButton(this, 1004, "deleteRecipes", QStringLiteral("Stergere retete"), 281, 36, 92, 19);
    remove->setVisible(false);
    QPushButton* modify = MakeButton(this, 1005, "modifyRecipe",
                                     QStringLiteral("Modificare reteta"), 282, 58, 91, 19);
    QPushButton* help = MakeButton(this, 1006, "help", QStringLiteral("Ajutor"), 281, 80, 92, 19);
    QPushButton* import =
        MakeButton(this, 1007, "importRecipes", QStringLiteral("Import"), 282, 103, 91, 19);
    QPushButton* exit = MakeButton(this, 1, "exit", QStringLiteral("Iesire"), 281, 190, 92, 19);
    exit->setDefault(true);
    m_list = MakeRecordList(this, 1000, "ownRecipes", 13, 13, 260, 196);
    m_list->setFocus();

    m_list->onSelchange = [this] { OnSelchangeOwnRecipes(); };
    connect(add, &QPushButton::clicked, this, &COwnRecipesDlg::OnAddRecipe);
    connect(modify, &QPushButton::clicked, this, &COwnRecipesDlg::OnModifyRecipe);
    connect(help, &QPushButton::clicked, this, &COwnRecipesDlg::OnHelp);
    connect(import, &QPushButton::clicked, this, &COwnRecipesDlg::OnImport);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);
    connect(&m_timer, &QTimer::timeout, this, &COwnRecipesDlg::OnTimer);

    OnInitDialog();
}

void COwnRecipesDlg::OnInitDialog() {
    ClearRecords(m_list);
    const auto records = Watch().Start();
    if (records)
        AddRecords(m_list, *records);
    else
        ShowMessage(this, QString::fromLatin1(kEmptyList));
    m_timer.start(1000);
}

void COwnRecipesDlg::OnTimer() {
    if (m_timerBusy)
        return;
    m_timerBusy = true;
    const OwnRecipesWatch::Change change = Watch().Tick();
    if (change.read && change.kind == OwnRecipesWatch::Change::Kind::Grown) {
        AddRecords(m_list, change.records);
    } else if (change.read && change.kind == OwnRecipesWatch::Change::Kind::Shrunk) {
        ClearRecords(m_list);
        ShowMessage(this, QString::fromLatin1(kRefilled));
        AddRecords(m_list, change.records);
    }
    m_timerBusy = false;
}

void COwnRecipesDlg::OnAddRecipe() {
    COwnRecipeEditDlg editor(this);
    editor.DoModal();
}

void COwnRecipesDlg::OnModifyRecipe() {
    const std::string fileName = FileNameFromEntry(SelectedRecord(m_list).value_or(std::string()));
    COwnRecipeEditDlg editor(this);
    editor.SetEditing(1);
    editor.SetRecipeFileName(fileName);
    if (OwnRecipeModifiable(fileName))
        editor.DoModal();
    else
        ShowMessage(this, QString::fromLatin1(kSelectExisting));
}

void COwnRecipesDlg::OnSelchangeOwnRecipes() {
    const auto record = SelectedRecord(m_list);
    if (!record)
        return;
    OpenRecipeFrom(this, FileNameFromEntry(*record), Opener::ListWindow);
}

void COwnRecipesDlg::OnHelp() {
    ShowMessage(this, QString::fromLatin1(kHelp));
}

// Recipes from other recipe programs and saved web pages; the timer lists those stored.
void COwnRecipesDlg::OnImport() {
    QFileDialog chooser(this, QStringLiteral("Import"));
    chooser.setFileMode(QFileDialog::ExistingFiles);
    chooser.setNameFilters({QStringLiteral("Retete schema.org (*.json *.jsonld *.html *.htm)"),
                            QStringLiteral("Toate fisierele (*)")});
    if (RunModal(chooser) != QDialog::Accepted)
        return;
    std::string report;
    for (const QString& path : chooser.selectedFiles()) {
        const QByteArray local = QFile::encodeName(path);
        const std::string label = ToCp1250(QFileInfo(path).fileName());
        report += ImportReportText(label, ImportRecipeFile(local.toStdString()));
    }
    if (!report.empty())
        ShowMessage(this, FromCp1250(report));
}

void COwnRecipesDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    OwnRecipesBackdrop().Paint(painter);
}

} // namespace savorel::ui
