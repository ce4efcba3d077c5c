#pragma once

#include "core/session.h"
#include "core/ui/qt_list_box.h"

#include <QDialog>
#include <QTimer>

#include <string>
#include <vector>

class QListWidget;

namespace savorel::ui {

class WindowFrame;

// The user's favourite recipes: listed, opened, removed.
class CFavouritesDlg final : public QDialog {
    Q_OBJECT
public:
    explicit CFavouritesDlg(Session& session, QWidget* parent = nullptr);

    QListWidget* List() const { return m_list; }
    QTimer& Timer() { return m_watch; }

public slots:
    void OnDeleteFavourite();
    void OnSelchangeFavourites();
    // Lists pref.txt anew when another window or copy of the program changed it.
    void OnFavouritesTimer();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void OnInitDialog();
    void ListRecords(const std::vector<std::string>& records);

    SortedListBox* m_list;
    QTimer m_watch;
    std::vector<std::string> m_listed; // pref.txt's records as last listed
    WindowFrame* m_frame = nullptr;    // sizes, anchors, remembered place
    Session& m_session;
};

} // namespace savorel::ui
