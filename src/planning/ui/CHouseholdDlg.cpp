#include "planning/ui/CHouseholdDlg.h"

#include "core/ui/qt_geometry.h"
#include "core/ui/qt_messages.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>

namespace savorel::ui {

namespace {

constexpr int kMostPeople = 20;
constexpr int kMostGoal = 9999;

} // namespace

CHouseholdDlg::CHouseholdDlg(Session& session, QWidget* parent) : QDialog(parent) {
    (void)session;
    setObjectName(QStringLiteral("household"));
    setWindowTitle(QStringLiteral("Gospodăria"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    resize(DluX(220), DluY(170));

    m_people = new QSpinBox(this);
    m_people->setObjectName(QStringLiteral("people"));
    m_people->setRange(1, kMostPeople);
    Place(m_people, 4001, 150, 8, 62, 14);
    auto* peopleLabel = new QLabel(QStringLiteral("Câte persoane &mănâncă"), this);
    peopleLabel->setBuddy(m_people);
    Place(peopleLabel, 65535, 8, 9, 138, 12);

    m_table = new QTableWidget(0, 2, this);
    m_table->setObjectName(QStringLiteral("people"));
    m_table->setHorizontalHeaderLabels(
        {QStringLiteral("Nume"), QStringLiteral("Țintă zilnică (kcal)")});
    m_table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Fixed);
    m_table->setColumnWidth(1, DluX(80));
    m_table->verticalHeader()->setVisible(false);
    m_table->setTabKeyNavigation(false);
    Place(m_table, 4002, 8, 28, 204, 92);
    auto* note = new QLabel(
        QStringLiteral("Caloriile zilei se socotesc de persoană; ținta stă alături."), this);
    note->setWordWrap(true);
    note->setEnabled(false);

    QPushButton* save = MakeButton(this, 1, "save", QStringLiteral("Salvează"), 108, 148, 50, 15);
    QPushButton* cancel =
        MakeButton(this, 2, "cancel", QStringLiteral("Renunță"), 162, 148, 50, 15);
    Place(note, 65535, 8, 124, 204, 20);
    save->setDefault(true);
    connect(save, &QPushButton::clicked, this, &CHouseholdDlg::OnSave);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_people, &QSpinBox::valueChanged, this, &CHouseholdDlg::OnPeopleChanged);
    setTabOrder(m_people, m_table);
    setTabOrder(m_table, save);
    setTabOrder(save, cancel);
    setFixedSize(size());

    QString problem;
    std::vector<ShownPerson> people = LoadHousehold(&problem);
    if (!problem.isEmpty())
        ShowMessage(this, problem);
    if (people.empty())
        people.resize(1);
    m_people->setValue(static_cast<int>(people.size()));
    OnPeopleChanged(m_people->value());
    for (std::size_t row = 0; row < people.size(); ++row) {
        // A person kept without a name keeps the one the row proposes.
        if (!people[row].name.isEmpty())
            m_table->item(static_cast<int>(row), 0)->setText(people[row].name);
        Goal(static_cast<int>(row))->setValue(people[row].goal.value_or(0));
    }
    m_people->setFocus();
    m_people->selectAll();
}

QSpinBox* CHouseholdDlg::Goal(int row) const {
    return qobject_cast<QSpinBox*>(m_table->cellWidget(row, 1));
}

// Rows come and go at the end; what was typed in those that stay is kept.
void CHouseholdDlg::OnPeopleChanged(int count) {
    const int before = m_table->rowCount();
    m_table->setRowCount(count);
    for (int row = before; row < count; ++row) {
        m_table->setItem(row, 0, new QTableWidgetItem(QStringLiteral("Persoana %1").arg(row + 1)));
        auto* goal = new QSpinBox;
        goal->setObjectName(QStringLiteral("goal%1").arg(row));
        goal->setRange(0, kMostGoal);
        goal->setSingleStep(50);
        goal->setSpecialValueText(QStringLiteral("fără țintă"));
        goal->setSuffix(QStringLiteral(" kcal"));
        m_table->setCellWidget(row, 1, goal);
    }
}

std::vector<ShownPerson> CHouseholdDlg::Household() const {
    std::vector<ShownPerson> people;
    for (int row = 0; row < m_table->rowCount(); ++row) {
        ShownPerson person;
        const QTableWidgetItem* name = m_table->item(row, 0);
        person.name = name ? name->text().simplified() : QString();
        if (QSpinBox* goal = Goal(row)) {
            goal->interpretText();
            if (goal->value() > 0)
                person.goal = goal->value();
        }
        people.push_back(person);
    }
    return people;
}

void CHouseholdDlg::OnSave() {
    const QString problem = SaveHousehold(Household());
    if (!problem.isEmpty()) {
        ShowMessage(this, problem);
        return;
    }
    accept();
}

} // namespace savorel::ui
