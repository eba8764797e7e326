#include "common/Error.h"
#include "numerals/Dates.h"

#include <QDate>
#include <QTest>

using namespace Zt_typro;

namespace
{

// The operator's message of the AppError that body throws, or a note that it threw none.
template <typename F>
QString errorOf(F&& body)
{
    try {
        body();
    } catch (const AppError& e) {
        return e.message();
    }
    return QStringLiteral("<no error>");
}

} // namespace

class TestDates : public QObject
{
    Q_OBJECT

private slots:
    void dateParts_data();
    void dateParts();
    void datePartsOfEveryDay();
    void daysInMonth_data();
    void daysInMonth();
    void daysInMonthAgreesWithTheCalendar();
    void daysInMonthRejectsBadYear_data();
    void daysInMonthRejectsBadYear();
    void dateFromParts_data();
    void dateFromParts();
    void yearToCapitals_data();
    void yearToCapitals();
    void monthAndDayCapitals_data();
    void monthAndDayCapitals();
    void badNumberTexts_data();
    void badNumberTexts();
};

void TestDates::dateParts_data()
{
    QTest::addColumn<QString>("dateText");
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("day");

    QTest::newRow("8 characters") << "2005-3-7" << "2005" << "3" << "7";
    QTest::newRow("9, one-digit month") << "2005-3-17" << "2005" << "3" << "17";
    QTest::newRow("9, one-digit day") << "2005-12-5" << "2005" << "12" << "5";
    QTest::newRow("10 characters") << "2005-12-25" << "2005" << "12" << "25";
    QTest::newRow("10, month 10 day 10") << "2010-10-10" << "2010" << "10" << "10";
    QTest::newRow("8, first day") << "2000-1-1" << "2000" << "1" << "1";
    QTest::newRow("empty") << "" << "" << "" << "";
    QTest::newRow("year only") << "2005" << "2005" << "" << "";
}

void TestDates::dateParts()
{
    QFETCH(QString, dateText);
    QFETCH(QString, year);
    QFETCH(QString, month);
    QFETCH(QString, day);
    QCOMPARE(DatePartYear(dateText), year);
    QCOMPARE(DatePartMonth(dateText), month);
    QCOMPARE(DatePartDay(dateText), day);
}

void TestDates::datePartsOfEveryDay()
{
    // Every day of a leap year and a common year, rendered as the screens render today's date.
    QCOMPARE(DateText(QDate(2005, 3, 7)), QStringLiteral("2005-3-7"));
    QCOMPARE(DateText(QDate(2005, 12, 25)), QStringLiteral("2005-12-25"));
    for (QDate date(2004, 1, 1); date <= QDate(2005, 12, 31); date = date.addDays(1)) {
        const QString text = DateText(date);
        QVERIFY2(text.size() >= 8 && text.size() <= 10, qPrintable(text));
        QCOMPARE(DatePartYear(text), QString::number(date.year()));
        QCOMPARE(DatePartMonth(text), QString::number(date.month()));
        QCOMPARE(DatePartDay(text), QString::number(date.day()));
    }
}

void TestDates::daysInMonth_data()
{
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("month");
    QTest::addColumn<int>("days");

    QTest::newRow("2004-2 leap") << "2004" << "2" << 29;
    QTest::newRow("2005-2") << "2005" << "2" << 28;
    QTest::newRow("2000-2 leap century") << "2000" << "2" << 29;
    QTest::newRow("1900-2 common century") << "1900" << "2" << 28;
    QTest::newRow("2100-2 common century") << "2100" << "2" << 28;
    QTest::newRow("2005-3") << "2005" << "3" << 31;
    QTest::newRow("2005-9") << "2005" << "9" << 30;
    QTest::newRow("2005-4") << "2005" << "4" << 30;
    QTest::newRow("2005-12") << "2005" << "12" << 31;
    QTest::newRow("2005-13 gets February") << "2005" << "13" << 28;
    QTest::newRow("2004-13 gets February") << "2004" << "13" << 29;
    QTest::newRow("month 0 gets February") << "2005" << "0" << 28;
    QTest::newRow("empty month gets February") << "2005" << "" << 28;
    QTest::newRow("letter month gets February") << "2005" << "x" << 28;
    QTest::newRow("03 is March") << "2005" << "03" << 31;
    QTest::newRow("date text as year") << "2004-12-25" << "2" << 29;
    QTest::newRow("date text 2005") << "2005-3-7" << "2" << 28;
}

void TestDates::daysInMonth()
{
    QFETCH(QString, year);
    QFETCH(QString, month);
    QFETCH(int, days);
    QCOMPARE(DaysInMonth(year, month), days);
}

void TestDates::daysInMonthAgreesWithTheCalendar()
{
    for (int year = 1600; year <= 2400; ++year) {
        for (int month = 1; month <= 12; ++month) {
            QCOMPARE(DaysInMonth(QString::number(year), QString::number(month)), QDate(year, month, 1).daysInMonth());
        }
    }
}

void TestDates::daysInMonthRejectsBadYear_data()
{
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("message");

    QTest::newRow("empty") << "" << "年份“”不是有效的数字";
    QTest::newRow("letter") << "20x5" << "年份“20x5”不是有效的数字";
    QTest::newRow("blank") << " 2005" << "年份“ 2005”不是有效的数字";
    QTest::newRow("capitals") << "贰零零伍" << "年份“贰零零伍”不是有效的数字";
}

void TestDates::daysInMonthRejectsBadYear()
{
    QFETCH(QString, year);
    QFETCH(QString, message);
    QCOMPARE(errorOf([&] { DaysInMonth(year, QStringLiteral("2")); }), message);
}

