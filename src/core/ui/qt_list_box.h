#pragma once

// The platform's sorted, notifying list box, which the main, search, dictionary, favourites
// and own recipes windows share, and the order its entries stand in.
#include <QListWidget>
#include <QString>

#include <functional>

class QKeyEvent;
class QMouseEvent;

namespace savorel::ui {

// A list box with the sort style: AddString places an entry by its text in Romanian order
// (core/collate.h), capitals beside small letters, numbers by value. `onSelchange` runs on every
// selection the user makes, by keyboard or mouse (a click on the entry already selected counts too,
// as it does on the platform); changes made by the program (clear, setCurrentRow) do not run it.
class SortedListBox final : public QListWidget {
public:
    explicit SortedListBox(QWidget* parent = nullptr);

    // Answers the row the entry went to.
    int AddString(const QString& text);
    // Many entries where AddString would place them one after the other (equal ones in the
    // order given), sorted once and inserted together: a search's 100,000 results.
    void AddStrings(const QStringList& texts);

    std::function<void()> onSelchange;
    // The text an entry shows (its whole text unless set); when the list's width cuts it,
    // hovering over the entry shows it whole as a tooltip.
    std::function<QString(const QListWidgetItem*)> shownText;
    QString ShownText(const QListWidgetItem* item) const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void Notify();
    bool m_pressChanged = false;
};

} // namespace savorel::ui
