#include "planning/ui/qt_plan_text.h"

#include <cmath>

namespace savorel::ui {

QString MealName(int meal) {
    switch (meal) {
    case 0:
        return QStringLiteral("mic dejun");
    case 1:
        return QStringLiteral("prânz");
    case 2:
        return QStringLiteral("cină");
    case 3:
        return QStringLiteral("gustare");
    default:
        return {};
    }
}

QLocale PlanLocale() {
    return QLocale(QLocale::Romanian, QLocale::Romania);
}

QDate MondayOf(QDate day) {
    return day.addDays(1 - day.dayOfWeek());
}

QString DayHeading(QDate day) {
    return PlanLocale().toString(day, QStringLiteral("dddd, d MMMM"));
}

QString WeekHeading(QDate monday) {
    const QDate sunday = monday.addDays(6);
    const QLocale ro = PlanLocale();
    if (monday.year() != sunday.year())
        return ro.toString(monday, QStringLiteral("d MMMM yyyy")) + QStringLiteral(" – ") +
               ro.toString(sunday, QStringLiteral("d MMMM yyyy"));
    if (monday.month() != sunday.month())
        return ro.toString(monday, QStringLiteral("d MMMM")) + QStringLiteral(" – ") +
               ro.toString(sunday, QStringLiteral("d MMMM yyyy"));
    return QString::number(monday.day()) + QStringLiteral(" – ") +
           ro.toString(sunday, QStringLiteral("d MMMM yyyy"));
}

QString KcalText(double kcal) {
    const long long whole = std::llround(kcal);
    QString digits = QString::number(whole < 0 ? -whole : whole);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, QChar(0x202F));
    return whole < 0 ? QStringLiteral("-") + digits : digits;
}

} // namespace savorel::ui
