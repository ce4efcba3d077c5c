#pragma once

#include "core/session.h"
#include "core/ui/qt_list_box.h"
#include "personal/own_list.h"

#include <QDialog>
#include <QTimer>

class QListWidget;

namespace savorel::ui {

class WindowFrame;

// The list of the user's own recipes, and the way to the own recipe editor. It watches the
// size of pers.txt once a second and lists new records as they are saved.
class COwnRecipesDlg final : public QDialog {
    Q_OBJECT
public:
    explicit COwnRecipesDlg(Session& session, QWidget* parent = nullptr);

    QListWidget* List() const { return m_list; }
    const QTimer& Timer() const { return m_timer; }

public slots:
    void OnSelchangeOwnRecipes();
    void OnAddRecipe();
    void OnModifyRecipe();
    void OnDeleteRecipe();
    void OnHelp();
    void OnImport();
    void OnTimer();
    // Imports the files (or recipe folder trees) as one batch: asks once whether recipes that
    // differ from the own recipes they match replace them, shows the progress, then the report.
    void ImportFiles(const QStringList& paths);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void OnInitDialog();

    SortedListBox* m_list;
    // Window state: every opening starts it afresh from the size pers.txt has then.
    OwnRecipesWatch m_watch;
    bool m_timerBusy = false;
    QTimer m_timer;
    WindowFrame* m_frame = nullptr; // sizes, anchors, remembered place
    Session& m_session;
};

} // namespace savorel::ui
