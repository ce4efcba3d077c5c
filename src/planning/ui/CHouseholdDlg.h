#pragma once

#include "core/session.h"
#include "planning/ui/qt_plan_store.h"

#include <QDialog>

#include <vector>

class QSpinBox;
class QTableWidget;

namespace savorel::ui {

// "Gospodăria": how many eat, and each one's daily calorie goal if they keep one.
class CHouseholdDlg final : public QDialog {
    Q_OBJECT
public:
    explicit CHouseholdDlg(Session& session, QWidget* parent = nullptr);

    QSpinBox* People() const { return m_people; }
    QTableWidget* Table() const { return m_table; }
    // The goal box of person `row` (0: no goal).
    QSpinBox* Goal(int row) const;
    std::vector<ShownPerson> Household() const;

public slots:
    void OnPeopleChanged(int count);
    // Saves, and closes only when the plan took it.
    void OnSave();

private:
    QSpinBox* m_people;
    QTableWidget* m_table;
};

} // namespace savorel::ui
