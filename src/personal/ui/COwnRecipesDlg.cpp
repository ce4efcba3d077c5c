#include "personal/ui/COwnRecipesDlg.h"

#include "catalogue/page.h"
#include "core/records.h"
#include "core/ui/qt_geometry.h"
#include "core/ui/qt_messages.h"
#include "core/ui/qt_text.h"
#include "core/ui/qt_window_frame.h"
#include "personal/exchange.h"
#include "personal/own_delete.h"
#include "personal/store.h"
#include "personal/ui/CImportReportDlg.h"
#include "personal/ui/COwnRecipeEditDlg.h"
#include "personal/ui/qt_record_list.h"
#include "planning/ui/qt_plan_offer.h"
#include "viewing/ui/qt_open_recipe.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QPainter>
#include <QProgressDialog>
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

} // namespace

COwnRecipesDlg::COwnRecipesDlg(Session& session, QWidget* parent)
    : QDialog(parent), m_session(session) {
    setWindowTitle(QStringLiteral("Retete proprii scrise de dumneavoastra"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    resize(DluX(374), DluY(213));

    QPushButton* add =
        MakeButton(this, 1003, "addRecipe", QStringLiteral("Adaugare retete noi"), 282, 13, 91, 19);
    QPushButton* remove =
        MakeButton(this, 1004, "deleteRecipe", QStringLiteral("Sterge reteta"), 281, 36, 92, 19);
    QPushButton* modify = MakeButton(this, 1005, "modifyRecipe",
                                     QStringLiteral("Modificare reteta"), 282, 58, 91, 19);
    QPushButton* help = MakeButton(this, 1006, "help", QStringLiteral("Ajutor"), 281, 80, 92, 19);
    QPushButton* import =
        MakeButton(this, 1007, "importRecipes", QStringLiteral("Import"), 282, 103, 91, 19);
    QPushButton* exit = MakeButton(this, 1, "exit", QStringLiteral("Iesire"), 281, 190, 92, 19);
    exit->setDefault(true);
    m_list = MakeRecordList(this, 1000, "ownRecipes", 13, 13, 260, 196);
    m_list->setFocus();

    m_frame = new WindowFrame(this, QStringLiteral("ownRecipes"), m_session);
    m_frame->Anchor(m_list, kGrow);
    for (QWidget* button :
         {static_cast<QWidget*>(add), static_cast<QWidget*>(remove), static_cast<QWidget*>(modify),
          static_cast<QWidget*>(help), static_cast<QWidget*>(import)})
        m_frame->Anchor(button, kStayTopRight);
    m_frame->Anchor(exit, kStayBottomRight);

    m_list->onSelchange = [this] { OnSelchangeOwnRecipes(); };
    OfferRecipesToPlan(m_list, this, m_session, [this](int row) -> std::optional<RecipeRef> {
        const QListWidgetItem* item = m_list->item(row);
        if (!item)
            return std::nullopt;
        const std::string record = RecordOf(item);
        return RecipeRef{FileNameFromEntry(record), VisibleNameOfEntry(record)};
    });
    connect(add, &QPushButton::clicked, this, &COwnRecipesDlg::OnAddRecipe);
    connect(modify, &QPushButton::clicked, this, &COwnRecipesDlg::OnModifyRecipe);
    connect(remove, &QPushButton::clicked, this, &COwnRecipesDlg::OnDeleteRecipe);
    connect(help, &QPushButton::clicked, this, &COwnRecipesDlg::OnHelp);
    connect(import, &QPushButton::clicked, this, &COwnRecipesDlg::OnImport);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);
    connect(&m_timer, &QTimer::timeout, this, &COwnRecipesDlg::OnTimer);

    OnInitDialog();
}

void COwnRecipesDlg::OnInitDialog() {
    ClearRecords(m_list);
    const auto records = m_watch.Start();
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
    const OwnRecipesWatch::Change change = m_watch.Tick();
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
    editor.SetEditing(SaveMode::Modification);
    editor.SetRecipeFileName(fileName);
    if (OwnRecipeModifiable(fileName))
        editor.DoModal();
    else
        ShowMessage(this, QString::fromLatin1(kSelectExisting));
}

void COwnRecipesDlg::OnDeleteRecipe() {
    const auto record = SelectedRecord(m_list);
    if (!record) {
        ShowMessage(this, QString::fromLatin1(kSelectExisting));
        return;
    }
    const QString name = FromCp1250(VisibleNameOfEntry(*record));
    if (!AskQuestion(this, QStringLiteral("Stergeti reteta \"%1\"?\nEa se pastreaza in dosarul "
                                          "\"sterse\" al cartii.")
                               .arg(name)))
        return;
    // The record goes along: a list shown a while ago may name a recipe deleted meanwhile.
    const DeleteOwnResult result = DeleteOwnRecipe(FileNameFromEntry(*record), *record);
    if (const char* message = DeleteOwnMessage(result))
        ShowMessage(this, QString::fromLatin1(message));
    // Listed afresh, and the size taken anew: the shorter list is no "Begin" for the watch.
    ClearRecords(m_list);
    if (const auto records = m_watch.Start())
        AddRecords(m_list, *records);
}

void COwnRecipesDlg::OnSelchangeOwnRecipes() {
    const auto record = SelectedRecord(m_list);
    if (!record)
        return;
    // Every failure on the way was said in a box; the window stays as it is.
    (void)OpenRecipeFrom(this, m_session, FileNameFromEntry(*record), Opener::ListWindow);
}

void COwnRecipesDlg::OnHelp() {
    ShowMessage(this, QString::fromLatin1(kHelp));
}

// Recipes from other recipe programs and saved web pages; the timer lists those stored.
void COwnRecipesDlg::OnImport() {
    QStringList paths;
    {
        QFileDialog chooser(this, QStringLiteral("Import"));
        chooser.setFileMode(QFileDialog::ExistingFiles);
        chooser.setNameFilters(
            {QStringLiteral("Re\u0163ete schema.org (*.json *.jsonld *.html *.htm)"),
             QStringLiteral("Toate fi\u015Fierele (*)")});
        if (RunModal(chooser) != QDialog::Accepted)
            return;
        paths = chooser.selectedFiles();
    }
    // The file dialog is gone before the import: it watches the folder it showed (the data
    // folder, often), and would look at every file again for each recipe file written.
    ImportFiles(paths);
}

void COwnRecipesDlg::ImportFiles(const QStringList& paths) {
    // Every file read first, so that the recipes of all of them are one batch of the store.
    QStringList lines;
    std::vector<ForeignRecipe> recipes;
    std::vector<QString> labels; // the file each recipe came from
    for (const QString& path : paths) {
        const QString label = QFileInfo(path).fileName();
        std::vector<ForeignRecipe> found;
        std::vector<std::string> notes;
        std::string error;
        if (!ReadRecipePath(QFile::encodeName(path).toStdString(), found, notes, error)) {
            lines << label + QStringLiteral(": ") + FromCp1250(error);
            continue;
        }
        for (const std::string& note : notes)
            lines << label + QStringLiteral(": ") + FromCp1250(note);
        for (ForeignRecipe& recipe : found) {
            recipes.push_back(std::move(recipe));
            labels.push_back(label);
        }
    }
    ImportReport report;
    if (!recipes.empty()) {
        const ImportPlan plan = PlanImport(recipes);
        ImportOptions options;
        if (plan.differing > 0)
            options.update = AskQuestion(
                this, QStringLiteral("%1 dintre re\u0163etele importate exist\u0103 deja printre "
                                     "re\u0163etele proprii \u015Fi difer\u0103 de ele.\n"
                                     "Le actualiza\u0163i cu cele importate?")
                          .arg(plan.differing));
        // Told after each recipe; the dialog is redrawn and the events handled every few, so
        // that a batch of thousands shows its way and can be stopped.
        QProgressDialog progress(QStringLiteral("Se import\u0103 re\u0163etele..."),
                                 QStringLiteral("Oprire"), 0, static_cast<int>(plan.recipes.size()),
                                 this);
        progress.setObjectName(QStringLiteral("importProgress"));
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(500);
        QElapsedTimer shown;
        shown.start();
        options.progress = [&](std::size_t done, std::size_t total) {
            if (done == total || shown.elapsed() >= 50) {
                progress.setValue(static_cast<int>(done));
                QCoreApplication::processEvents();
                shown.restart();
            }
            return !progress.wasCanceled();
        };
        report = StoreImportPlan(plan, options);
        progress.setValue(progress.maximum());
        for (std::size_t i = 0; i < report.recipes.size(); ++i) {
            const ImportedRecipe& r = report.recipes[i];
            lines << labels[i] + QStringLiteral(": ") + FromCp1250(ImportReportLine(r));
            for (const std::string& note : r.notes)
                lines << QStringLiteral("    ") + FromCp1250(note);
        }
    }
    if (lines.isEmpty())
        return;
    CImportReportDlg dialog(FromCp1250(ImportReportSummary(report)), lines, this);
    RunModal(dialog);
    OnTimer();
}

void COwnRecipesDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    OwnRecipesBackdrop().Paint(painter, size(), m_frame->DesignSize());
}

} // namespace savorel::ui
