// Cutting date texts and the year, month and day in capitals on arbitrary text.

#include "fuzz/FuzzText.h"
#include "numerals/Dates.h"

using namespace QuillmateFuzz;

namespace
{

// The value of a text of ASCII digits, -1 for anything else or more than 9 significant digits.
int valueOf(const QString& text)
{
    if (text.isEmpty())
        return -1;
    qint64 value = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c.unicode() - u'0');
        if (value > 999999999)
            return -1;
    }
    return int(value);
}

void checkMonthOrDay(const QString& text, int highest, QString (*toCapitals)(const QString&))
{
    QString capitals;
    const bool done = refusedOrDone([&] { capitals = toCapitals(text); });
    const int value = valueOf(text);
    check(done == (value >= 1 && value <= highest), "month or day accepted out of range", text, capitals);
    if (done) {
        check(capitals == toCapitals(QString::number(value)), "leading zeros change the capitals", text, capitals);
        check(capitals.size() >= 2 && capitals.size() <= 4, "capitals length", text, capitals);
        // Below eleven, and for whole tens, the bank rule writes a leading 零.
        check(capitals.startsWith(u'零') == (value <= 10 || value % 10 == 0), "leading 零 rule", text, capitals);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    const QString dateText = takeText(data, 24);
    const QString other = takeText(data, 16);

    // Cutting never reads outside the text.
    const QString year = Zt_typro::DatePartYear(dateText);
    const QString month = Zt_typro::DatePartMonth(dateText);
    const QString day = Zt_typro::DatePartDay(dateText);
    check(year.size() <= 4 && month.size() <= 2 && day.size() <= 2, "a cut part is too long", dateText);
    check(dateText.startsWith(year), "the year is not the head of the text", dateText, year);

    int days = 0;
    if (refusedOrDone([&] { days = Zt_typro::DaysInMonth(dateText, other); }))
        check(days >= 28 && days <= 31, "a month length out of 28 to 31", dateText + u'|' + other);
    if (refusedOrDone([&] { days = Zt_typro::DaysInMonth(year, month); }))
        check(days >= 28 && days <= 31, "a month length out of 28 to 31", dateText);

    QString capitals;
    if (refusedOrDone([&] { capitals = Zt_typro::YearToCapitals(other); }))
        check(capitals.size() == other.size(), "year capitals are not digit by digit", other, capitals);
    checkMonthOrDay(other, 12, &Zt_typro::MonthToCapitals);
    checkMonthOrDay(other, 31, &Zt_typro::DayToCapitals);
    checkMonthOrDay(month, 12, &Zt_typro::MonthToCapitals);
    checkMonthOrDay(day, 31, &Zt_typro::DayToCapitals);
    return 0;
}
