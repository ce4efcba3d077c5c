#include "planning/ui/CShoppingListDlg.h"

#include "core/ui/qt_geometry.h"
#include "core/ui/qt_messages.h"
#include "core/ui/qt_print.h"
#include "core/ui/qt_window_frame.h"
#include "planning/ui/qt_plan_text.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QStandardPaths>
#include <QTextDocument>
#include <QTreeWidget>

namespace savorel::ui {

namespace {

constexpr int kStaticId = 65535;
constexpr int kKeyRole = Qt::UserRole + 1;
const char* const kNoInterface = "Couldn't find the interface";

} // namespace

CShoppingListDlg::CShoppingListDlg(Session& session, QWidget* parent)
    : QDialog(parent), m_session(session) {
    setObjectName(QStringLiteral("shoppingList"));
    setWindowTitle(QStringLiteral("Lista de cumpărături"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    resize(DluX(500), DluY(270));

    m_source = new QLabel(this);
    m_source->setObjectName(QStringLiteral("source"));
    m_source->setTextFormat(Qt::PlainText);
    QFont bold = m_source->font();
    bold.setBold(true);
    m_source->setFont(bold);
    Place(m_source, kStaticId, 6, 5, 400, 12);

    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("lines"));
    m_tree->setColumnCount(3);
    m_tree->setHeaderLabels(
        {QStringLiteral("Ce"), QStringLiteral("Cât"), QStringLiteral("Pentru rețetele")});
    m_tree->setRootIsDecorated(false);
    m_tree->setUniformRowHeights(true);
    m_tree->setAllColumnsShowFocus(true);
    m_tree->header()->setStretchLastSection(true);
    Place(m_tree, 5001, 6, 20, 400, 244);
    m_tree->setColumnWidth(0, DluX(112));
    m_tree->setColumnWidth(1, DluX(66));

    constexpr int x = 412, w = 82, h = 15;
    m_fromWeek =
        MakeButton(this, 5010, "fromWeek", QStringLiteral("Din planul săptămânii"), x, 20, w, h);
    m_fromWeek->setVisible(false);
    m_atHome = MakeButton(this, 5002, "atHome", QStringLiteral("Am acasă"), x, 40, w, h);
    QPushButton* clear =
        MakeButton(this, 5003, "clear", QStringLiteral("Golește lista"), x, 60, w, h);
    QPushButton* print = MakeButton(this, 5004, "print", QStringLiteral("Tipărește"), x, 88, w, h);
    QPushButton* pdf =
        MakeButton(this, 5005, "savePdf", QStringLiteral("Salvează ca PDF…"), x, 108, w, h);
    QPushButton* copy =
        MakeButton(this, 5006, "copy", QStringLiteral("Copiază ca text"), x, 128, w, h);
    QPushButton* text =
        MakeButton(this, 5007, "exportText", QStringLiteral("Exportă text…"), x, 156, w, h);
    QPushButton* todo =
        MakeButton(this, 5008, "exportTodo", QStringLiteral("Exportă to-do (.ics)…"), x, 176, w, h);
    QPushButton* close = MakeButton(this, 1, "close", QStringLiteral("Închide"), x, 249, w, h);
    close->setDefault(true);

    QWidget* chain[] = {m_tree, m_fromWeek, m_atHome, clear, print, pdf, copy, text, todo, close};
    for (std::size_t i = 1; i < std::size(chain); ++i)
        setTabOrder(chain[i - 1], chain[i]);

    auto* frame = new WindowFrame(this, QStringLiteral("shoppingList"), m_session);
    frame->Anchor(m_tree, kGrow);
    frame->Anchor(m_source, {0, 0, 1, 0});
    for (QWidget* button :
         {static_cast<QWidget*>(m_fromWeek), static_cast<QWidget*>(m_atHome),
          static_cast<QWidget*>(clear), static_cast<QWidget*>(print), static_cast<QWidget*>(pdf),
          static_cast<QWidget*>(copy), static_cast<QWidget*>(text), static_cast<QWidget*>(todo)})
        frame->Anchor(button, kStayTopRight);
    frame->Anchor(close, kStayBottomRight);

    connect(m_fromWeek, &QPushButton::clicked, this, &CShoppingListDlg::OnFromWeek);
    connect(m_atHome, &QPushButton::clicked, this, &CShoppingListDlg::OnAtHome);
    connect(clear, &QPushButton::clicked, this, &CShoppingListDlg::OnClear);
    connect(print, &QPushButton::clicked, this, &CShoppingListDlg::OnPrint);
    connect(pdf, &QPushButton::clicked, this, &CShoppingListDlg::OnSavePdf);
    connect(copy, &QPushButton::clicked, this, &CShoppingListDlg::OnCopy);
    connect(text, &QPushButton::clicked, this, &CShoppingListDlg::OnExportText);
    connect(todo, &QPushButton::clicked, this, &CShoppingListDlg::OnExportCalendar);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_tree, &QTreeWidget::itemChanged, this, &CShoppingListDlg::OnItemChanged);
    m_tree->installEventFilter(this);

    Reload();
    m_tree->setFocus();
}

void CShoppingListDlg::SetWeek(QDate monday) {
    m_week = monday;
    m_fromWeek->setToolTip(QStringLiteral("Lista se face din nou din rețetele săptămânii %1")
                               .arg(WeekHeading(monday)));
    m_fromWeek->setVisible(true);
    // An empty list is made from the week at once: that is what the user came for.
    if (m_list.lineCount == 0)
        OnFromWeek();
}

void CShoppingListDlg::Say(const QString& problem) {
    if (!problem.isEmpty())
        ShowMessage(this, problem);
}

void CShoppingListDlg::Reload() {
    QString problem;
    m_list = LoadShoppingList(&problem);
    Fill();
    Say(problem);
}

void CShoppingListDlg::Fill() {
    m_filling = true;
    const QString chosen = m_tree->currentItem() ? m_tree->currentItem()->text(0) : QString();
    m_tree->clear();
    m_source->setText(m_list.source);
    const QColor grey = palette().color(QPalette::Disabled, QPalette::Text);
    QTreeWidgetItem* current = nullptr;
    for (const ShownShopSection& section : m_list.sections) {
        auto* head = new QTreeWidgetItem(m_tree, {section.name});
        QFont bold = head->font(0);
        bold.setBold(true);
        head->setFont(0, bold);
        head->setFlags(Qt::ItemIsEnabled);
        head->setFirstColumnSpanned(true);
        for (const ShownShopLine& line : section.lines) {
            QString amount = line.amount;
            if (line.atHome)
                amount = amount.isEmpty() ? QStringLiteral("am acasă")
                                          : amount + QStringLiteral(" · am acasă");
            auto* item = new QTreeWidgetItem(head, {line.food, amount, line.recipes});
            // The key's bytes as they are: Windows-1250 text is no UTF-8.
            item->setData(0, kKeyRole,
                          QByteArray(line.key.data(), static_cast<qsizetype>(line.key.size())));
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            item->setCheckState(0, line.ticked ? Qt::Checked : Qt::Unchecked);
            item->setToolTip(2, line.recipes);
            if (line.ticked || line.atHome || line.staple)
                for (int column = 0; column < 3; ++column)
                    item->setForeground(column, grey);
            if (line.ticked) {
                QFont struck = item->font(0);
                struck.setStrikeOut(true);
                item->setFont(0, struck);
                item->setFont(1, struck);
            }
            if (line.food == chosen)
                current = item;
        }
    }
    m_tree->expandAll();
    if (current)
        m_tree->setCurrentItem(current);
    m_filling = false;
}

QTreeWidgetItem* CShoppingListDlg::LineItem(const QString& food) const {
    for (int s = 0; s < m_tree->topLevelItemCount(); ++s) {
        QTreeWidgetItem* head = m_tree->topLevelItem(s);
        for (int i = 0; i < head->childCount(); ++i)
            if (head->child(i)->text(0) == food)
                return head->child(i);
    }
    return nullptr;
}

void CShoppingListDlg::OnItemChanged(QTreeWidgetItem* item, int column) {
    if (m_filling || column != 0 || !item->parent())
        return;
    const std::string key = item->data(0, kKeyRole).toByteArray().toStdString();
    const QString problem = SetLineTicked(key, item->checkState(0) == Qt::Checked);
    // Shown anew once this signal is over: the item it came from is still in use.
    QMetaObject::invokeMethod(this, &CShoppingListDlg::Reload, Qt::QueuedConnection);
    Say(problem);
}

// The space bar ticks the chosen line whichever of its columns holds the focus.
bool CShoppingListDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_tree && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
        QTreeWidgetItem* item = m_tree->currentItem();
        if (item && item->parent()) {
            item->setCheckState(0,
                                item->checkState(0) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CShoppingListDlg::OnFromWeek() {
    if (!m_week.isValid())
        return;
    Say(MakeListFromWeek(m_week));
    Reload();
}

void CShoppingListDlg::OnAtHome() {
    QTreeWidgetItem* item = m_tree->currentItem();
    if (!item || !item->parent())
        return;
    const std::string key = item->data(0, kKeyRole).toByteArray().toStdString();
    bool atHome = false;
    for (const ShownShopSection& section : m_list.sections)
        for (const ShownShopLine& line : section.lines)
            if (line.key == key)
                atHome = line.atHome;
    Say(SetLineAtHome(key, !atHome));
    Reload();
}

void CShoppingListDlg::OnClear() {
    if (!AskQuestion(this, QStringLiteral("Goliți lista de cumpărături?\nBifele și semnele "
                                          "„am acasă” se pierd.")))
        return;
    Say(ClearShoppingList());
    Reload();
}

QString CShoppingListDlg::PrintedHtml() const {
    QString html = QStringLiteral("<h2>") + m_list.source.toHtmlEscaped() + QStringLiteral("</h2>");
    for (const ShownShopSection& section : m_list.sections) {
        html += QStringLiteral("<h3>") + section.name.toHtmlEscaped() +
                QStringLiteral("</h3><table width=\"100%\" cellspacing=\"0\" cellpadding=\"2\">");
        for (const ShownShopLine& line : section.lines) {
            const QString box = line.ticked ? QStringLiteral("☑") : QStringLiteral("☐");
            QString amount = line.amount.toHtmlEscaped();
            if (line.atHome)
                amount += QStringLiteral(" <i>(am acasă)</i>");
            html += QStringLiteral("<tr><td width=\"4%\">") + box +
                    QStringLiteral("</td><td width=\"30%\">") + line.food.toHtmlEscaped() +
                    QStringLiteral("</td><td width=\"18%\">") + amount +
                    QStringLiteral("</td><td><small>") + line.recipes.toHtmlEscaped() +
                    QStringLiteral("</small></td></tr>");
        }
        html += QStringLiteral("</table>");
    }
    return html;
}

void CShoppingListDlg::PrintTo(QPrinter& printer) const {
    QTextDocument document;
    document.setHtml(PrintedHtml());
    document.print(&printer);
}

void CShoppingListDlg::OnPrint() {
    QPrinter printer;
    if (!m_session.printTarget.empty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QFile::decodeName(m_session.printTarget.c_str()));
    } else if (QPrinterInfo::defaultPrinter().isNull()) {
        // No printer to send the list to: say so, then offer it as a PDF file.
        ShowMessage(this, QString::fromLatin1(kNoInterface));
        OnSavePdf();
        return;
    }
    PrintTo(printer);
}

void CShoppingListDlg::OnSavePdf() {
    const QString path = AskPdfFileNamed(this, QString(), QStringLiteral("lista-de-cumparaturi"));
    if (path.isEmpty())
        return;
    if (const WriteResult written =
            PrintIntoPdf([this](QPrinter& printer) { PrintTo(printer); }, path);
        !written)
        Say(QStringLiteral("Fișierul nu a putut fi scris:\n") + path + QStringLiteral(": ") +
            QString::fromLocal8Bit(WriteFailureText(written).c_str()));
}

void CShoppingListDlg::OnCopy() {
    QApplication::clipboard()->setText(m_list.text);
}

QString CShoppingListDlg::AskExportFile(const QString& title, const QString& name,
                                        const QString& filter) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::homePath();
    QFileDialog dialog(this, title, QDir(folder).filePath(name), filter);
    dialog.setObjectName(QStringLiteral("exportFile"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (RunModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

void CShoppingListDlg::OnExportText() {
    const QString path =
        AskExportFile(QStringLiteral("Exportă lista ca text"),
                      QStringLiteral("lista-de-cumparaturi.txt"), QStringLiteral("Text (*.txt)"));
    if (!path.isEmpty())
        Say(ExportShoppingText(path));
}

void CShoppingListDlg::OnExportCalendar() {
    const QString path = AskExportFile(QStringLiteral("Exportă lista ca to-do (iCalendar)"),
                                       QStringLiteral("lista-de-cumparaturi.ics"),
                                       QStringLiteral("iCalendar (*.ics)"));
    if (!path.isEmpty())
        Say(ExportShoppingCalendar(path));
}

bool AddRecipeToShopping(QWidget* owner, const RecipeRef& recipe, int portions) {
    const QString problem = AddRecipeToList(recipe, portions);
    if (!problem.isEmpty()) {
        ShowMessage(owner, problem);
        return false;
    }
    return true;
}

} // namespace savorel::ui
