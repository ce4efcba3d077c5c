#pragma once

#include "core/session.h"
#include "core/ui/qt_list_box.h"

#include <QDialog>

class QListWidget;

namespace savorel::ui {

class WindowFrame;

// The user's favourite recipes: listed, opened, removed.
class CFavouritesDlg final : public QDialog {
    Q_OBJECT
public:
    explicit CFavouritesDlg(Session& session, QWidget* parent = nullptr);

    QListWidget* List() const { return m_list; }

public slots:
    void OnDeleteFavourite();
    void OnSelchangeFavourites();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void OnInitDialog();

    SortedListBox* m_list;
    WindowFrame* m_frame = nullptr; // sizes, anchors, remembered place
    Session& m_session;
};

} // namespace savorel::ui
