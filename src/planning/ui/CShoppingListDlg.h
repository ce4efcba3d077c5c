#pragma once

#include "core/session.h"
#include "core/ui/qt_recipe_drag.h"
#include "planning/ui/qt_shop_store.h"

#include <QDate>
#include <QDialog>

class QLabel;
class QPrinter;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace savorel::ui {

// The shopping list: grouped by shop section, each line how much and for which recipes, a
// box to tick off what was bought and an "am acasă" mark for what need not be; printed, saved
// as PDF, copied, exported as text and as to-dos. The list is kept until it is cleared.
class CShoppingListDlg final : public QDialog {
    Q_OBJECT
public:
    explicit CShoppingListDlg(Session& session, QWidget* parent = nullptr);

    // Opened from the plan: offers to make the list from that week.
    void SetWeek(QDate monday);

    QTreeWidget* Tree() const { return m_tree; }
    QLabel* Source() const { return m_source; }
    const ShownShopList& Shown() const { return m_list; }
    // The item of the line with that food, or nullptr.
    QTreeWidgetItem* LineItem(const QString& food) const;
    // The list's page as it is printed.
    QString PrintedHtml() const;

public slots:
    void OnFromWeek();
    void OnAtHome();
    void OnClear();
    void OnPrint();
    void OnSavePdf();
    void OnCopy();
    void OnExportText();
    void OnExportCalendar();
    void Reload();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Fill();
    void OnItemChanged(QTreeWidgetItem* item, int column);
    void PrintTo(QPrinter& printer) const;
    void Say(const QString& problem);
    QString AskExportFile(const QString& title, const QString& name, const QString& filter);

    Session& m_session;
    ShownShopList m_list;
    QDate m_week;
    QLabel* m_source = nullptr;
    QTreeWidget* m_tree = nullptr;
    QPushButton* m_fromWeek = nullptr;
    QPushButton* m_atHome = nullptr;
    bool m_filling = false;
};

// "Adaugă la cumpărături" of the recipe window: the recipe's ingredients for `portions`
// (0: as written) go into the kept list; the problem is said in a box. True when added.
bool AddRecipeToShopping(QWidget* owner, const RecipeRef& recipe, int portions);

} // namespace savorel::ui
