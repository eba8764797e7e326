#include "numerals/Dates.h"

#include "common/Error.h"

#include <QDate>

namespace Zt_typro
{

namespace
{

const QString kCapitalDigits = QStringLiteral("零壹贰叁肆伍陆柒捌玖");
// Month and day digits: nothing for 0, then 壹 to 玖.
const QString kMonthDayDigits[10] = {QString(),          QStringLiteral("壹"), QStringLiteral("贰"),
                                     QStringLiteral("叁"), QStringLiteral("肆"), QStringLiteral("伍"),
                                     QStringLiteral("陆"), QStringLiteral("柒"), QStringLiteral("捌"),
                                     QStringLiteral("玖")};

bool isAllDigits(const QString& text)
{
    if (text.isEmpty())
        return false;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

// The value of a text of digits, leading zeros skipped; -1 when it is not such a text or when the
// value has more than two digits (no month or day has).
int smallNumber(const QString& text)
{
    if (!isAllDigits(text))
        return -1;
    qsizetype first = 0;
    while (first < text.size() - 1 && text.at(first) == u'0')
        ++first;
    const QString significant = text.mid(first);
    if (significant.size() > 2)
        return -1;
    return significant.toInt();
}

// Month or day n (1 to 31) by the bank rules: a leading 零 below ten and for whole tens.
QString monthDayCapitals(int n)
{
    const QString digits = QString::number(n);
    QString result;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        const QString entry = kMonthDayDigits[digits.at(i).unicode() - u'0'];
        if (i == 0)
            result += n >= 10 ? entry : QStringLiteral("零") + entry;
        else
            result += QStringLiteral("拾") + entry;
    }
    if (n % 10 == 0)
        result.prepend(QStringLiteral("零"));
    return result;
}

} // namespace

QString DateText(const QDate& date)
{
    return QStringLiteral("%1-%2-%3").arg(date.year(), 4, 10, QLatin1Char('0')).arg(date.month()).arg(date.day());
}

QString DatePartYear(const QString& dateText)
{
    return dateText.left(4);
}

QString DatePartMonth(const QString& dateText)
{
    if (dateText.size() >= 7 && dateText.at(6) == u'-')
        return dateText.mid(5, 1);
    return dateText.mid(5, 2);
}

QString DatePartDay(const QString& dateText)
{
    const qsizetype length = dateText.size();
    if (length >= 10)
        return dateText.mid(8, 2);
    if (length == 9)
        return dateText.at(6) == u'-' ? dateText.mid(7, 2) : dateText.mid(8, 1);
    return dateText.mid(7, 1);
}

int DaysInMonth(const QString& yearText, const QString& monthText)
{
    const QString yearPart = yearText.left(4);
    if (!isAllDigits(yearPart))
        throw AppError(QStringLiteral("年份“%1”不是有效的数字").arg(yearText));
    const int year = yearPart.toInt();
    switch (smallNumber(monthText)) {
    case 1: case 3: case 5: case 7: case 8: case 10: case 12:
        return 31;
    case 4: case 6: case 9: case 11:
        return 30;
    default:
        break;
    }
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return leap ? 29 : 28;
}

QDate DateFromParts(const QString& yearText, const QString& monthText, const QString& dayText)
{
    for (const QString* part : {&yearText, &monthText, &dayText}) {
        if (part->size() > 4 || !isAllDigits(*part))
            return {};
    }
    const int year = yearText.toInt();
    if (year < 1000)
        return {};
    return QDate(year, monthText.toInt(), dayText.toInt());
}

QString YearToCapitals(const QString& yearText)
{
    if (!isAllDigits(yearText))
        throw AppError(QStringLiteral("年份“%1”不是有效的数字").arg(yearText));
    QString result;
    result.reserve(yearText.size());
    for (QChar c : yearText)
        result += kCapitalDigits.at(c.unicode() - u'0');
    return result;
}

QString MonthToCapitals(const QString& monthText)
{
    const int month = smallNumber(monthText);
    if (month < 1 || month > 12)
        throw AppError(QStringLiteral("月份“%1”不是1到12之间的数字").arg(monthText));
    return monthDayCapitals(month);
}

QString DayToCapitals(const QString& dayText)
{
    const int day = smallNumber(dayText);
    if (day < 1 || day > 31)
        throw AppError(QStringLiteral("日“%1”不是1到31之间的数字").arg(dayText));
    return monthDayCapitals(day);
}

QStringList YearChoices(const QString& yearText)
{
    const int y = yearText.toInt();
    QStringList years;
    for (int i = y - 1; i <= y + 5; ++i)
        years << QString::number(i);
    return years;
}

QStringList DayChoices(const QString& yearText, const QString& monthText)
{
    const int n = DaysInMonth(yearText, monthText);
    QStringList days;
    for (int d = 1; d <= n; ++d)
        days << QString::number(d);
    return days;
}

} // namespace Zt_typro
