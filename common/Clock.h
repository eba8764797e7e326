#pragma once

#include <QDate>

namespace Zt_typro
{

/// Today's date as the screens see it: the system date, unless a test has fixed it.
QDate Today();

/// Fixes the date that Today() returns; an invalid date returns to the system date.
void SetToday(const QDate& date);

} // namespace Zt_typro
