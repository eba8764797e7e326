#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

namespace Zt_typro
{

// Dates on cheques and vouchers: cutting the screens' date text, month lengths, and the year,
// month and day in capital numerals. Pure functions: text in, text or number out.
//
// A date text is year-month-day with "-" between the parts, a four-digit year and month and day
// without leading zeros: "2005-3-7", "2005-3-17", "2005-12-5", "2005-12-25".

/// The date text of a date as the screens use it: 2005-03-07 gives "2005-3-7".
QString DateText(const QDate& date);

/// The year of a date text: its first four characters ("2005-3-7" gives "2005").
/// A shorter text gives what it has; the result is not checked.
QString DatePartYear(const QString& dateText);

/// The month of a date text: the 6th character when the 7th is "-" (one-digit month), else the
/// 6th and 7th ("2005-3-7" gives "3", "2005-12-5" gives "12"). Not checked; a short text gives
/// what it has, possibly nothing.
QString DatePartMonth(const QString& dateText);

/// The day of a date text, by its length: 10 characters or more give the 9th and 10th; 9 give the
/// 8th and 9th when the 7th is "-" ("2005-3-17"), else the 9th ("2005-12-5"); 8 or fewer give the
/// 8th ("2005-3-7"). Not checked; a short text gives what it has, possibly nothing.
QString DatePartDay(const QString& dateText);

/// The number of days of a month, 28 to 31. Reads the year from the first four characters of
/// yearText, so a year text or a whole date text both do; February has 29 days in Gregorian leap
/// years (2000 and 2004 give 29, 1900, 2005 and 2100 give 28). A month text that is not one of the
/// twelve months (13, empty, a letter) gets the February length; "03" counts as March.
/// Throws AppError naming the text when the year part is empty or not all digits.
int DaysInMonth(const QString& yearText, const QString& monthText);

/// The choices of a year list: the year before yearText's and the five after it, as plain
/// numbers ("2005" gives 2004 … 2010); a text that is no number counts as year 0.
QStringList YearChoices(const QString& yearText);

/// The choices of a day list: "1" … the DaysInMonth of the year and month texts (throws as it).
QStringList DayChoices(const QString& yearText, const QString& monthText);

/// The date the year, month and day texts of a screen name: each 1 to 4 plain digits (leading
/// zeros allowed), a year from 1000, and a day that the month has. Anything else, such as
/// "2005-2-30", "05-12-25" or a year with a letter in it, gives an invalid QDate. Never throws.
QDate DateFromParts(const QString& yearText, const QString& monthText, const QString& dayText);

/// The year in capitals, digit by digit with no units: "2005" gives "贰零零伍", "2010" "贰零壹零".
/// Throws AppError naming the text when it is empty or holds anything but digits.
QString YearToCapitals(const QString& yearText);

/// The month in capitals by the bank rules: a leading 零 below ten and for ten ("3" gives "零叁",
/// "10" "零壹拾"), 壹 before 拾 from 11 ("12" gives "壹拾贰"). Leading zeros are read by value
/// ("03" gives "零叁"). Throws AppError naming the text when it is not a number from 1 to 12.
QString MonthToCapitals(const QString& monthText);

/// The day in capitals, by the same rules as the month: "7" gives "零柒", "10" "零壹拾", "20" "零贰拾",
/// "21" "贰拾壹", "30" "零叁拾", "31" "叁拾壹". Leading zeros are read by value.
/// Throws AppError naming the text when it is not a number from 1 to 31.
QString DayToCapitals(const QString& dayText);

} // namespace Zt_typro