void TestDates::dateFromParts_data()
{
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("day");
    QTest::addColumn<QDate>("expected"); // invalid: no real date
    QTest::newRow("plain") << "2005" << "12" << "25" << QDate(2005, 12, 25);
    QTest::newRow("leading zeros") << "2005" << "03" << "07" << QDate(2005, 3, 7);
    QTest::newRow("leap day") << "2004" << "2" << "29" << QDate(2004, 2, 29);
    QTest::newRow("no leap day in 1900") << "1900" << "2" << "29" << QDate();
    QTest::newRow("30 February") << "2005" << "2" << "30" << QDate();
    QTest::newRow("month 13") << "2005" << "13" << "1" << QDate();
    QTest::newRow("day 0") << "2005" << "1" << "0" << QDate();
    QTest::newRow("two-digit year") << "05" << "12" << "25" << QDate();
    QTest::newRow("five-digit year") << "20050" << "12" << "25" << QDate();
    QTest::newRow("empty day") << "2005" << "12" << "" << QDate();
    QTest::newRow("blank in month") << "2005" << " 1" << "25" << QDate();
    QTest::newRow("sign") << "2005" << "+1" << "25" << QDate();
    QTest::newRow("full-width digits") << "２００５" << "1" << "25" << QDate();
    QTest::newRow("letters") << "2OO5" << "1" << "25" << QDate();
}

void TestDates::dateFromParts()
{
    QFETCH(QString, year);
    QFETCH(QString, month);
    QFETCH(QString, day);
    QFETCH(QDate, expected);
    QCOMPARE(DateFromParts(year, month, day), expected);
}

void TestDates::yearToCapitals_data()
{
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("capitals");

    QTest::newRow("2005") << "2005" << "贰零零伍";
    QTest::newRow("2010") << "2010" << "贰零壹零";
    QTest::newRow("1999") << "1999" << "壹玖玖玖";
    QTest::newRow("2000") << "2000" << "贰零零零";
    QTest::newRow("every digit") << "0123456789" << "零壹贰叁肆伍陆柒捌玖";
}

void TestDates::yearToCapitals()
{
    QFETCH(QString, year);
    QFETCH(QString, capitals);
    QCOMPARE(YearToCapitals(year), capitals);
}

void TestDates::monthAndDayCapitals_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("capitals");

    const char* const table[] = {"零壹",   "零贰",   "零叁",   "零肆",   "零伍",   "零陆",   "零柒",   "零捌",
                                 "零玖",   "零壹拾", "壹拾壹", "壹拾贰", "壹拾叁", "壹拾肆", "壹拾伍", "壹拾陆",
                                 "壹拾柒", "壹拾捌", "壹拾玖", "零贰拾", "贰拾壹", "贰拾贰", "贰拾叁", "贰拾肆",
                                 "贰拾伍", "贰拾陆", "贰拾柒", "贰拾捌", "贰拾玖", "零叁拾", "叁拾壹"};
    for (int n = 1; n <= 31; ++n)
        QTest::addRow("%d", n) << QString::number(n) << QString::fromUtf8(table[n - 1]);
    QTest::newRow("03 read by value") << "03" << "零叁";
    QTest::newRow("010 read by value") << "010" << "零壹拾";
}

void TestDates::monthAndDayCapitals()
{
    QFETCH(QString, number);
    QFETCH(QString, capitals);
    QCOMPARE(DayToCapitals(number), capitals);
    const int value = number.toInt();
    if (value <= 12)
        QCOMPARE(MonthToCapitals(number), capitals);
    else
        QCOMPARE(errorOf([&] { MonthToCapitals(number); }),
                 QStringLiteral("月份“%1”不是1到12之间的数字").arg(number));
}

void TestDates::badNumberTexts_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");

    QTest::newRow("year empty") << "year" << "" << "年份“”不是有效的数字";
    QTest::newRow("year letter") << "year" << "2o05" << "年份“2o05”不是有效的数字";
    QTest::newRow("year sign") << "year" << "-2005" << "年份“-2005”不是有效的数字";
    QTest::newRow("month empty") << "month" << "" << "月份“”不是1到12之间的数字";
    QTest::newRow("month zero") << "month" << "0" << "月份“0”不是1到12之间的数字";
    QTest::newRow("month 13") << "month" << "13" << "月份“13”不是1到12之间的数字";
    QTest::newRow("month letter") << "month" << "a" << "月份“a”不是1到12之间的数字";
    QTest::newRow("month with unit") << "month" << "3月" << "月份“3月”不是1到12之间的数字";
    QTest::newRow("month blank") << "month" << " 3" << "月份“ 3”不是1到12之间的数字";
    QTest::newRow("day empty") << "day" << "" << "日“”不是1到31之间的数字";
    QTest::newRow("day zero") << "day" << "00" << "日“00”不是1到31之间的数字";
    QTest::newRow("day 32") << "day" << "32" << "日“32”不是1到31之间的数字";
    QTest::newRow("day 100") << "day" << "100" << "日“100”不是1到31之间的数字";
    QTest::newRow("day sign") << "day" << "-1" << "日“-1”不是1到31之间的数字";
    QTest::newRow("day fraction") << "day" << "1.5" << "日“1.5”不是1到31之间的数字";
}

void TestDates::badNumberTexts()
{
    QFETCH(QString, kind);
    QFETCH(QString, text);
    QFETCH(QString, message);
    QString error;
    if (kind == QLatin1String("year"))
        error = errorOf([&] { YearToCapitals(text); });
    else if (kind == QLatin1String("month"))
        error = errorOf([&] { MonthToCapitals(text); });
    else
        error = errorOf([&] { DayToCapitals(text); });
    QCOMPARE(error, message);
}

QTEST_GUILESS_MAIN(TestDates)
#include "tst_dates.moc"
