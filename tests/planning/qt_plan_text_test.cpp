// The plan windows' words and dates: Romanian whatever the locale, weeks from their Monday
// across months and years, calories as people read them.
#include "planning/ui/qt_plan_text.h"

#include <QtTest>

using namespace savorel;

class PlanTextTest : public QObject {
    Q_OBJECT
private slots:
    void mondayOfEveryDay_data() {
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QDate>("monday");
        QTest::newRow("a Monday") << QDate(2026, 12, 14) << QDate(2026, 12, 14);
        QTest::newRow("a Sunday") << QDate(2026, 12, 20) << QDate(2026, 12, 14);
        QTest::newRow("across the year") << QDate(2027, 1, 2) << QDate(2026, 12, 28);
        QTest::newRow("a leap day") << QDate(2028, 2, 29) << QDate(2028, 2, 28);
        QTest::newRow("across March") << QDate(2027, 3, 3) << QDate(2027, 3, 1);
    }
    void mondayOfEveryDay() {
        QFETCH(QDate, day);
        QFETCH(QDate, monday);
        QCOMPARE(ui::MondayOf(day), monday);
        QCOMPARE(ui::MondayOf(day).dayOfWeek(), 1);
    }

    void headingsInRomanian_data() {
        QTest::addColumn<QDate>("monday");
        QTest::addColumn<QString>("week");
        QTest::newRow("one month")
            << QDate(2026, 12, 14) << QStringLiteral("14 – 20 decembrie 2026");
        QTest::newRow("two months")
            << QDate(2027, 3, 29) << QStringLiteral("29 martie – 4 aprilie 2027");
        QTest::newRow("two years")
            << QDate(2026, 12, 28) << QStringLiteral("28 decembrie 2026 – 3 ianuarie 2027");
    }
    void headingsInRomanian() {
        QFETCH(QDate, monday);
        QFETCH(QString, week);
        // The user's locale must not change them (the tests run under C and ro_RO).
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QCOMPARE(ui::WeekHeading(monday), week);
        QCOMPARE(ui::DayHeading(monday), QStringLiteral("luni, ") + QString::number(monday.day()) +
                                             QLatin1Char(' ') +
                                             ui::PlanLocale().monthName(monday.month()));
        QLocale::setDefault(QLocale::system());
    }

    void daysAndMeals() {
        QCOMPARE(ui::DayHeading(QDate(2026, 12, 19)), QStringLiteral("sâmbătă, 19 decembrie"));
        QCOMPARE(ui::DayHeading(QDate(2026, 12, 17)), QStringLiteral("joi, 17 decembrie"));
        const QStringList meals{ui::MealName(0), ui::MealName(1), ui::MealName(2), ui::MealName(3)};
        QCOMPARE(meals, (QStringList{"mic dejun", "prânz", "cină", "gustare"}));
        QVERIFY(ui::MealName(-1).isEmpty());
        QVERIFY(ui::MealName(ui::kMealCount).isEmpty());
    }

    void kcalRoundedWithThousands_data() {
        QTest::addColumn<double>("kcal");
        QTest::addColumn<QString>("text");
        const QString gap(QChar(0x202F));
        QTest::newRow("zero") << 0.0 << QStringLiteral("0");
        QTest::newRow("rounded down") << 999.4 << QStringLiteral("999");
        QTest::newRow("rounded up") << 999.5 << QStringLiteral("1") + gap + QStringLiteral("000");
        QTest::newRow("a day") << 2150.0 << QStringLiteral("2") + gap + QStringLiteral("150");
        QTest::newRow("a week") << 1234567.0
                                << QStringLiteral("1") + gap + QStringLiteral("234") + gap +
                                       QStringLiteral("567");
        QTest::newRow("negative") << -1500.0 << QStringLiteral("-1") + gap + QStringLiteral("500");
    }
    void kcalRoundedWithThousands() {
        QFETCH(double, kcal);
        QFETCH(QString, text);
        QCOMPARE(ui::KcalText(kcal), text);
    }
};

QTEST_MAIN(PlanTextTest)
#include "qt_plan_text_test.moc"
