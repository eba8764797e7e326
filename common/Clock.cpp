#include "common/Clock.h"

namespace Zt_typro
{
namespace
{
QDate g_fixedToday;
}

QDate Today()
{
    return g_fixedToday.isValid() ? g_fixedToday : QDate::currentDate();
}

void SetToday(const QDate& date)
{
    g_fixedToday = date;
}

} // namespace Zt_typro
