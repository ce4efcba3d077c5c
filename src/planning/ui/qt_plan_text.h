#pragma once

// Words and dates the plan windows share: the meals of a day, Romanian dates whatever the
// user's locale, and the days of a week.
#include <QDate>
#include <QLocale>
#include <QString>

namespace savorel::ui {

inline constexpr int kMealCount = 4;
// "mic dejun", "prânz", "cină", "gustare"; an index outside them answers an empty text.
QString MealName(int meal);
// Romanian month and day names, whatever locale the program runs under.
QLocale PlanLocale();
// The Monday of the week `day` falls in.
QDate MondayOf(QDate day);
// "luni, 14 decembrie".
QString DayHeading(QDate day);
// "14 – 20 decembrie 2026", "28 decembrie 2026 – 3 ianuarie 2027".
QString WeekHeading(QDate monday);
// A whole number of kilocalories with a thin space between thousands: "2 150".
QString KcalText(double kcal);

} // namespace savorel::ui
